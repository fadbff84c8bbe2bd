#include "Scanners/ScanFilter.h"

#include "Core/Exclusions.h"
#include "Platform/SystemRoot.h"
#include "TempTree.h"
#include "TestServices.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// Scans skip exactly what the removal engine would refuse.
TEST(ScanFilter, skipsProtectedAndExcludedLocationsAndTheirHolders)
{
    const TempTree tree(uR"(
        Caches/com.app/kept 1
        Caches/com.other/x 1
    )"_s);
    TestSupport::TestServices kit;
    ASSERT_TRUE(kit.exclusions.add(tree.path(u"Caches/com.app/kept"_s)));
    EXPECT_TRUE(ScanFilter::isSkipped(kit.exclusions, tree.path(u"Caches/com.app/kept"_s)));
    EXPECT_TRUE(ScanFilter::isSkipped(kit.exclusions, tree.path(u"Caches/com.app"_s))); // holds an exclusion
    EXPECT_FALSE(ScanFilter::isSkipped(kit.exclusions, tree.path(u"Caches/com.other"_s)));
    EXPECT_TRUE(ScanFilter::isSkipped(kit.exclusions, Platform::homeFolder()));
    EXPECT_TRUE(ScanFilter::isSkipped(kit.exclusions, Platform::systemPath(u"/System/Library/Caches"_s)));
    kit.exclusions.persist({});
    EXPECT_FALSE(ScanFilter::isSkipped(kit.exclusions, tree.path(u"Caches/com.app"_s)));
}
