#include "Scanners/ScannerFactory.h"

#include "ScannerTestSupport.h"
#include "Scanners/DuplicatesScanner.h"
#include "Scanners/LargeOldFilesScanner.h"
#include "Scanners/LeftoversScanner.h"
#include "Scanners/MailAttachmentsScanner.h"
#include "Scanners/MalwareScanner.h"
#include "Scanners/ModuleRegistry.h"
#include "Scanners/PrivacyScanner.h"
#include "Scanners/SmartScanScanner.h"
#include "Scanners/SystemJunkScanner.h"
#include "Scanners/TrashScanner.h"
#include "TempTree.h"
#include "TestServices.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace Qt::StringLiterals;

namespace {

template <class Scanner> void isA(const ModuleScanner& scanner)
{
    EXPECT_TRUE(dynamic_cast<const Scanner*>(&scanner));
}

} // namespace

TEST(ScannerFactory, givesEachModuleItsScannerOrSaysItIsNotAvailableYet)
{
    const TestSupport::TestServices kit;
    // What a module's scanner must be, beyond being there for its module; a module not listed has some scanner
    // that needs no Full Disk Access and no advisories (a tool's is the empty one).
    struct Expected {
        std::function<void(const ModuleScanner&)> check;
        bool fullDiskAccess = false;
        bool advisoriesOfItsOwn = false;
    };
    const std::map<ModuleID, Expected> expected{
        {ModuleID::systemJunk, {[](const ModuleScanner& scanner) {
             const auto* junk = dynamic_cast<const SystemJunkScanner*>(&scanner);
             ASSERT_TRUE(junk);
             EXPECT_TRUE(junk->includesProtectedLocations());
             EXPECT_EQ(
                 junk->cacheDenylist(),
                 (QSet<QString>{u"com.apple.appstore"_s, u"com.apple.iCloudHelper"_s,
                                u"com.apple.Safari.SafeBrowsing"_s, u"CloudKit"_s, u"com.apple.containermanagerd"_s,
                                u"com.apple.nsurlsessiond"_s, u"com.apple.Music"_s, u"com.apple.iTunes"_s,
                                u"com.apple.AMPLibraryAgent"_s, u"com.apple.amp.mediasharingd"_s, u"com.apple.TV"_s,
                                u"com.apple.Photos"_s, u"com.apple.photolibraryd"_s, u"com.apple.mediaanalysisd"_s}));
         }}},
        {ModuleID::trashBins, {isA<TrashScanner>}},
        {ModuleID::malware, {isA<MalwareScanner>, false, true}},
        {ModuleID::smartScan, {isA<SmartScanScanner>}},
        // These read what only Full Disk Access opens.
        {ModuleID::leftovers, {isA<LeftoversScanner>, true}},
        {ModuleID::privacy, {isA<PrivacyScanner>, true}},
        {ModuleID::mailAttachments, {isA<MailAttachmentsScanner>, true}},
        {ModuleID::largeOldFiles, {[](const ModuleScanner& scanner) {
             const auto* large = dynamic_cast<const LargeOldFilesScanner*>(&scanner);
             ASSERT_TRUE(large);
             EXPECT_EQ(large->minimumSize(), 52428800);
             EXPECT_EQ(large->skippedDirectories(),
                       (QSet<QString>{u"Library"_s, u".Trash"_s, u"Applications"_s, u".git"_s, u"node_modules"_s,
                                      u".npm"_s, u".cargo"_s, u".gradle"_s, u".docker"_s, u"Pictures"_s}));
         }}},
        {ModuleID::duplicates, {[](const ModuleScanner& scanner) {
             const auto* duplicates = dynamic_cast<const DuplicatesScanner*>(&scanner);
             ASSERT_TRUE(duplicates);
             EXPECT_FALSE(duplicates->customRoots());
         }}},
    };
    for (const ModuleID module : Modules::allModules()) {
        SCOPED_TRACE(toRaw(module).toStdString());
        // A module is never handed a scanner that would call it clean without looking.
        const std::optional<ScannerPtr> made = makeScanner(module, kit.exclusions);
        ASSERT_TRUE(made);
        EXPECT_EQ((*made)->moduleID(), module);
        const auto found = expected.find(module);
        if (found == expected.end()) {
            EXPECT_TRUE(dynamic_cast<const NullScanner*>(made->get()));
            EXPECT_FALSE((*made)->requiresFullDiskAccess());
            EXPECT_TRUE((*made)->advisories().isEmpty());
            continue;
        }
        found->second.check(**made);
        EXPECT_EQ((*made)->requiresFullDiskAccess(), found->second.fullDiskAccess);
        // Only the malware scanner has advisories of its own; they depend on the Mac (its own tests cover them).
        if (!found->second.advisoriesOfItsOwn) {
            EXPECT_TRUE((*made)->advisories().isEmpty());
        }
    }
}

