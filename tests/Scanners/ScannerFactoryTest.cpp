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

using namespace Qt::StringLiterals;

TEST(ScannerFactory, givesEachModuleItsScannerOrSaysItIsNotAvailableYet)
{
    const TestSupport::TestServices kit;
    const QList<ModuleID> tools{ModuleID::xcodeJunk,   ModuleID::optimization, ModuleID::maintenance,
                                ModuleID::uninstaller, ModuleID::updater,      ModuleID::snapshots,
                                ModuleID::shredder,    ModuleID::spaceMap};
    for (const ModuleID module : Modules::allModules()) {
        SCOPED_TRACE(toRaw(module).toStdString());
        const std::optional<ScannerPtr> made = makeScanner(module, kit.exclusions);
        if (module == ModuleID::systemJunk) {
            ASSERT_TRUE(made);
            const auto* junk = dynamic_cast<const SystemJunkScanner*>(made->get());
            ASSERT_TRUE(junk);
            EXPECT_TRUE(junk->includesProtectedLocations());
            EXPECT_EQ(
                junk->cacheDenylist(),
                (QSet<QString>{u"com.apple.appstore"_s, u"com.apple.iCloudHelper"_s, u"com.apple.Safari.SafeBrowsing"_s,
                               u"CloudKit"_s, u"com.apple.containermanagerd"_s, u"com.apple.nsurlsessiond"_s,
                               u"com.apple.Music"_s, u"com.apple.iTunes"_s, u"com.apple.AMPLibraryAgent"_s,
                               u"com.apple.amp.mediasharingd"_s, u"com.apple.TV"_s, u"com.apple.Photos"_s,
                               u"com.apple.photolibraryd"_s, u"com.apple.mediaanalysisd"_s}));
        } else if (module == ModuleID::trashBins) {
            ASSERT_TRUE(made);
            EXPECT_TRUE(dynamic_cast<const TrashScanner*>(made->get()));
        } else if (module == ModuleID::malware) {
            ASSERT_TRUE(made);
            EXPECT_TRUE(dynamic_cast<const MalwareScanner*>(made->get()));
        } else if (module == ModuleID::smartScan) {
            ASSERT_TRUE(made);
            EXPECT_TRUE(dynamic_cast<const SmartScanScanner*>(made->get()));
        } else if (module == ModuleID::leftovers) {
            ASSERT_TRUE(made);
            EXPECT_TRUE(dynamic_cast<const LeftoversScanner*>(made->get()));
            EXPECT_EQ((*made)->moduleID(), module);
            EXPECT_TRUE((*made)->requiresFullDiskAccess());
            EXPECT_TRUE((*made)->advisories().isEmpty());
            continue;
        } else if (module == ModuleID::mailAttachments || module == ModuleID::privacy) {
            ASSERT_TRUE(made);
            EXPECT_TRUE(module == ModuleID::privacy
                            ? dynamic_cast<const PrivacyScanner*>(made->get()) != nullptr
                            : dynamic_cast<const MailAttachmentsScanner*>(made->get()) != nullptr);
            // Both read what only Full Disk Access opens.
            EXPECT_TRUE((*made)->requiresFullDiskAccess());
            EXPECT_EQ((*made)->moduleID(), module);
            EXPECT_TRUE((*made)->advisories().isEmpty());
            continue;
        } else if (module == ModuleID::largeOldFiles) {
            ASSERT_TRUE(made);
            const auto* large = dynamic_cast<const LargeOldFilesScanner*>(made->get());
            ASSERT_TRUE(large);
            EXPECT_EQ(large->minimumSize(), 52428800);
            EXPECT_EQ(large->skippedDirectories(),
                      (QSet<QString>{u"Library"_s, u".Trash"_s, u"Applications"_s, u".git"_s, u"node_modules"_s,
                                     u".npm"_s, u".cargo"_s, u".gradle"_s, u".docker"_s, u"Pictures"_s}));
        } else if (module == ModuleID::duplicates) {
            ASSERT_TRUE(made);
            const auto* duplicates = dynamic_cast<const DuplicatesScanner*>(made->get());
            ASSERT_TRUE(duplicates);
            EXPECT_FALSE(duplicates->customRoots());
        } else if (tools.contains(module)) {
            ASSERT_TRUE(made);
            EXPECT_TRUE(dynamic_cast<const NullScanner*>(made->get()));
        } else {
            // A cleaning module without its scanner is never handed a scanner that would call it clean.
            EXPECT_FALSE(made);
            continue;
        }
        EXPECT_EQ((*made)->moduleID(), module);
        EXPECT_FALSE((*made)->requiresFullDiskAccess());
        // Only the malware scanner has advisories of its own; they depend on the Mac (its own tests cover them).
        if (module != ModuleID::malware) {
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
