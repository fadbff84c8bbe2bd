#include "Platform/SystemRoot.h"

#include "Sandbox.h"
#include "ScopedEnvironment.h"

#include <QtGlobal>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// QUORVANE_ROOT for one test; the sandbox's comes back afterwards.
class RootOverride final
{
public:
    explicit RootOverride(const QString& root) : m_root("QUORVANE_ROOT", root) {}

private:
    TestSupport::ScopedEnvironment m_root;
};

} // namespace

TEST(SystemRoot, placesMacLocationsUnderTheRoot)
{
    struct Case {
        QString root;
        QString macPath;
        QString expected;
    };
    const Case cases[] = {
        {QString(), u"/Applications"_s, u"/Applications"_s},
        {u"/"_s, u"/usr/bin/tmutil"_s, u"/usr/bin/tmutil"_s},
        {u"/srv/mac"_s, u"/Applications"_s, u"/srv/mac/Applications"_s},
        {u"/srv/mac/"_s, u"/private/var/"_s, u"/srv/mac/private/var"_s},
        {u"/srv/mac"_s, u"/"_s, u"/srv/mac"_s},
        {u"/srv/mac"_s, u"Volumes"_s, u"/srv/mac/Volumes"_s},
        {u"/srv/mac"_s, u"/System/../etc"_s, u"/srv/mac/etc"_s},
    };
    for (const Case& c : cases) {
        const RootOverride root(c.root);
        EXPECT_EQ(Platform::systemPath(c.macPath), c.expected)
            << c.root.toStdString() << " " << c.macPath.toStdString();
    }
}

TEST(SystemRoot, findsTheMacLocationOfAPath)
{
    const RootOverride root(u"/srv/mac"_s);
    EXPECT_EQ(Platform::macPathOf(u"/srv/mac"_s), u"/"_s);
    EXPECT_EQ(Platform::macPathOf(u"/srv/mac/System/Library"_s), u"/System/Library"_s);
    EXPECT_EQ(Platform::macPathOf(u"/srv/mac2/System"_s), QString());
    EXPECT_EQ(Platform::macPathOf(u"/etc"_s), QString());
}

// What the user reads: the home as "~" first (it lies under the root on a demonstration Mac), then the Mac's
// own location, only at path boundaries; a path outside both as it stands.
TEST(SystemRoot, showsAPathAsTheMacsUserReadsIt)
{
    struct Case {
        QString root;
        QString path;
        QString shown;
    };
    const Case cases[] = {
        {u"/srv/mac"_s, u"/srv/mac/usr/libexec/diskhelperd"_s, u"/usr/libexec/diskhelperd"_s},
        {u"/srv/mac"_s, u"/srv/mac/Volumes/Ext/.Trashes/0/Movie.mov"_s, u"/Volumes/Ext/.Trashes/0/Movie.mov"_s},
        {u"/srv/mac"_s, u"/srv/mac/Users/al/Documents/a.txt"_s, u"~/Documents/a.txt"_s},
        {u"/srv/mac"_s, u"/srv/mac/Users/al"_s, u"~"_s},
        {u"/srv/mac"_s, u"/srv/mac"_s, u"/"_s},
        {u"/srv/mac"_s, u"/srv/mac2/x"_s, u"/srv/mac2/x"_s},
        {u"/srv/mac"_s, u"/opt/elsewhere"_s, u"/opt/elsewhere"_s},
        {u"/srv/mac"_s, u"—"_s, u"—"_s},
        {u"/"_s, u"/usr/libexec/diskhelperd"_s, u"/usr/libexec/diskhelperd"_s},
    };
    for (const Case& c : cases) {
        const RootOverride root(c.root);
        EXPECT_EQ(Platform::displayPath(c.path, u"/srv/mac/Users/al"_s), c.shown) << c.path.toStdString();
    }
}

TEST(SystemRoot, homeAndTemporaryFolderLieInTheSandbox)
{
    EXPECT_EQ(Platform::homeFolder(), TestSupport::home());
    EXPECT_EQ(Platform::temporaryFolder(), TestSupport::temporary());
    EXPECT_EQ(Platform::systemRoot(), TestSupport::systemRoot());
}

TEST(SystemRoot, equalOrUnderIsAPathBoundaryTest)
{
    struct Case {
        QString path;
        QString location;
        bool expected;
    };
    const Case cases[] = {
        {u"/Users/al"_s, u"/Users/al"_s, true},         {u"/Users/al/x"_s, u"/Users/al"_s, true},
        {u"/Users/al/x"_s, u"/Users/al/"_s, true},      {u"/Users/al2"_s, u"/Users/al"_s, false},
        {u"/Users"_s, u"/Users/al"_s, false},           {u"/anything"_s, u"/"_s, true},
        {u"/Users/al/../bob"_s, u"/Users/al"_s, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Platform::isEqualOrUnder(c.path, c.location), c.expected) << c.path.toStdString();
}

TEST(SystemRoot, standardizedPathResolvesDotsAndRefusesRelativePaths)
{
    struct Case {
        QString path;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        {u"/Users/al/../bob/"_s, u"/Users/bob"_s},
        {u"//System///Library/./Caches/"_s, u"/System/Library/Caches"_s},
        {u"/../System"_s, u"/System"_s},
        {u"/../../.."_s, u"/"_s},
        {u"/a/../../usr/bin"_s, u"/usr/bin"_s},
        {u"/..hidden/x"_s, u"/..hidden/x"_s},
        {u"/private/var/../tmp/"_s, u"/private/tmp"_s},
        {u"/"_s, u"/"_s},
        {u""_s, std::nullopt},
        {u"Downloads/x"_s, std::nullopt},
        {u"~/Downloads"_s, std::nullopt},
        {u"../etc"_s, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Platform::standardizedPath(c.path), c.expected) << c.path.toStdString();
}
