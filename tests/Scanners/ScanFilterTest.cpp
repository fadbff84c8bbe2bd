#include "Scanners/ScanFilter.h"

#include "Core/Exclusions.h"
#include "Platform/SystemRoot.h"
#include "TempTree.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// Scans skip exactly what the removal engine would refuse.
TEST(ScanFilter, skipsProtectedAndExcludedLocationsAndTheirHolders)
{
    const TempTree tree(uR"(
        Caches/com.app/kept 1
        Caches/com.other/x 1
    )"_s);
    ASSERT_TRUE(Exclusions::shared().add(tree.path(u"Caches/com.app/kept"_s)));
    EXPECT_TRUE(ScanFilter::isSkipped(tree.path(u"Caches/com.app/kept"_s)));
    EXPECT_TRUE(ScanFilter::isSkipped(tree.path(u"Caches/com.app"_s))); // holds an exclusion
    EXPECT_FALSE(ScanFilter::isSkipped(tree.path(u"Caches/com.other"_s)));
    EXPECT_TRUE(ScanFilter::isSkipped(Platform::homeFolder()));
    EXPECT_TRUE(ScanFilter::isSkipped(Platform::systemPath(u"/System/Library/Caches"_s)));
    Exclusions::shared().persist({});
    EXPECT_FALSE(ScanFilter::isSkipped(tree.path(u"Caches/com.app"_s)));
}