TEST(ScannerFactory, buildsANewScannerOnEveryCall)
{
    const TestSupport::TestServices kit;
    const ScannerPtr first = *makeScanner(ModuleID::systemJunk, kit.exclusions);
    const ScannerPtr second = *makeScanner(ModuleID::systemJunk, kit.exclusions);
    EXPECT_NE(first, second);
    EXPECT_EQ(dynamic_cast<const SystemJunkScanner&>(*first), dynamic_cast<const SystemJunkScanner&>(*second));
}

// A scanner made through the registry leaves out what the list it is handed covers, the list the removal
// engine of the same services refuses, and nothing that only another list covers.
TEST(ScannerFactory, aScannerJudgesByTheListItIsHandedAsTheRemovalsDo)
{
    const TempTree tree(uR"(
        home/.Trash/kept 4096
        home/.Trash/gone 4096
        root/
    )"_s);
    const EnvironmentOverride environment{{"HOME", tree.path(u"home"_s)}, {"QUORVANE_ROOT", tree.path(u"root"_s)}};
    TestSupport::TestServices mine;
    const TestSupport::TestServices other;
    ASSERT_TRUE(mine.exclusions.add(tree.path(u"home/.Trash/kept"_s)));
    Modules::Registry registry;
    registerScannerModules(registry);

    const auto listed = [&](const Exclusions& exclusions) {
        QStringList urls;
        for (const ScanGroup& group : (*registry.makeScanner(ModuleID::trashBins, exclusions))->scan({}, {}))
            for (const ScanItem& item : group.items)
                urls.append(item.url);
        return urls;
    };
    EXPECT_EQ(listed(mine.exclusions), QStringList{tree.path(u"home/.Trash/gone"_s)});
    EXPECT_EQ(listed(other.exclusions),
              (QStringList{tree.path(u"home/.Trash/gone"_s), tree.path(u"home/.Trash/kept"_s)}));
    EXPECT_EQ(mine.removal.refusalFor(tree.path(u"home/.Trash/kept"_s)), u"Exclu par vos réglages."_s);
}

// A module registered without a scanner of its own (a tool, with its model and screen) gets the empty scanner;
// a module never registered gets none, so it is not shown as clean.
TEST(ModuleRegistry, aModuleWithoutAScannerOfItsOwnGetsTheEmptyOne)
{
    const TestSupport::TestServices kit;
    Modules::Registry registry;
    registry.setScreen(ModuleID::shredder, [](const Modules::ScreenContext&) -> QWidget* { return nullptr; });
    const std::optional<ScannerPtr> empty = registry.makeScanner(ModuleID::shredder, kit.exclusions);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(dynamic_cast<const NullScanner*>(empty->get()));
    EXPECT_EQ((*empty)->moduleID(), ModuleID::shredder);
    EXPECT_TRUE((*empty)->scan({}, {}).isEmpty());
    EXPECT_FALSE(registry.makeScanner(ModuleID::spaceMap, kit.exclusions));
}
