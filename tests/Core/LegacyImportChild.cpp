// The child process of LegacyImport.runsOnceInAProcessOutsideATestRunner: started without the test-runner
// mark, in a sandbox that its parent laid out with the earlier product's folder and settings.
#include "Core/LegacyImport.h"
#include "Core/StandardServices.h"
#include "Platform/FileOperations.h"
#include "Platform/FileSystem.h"
#include "Platform/SystemRoot.h"
#include "Platform/TestGuard.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(LegacyImportChild, theEarlierProductsSettingsAreInForceFromTheFirstRead)
{
    ASSERT_FALSE(Platform::TestGuard::isTestRun());
    // As the composition root and the command line make them.
    const StandardServices services;
    const Preferences& preferences = services.preferences;
    EXPECT_EQ(preferences.scheduleInterval(), Preferences::Interval::daily);
    EXPECT_DOUBLE_EQ(preferences.diskThreshold(), 0.75);
    EXPECT_TRUE(preferences.showsMenuBarItem()); // set in this application already: kept
    EXPECT_TRUE(services.exclusions.isExcluded(Platform::homeFolder() + u"/Downloads/Garder/photo.jpg"_s));

    // Once per process: what the earlier product's folder gains later stays there.
    const QString late = Platform::homeFolder() + u"/Library/Application Support/Tessalinomark/late.txt"_s;
    ASSERT_FALSE(Platform::createFolder(late.section(u'/', 0, -2)).has_value());
    ASSERT_FALSE(Platform::writeFileAtomically(late, "x").has_value());
    LegacyImport::importOnce();
    EXPECT_TRUE(Platform::fileInfo(late).has_value());
    Platform::removeItem(late);
    Platform::removeEmptyFolder(late.section(u'/', 0, -2));
}
