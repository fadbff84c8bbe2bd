#include "Scanners/ScannerFactory.h"

#include "Scanners/LeftoversScanner.h"
#include "Scanners/MalwareScanner.h"
#include "Scanners/SmartScanScanner.h"
#include "Scanners/SystemJunkScanner.h"
#include "Scanners/TrashScanner.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(ScannerFactory, givesEachModuleItsScannerOrSaysItIsNotAvailableYet)
{
    const QList<ModuleID> tools{ModuleID::xcodeJunk,   ModuleID::optimization, ModuleID::maintenance,
                                ModuleID::uninstaller, ModuleID::updater,      ModuleID::snapshots,
                                ModuleID::shredder,    ModuleID::spaceMap};
    for (const ModuleID module : Modules::allModules()) {
        SCOPED_TRACE(toRaw(module).toStdString());
        const std::optional<ScannerPtr> made = makeScanner(module);
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
    const ScannerPtr first = *makeScanner(ModuleID::systemJunk);
    const ScannerPtr second = *makeScanner(ModuleID::systemJunk);
    EXPECT_NE(first, second);
    EXPECT_EQ(dynamic_cast<const SystemJunkScanner&>(*first), dynamic_cast<const SystemJunkScanner&>(*second));
}
