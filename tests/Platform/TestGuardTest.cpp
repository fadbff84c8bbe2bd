#include "Platform/TestGuard.h"

#include "Platform/FileOperations.h"
#include "Sandbox.h"
#include "TempTree.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// Every target below lies outside the sandbox and does not exist, so that even a broken guard would
// change nothing on this machine.
TEST(TestGuard, refusesEveryChangeOutsideTheSandbox)
{
    const TestSupport::GuardRefusals refusals;
    const QString outside = u"/qp-guard-probe-that-does-not-exist"_s;
    EXPECT_TRUE(Platform::removeItem(outside).has_value());
    EXPECT_TRUE(Platform::trashItem(outside).failure.has_value());
    EXPECT_TRUE(Platform::moveItem(outside, outside + u"-moved"_s).has_value());
    EXPECT_TRUE(Platform::createFolder(outside + u"/folder"_s).has_value());
    EXPECT_TRUE(Platform::writeFileAtomically(outside + u"/file"_s, "x").has_value());
    const TempTree tree(u"inside 1"_s);
    EXPECT_TRUE(Platform::moveItem(tree.path(u"inside"_s), outside).has_value());
    EXPECT_EQ(refusals.messages().size(), 6);
    EXPECT_TRUE(refusals.messages().first().contains(u"hors du dossier de test"_s));
}

TEST(TestGuard, aLinkInsideTheSandboxDoesNotLeadOutOfIt)
{
    const TestSupport::GuardRefusals refusals;
    TempTree tree;
    tree.add(u"escape -> /"_s);
    EXPECT_TRUE(Platform::removeItem(tree.path(u"escape/qp-guard-probe-that-does-not-exist"_s)).has_value());
    EXPECT_TRUE(Platform::createFolder(tree.path(u"escape/qp-guard-probe/x"_s)).has_value());
    EXPECT_EQ(refusals.messages().size(), 2);
    // The link itself lies inside and may go.
    EXPECT_FALSE(Platform::removeItem(tree.path(u"escape"_s)).has_value());
    EXPECT_EQ(refusals.messages().size(), 2);
}

TEST(TestGuard, theProcessIsMarkedAsATestRun)
{
    EXPECT_TRUE(Platform::TestGuard::isTestRun());
    EXPECT_FALSE(Platform::TestGuard::check(TestSupport::home() + u"/x"_s, u"écrire"_s).has_value());
}
