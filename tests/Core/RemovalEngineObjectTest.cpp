#include "Core/RemovalEngine.h"

#include "LatchedScanner.h"
#include "Platform/FileSystem.h"
#include "TempTree.h"
#include "TestServices.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// The engine refuses what its own exclusions cover, for plain items and threats alike, and nothing that only
// another list covers.
TEST(RemovalEngineObject, refusesWhatItsOwnExclusionsCover)
{
    const TempTree tree(uR"(
        kept/a 10
        threat 10
        free 10
    )"_s);
    TestSupport::TestServices mine;
    TestSupport::TestServices other;
    ASSERT_TRUE(mine.exclusions.add(tree.path(u"kept"_s)));
    ASSERT_TRUE(mine.exclusions.add(tree.path(u"threat"_s)));
    ASSERT_TRUE(other.exclusions.add(tree.path(u"free"_s)));

    const Removal::Report report = mine.removal.remove(
        {TestSupport::scanItem(tree.path(u"kept/a"_s)), TestSupport::scanItem(tree.path(u"free"_s)),
         TestSupport::scanItem(tree.path(u"threat"_s), true, 100, Removal::Mode::threat(std::nullopt))});
    ASSERT_EQ(report.failures.size(), 2);
    EXPECT_EQ(report.failures[0].url, tree.path(u"threat"_s)); // the threat batch runs first
    EXPECT_EQ(report.failures[1], (Removal::Failure{tree.path(u"kept/a"_s), u"Exclu par vos réglages."_s}));
    ASSERT_EQ(report.removed.size(), 1);
    EXPECT_EQ(report.removed[0].origin, tree.path(u"free"_s));
    EXPECT_EQ(mine.removal.refusalFor(tree.path(u"kept"_s)), u"Exclu par vos réglages."_s);
    EXPECT_EQ(other.removal.refusalFor(tree.path(u"kept"_s)), std::nullopt);
}
