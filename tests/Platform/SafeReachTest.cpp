#include "Platform/SafeReach.h"

#include "ScopedEnvironment.h"
#include "TempTree.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using Outcome = Platform::Reach::Outcome;

namespace {

class ComponentWalk
{
public:
    explicit ComponentWalk(bool only) { Platform::SafeReach::setComponentWalkOnly(only); }
    ~ComponentWalk() { Platform::SafeReach::setComponentWalkOnly(false); }
    ComponentWalk(const ComponentWalk&) = delete;
    ComponentWalk& operator=(const ComponentWalk&) = delete;
};

} // namespace

TEST(SafeReach, bothWalksStopAtTheFirstLinkBelowTheAnchorAndNowhereElse)
{
    TempTree tree(uR"(
        real/home/a/b/item 1
        real/home/a/file 1
        real/elsewhere/b/item 1
    )"_s);
    tree.add(u"linked -> real"_s);
    tree.add(u"real/home/a/via -> ../../elsewhere/b"_s);
    tree.add(u"real/home/a/b/entry-link -> ../../../elsewhere"_s);
    // The home folder is named through a link above it: that one is the system's own and is followed.
    const TestSupport::ScopedEnvironment home("HOME", tree.path(u"linked/home"_s));
    const QString base = tree.path(u"linked/home/"_s);
    const struct {
        const char16_t* path;
        Outcome outcome;
    } cases[] = {
        {u"a/b/item", Outcome::Reached},
        {u"a/b/entry-link", Outcome::Reached}, // the entry itself is never followed, so it may be a link
        {u"a/via/item", Outcome::LinkOnTheWay},
        {u"a/file/item", Outcome::Missing}, // a file where a folder should be
        {u"a/missing/item", Outcome::Missing},
        {u"a/b/missing", Outcome::Missing},
    };
    for (const bool componentWalk : {false, true}) {
        const ComponentWalk walk(componentWalk);
        Platform::SafeReach anchors;
        for (const auto& c : cases) {
            SCOPED_TRACE(QString::fromUtf16(c.path).toStdString() + (componentWalk ? " (folder by folder)" : ""));
            const Platform::Reach reached = anchors.reach(base + QString::fromUtf16(c.path));
            EXPECT_EQ(reached.outcome, c.outcome);
            if (reached.outcome == Outcome::Reached) {
                EXPECT_EQ(reached.item.path(), base + QString::fromUtf16(c.path));
                // The place under its real name, and under the home folder's usual one.
                EXPECT_EQ(reached.item.actualPath(), tree.path(u"real/home/"_s) + QString::fromUtf16(c.path));
                EXPECT_TRUE(reached.item.places().contains(reached.item.actualPath()));
                EXPECT_TRUE(reached.item.places().contains(base + QString::fromUtf16(c.path)));
            }
        }
    }
}

TEST(SafeReach, pathsThatDoNotSurviveTheFileSystemsEncodingAreNotReached)
{
    const TempTree tree(uR"(
        a 1
        "bad\xffname" 1
    )"_s);
    EXPECT_TRUE(Platform::pathSurvivesEncoding(tree.path(u"é\n'$(x)"_s)));
    Platform::SafeReach anchors;
    const QStringList paths{tree.path(u"bad\uFFFDname"_s), tree.path(u"a"_s) + QChar(u'\0') + u"b"_s,
                            tree.path(u"a"_s) + QChar(0xDC00)};
    for (const QString& path : paths) {
        EXPECT_FALSE(Platform::pathSurvivesEncoding(path));
        EXPECT_EQ(anchors.reach(path).outcome, Outcome::Unfaithful);
    }
}
