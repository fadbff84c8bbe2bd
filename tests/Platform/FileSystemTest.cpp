#include "Platform/FileSystem.h"
#include "Platform/FolderSize.h"

#include "Platform/FileOperations.h"
#include "TempTree.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <stop_token>
#include <tuple>

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QStringList names(const std::vector<Platform::FileInfo>& entries)
{
    QStringList list;
    for (const Platform::FileInfo& entry : entries)
        list.append(entry.name);
    return list;
}

// Paths relative to the tree, in the order the walk yields them.
QStringList walked(const TempTree& tree, const Platform::WalkVisitor& extra = {})
{
    QStringList seen;
    Platform::walkTree(tree.root(), [&](const Platform::FileInfo& entry, int depth) {
        seen.append(entry.path.mid(tree.root().size() + 1));
        return extra ? extra(entry, depth) : Platform::WalkStep::Continue;
    });
    return seen;
}

} // namespace

TEST(FileSystem, listingIsSortedByNameBytesWithOddNamesIntact)
{
    const TempTree tree(uR"(
        b.txt 1
        B.txt 1
        "avec des espaces" 1
        "guillemets ' et \"" 1
        "ligne\nsuivante" 1
        "été.txt" 1
        a/
    )"_s);
    const auto entries = Platform::listFolder(tree.root());
    EXPECT_EQ(names(entries), (QStringList{u"B.txt"_s, u"a"_s, u"avec des espaces"_s, u"b.txt"_s,
                                           u"guillemets ' et \""_s, u"ligne\nsuivante"_s, u"été.txt"_s}));
    for (const Platform::FileInfo& entry : entries)
        EXPECT_EQ(entry.path, tree.path(entry.name));
}

TEST(FileSystem, describesEntriesWithoutFollowingLinks)
{
    const TempTree tree(uR"(
        data.bin 10000
        link -> data.bin
        dangling -> nowhere
        folder/
    )"_s);
    const auto file = Platform::fileInfo(tree.path(u"data.bin"_s));
    ASSERT_TRUE(file.has_value());
    EXPECT_TRUE(file->isRegular());
    EXPECT_EQ(file->logicalSize, 10000);
    EXPECT_GE(file->allocatedSize, 10000);
    EXPECT_EQ(file->allocatedSize % 512, 0);
    EXPECT_TRUE(file->modified.isValid());
    EXPECT_NE(file->inode, 0u);

    // The lean listing gives a regular file the same figures from its one look.
    const std::vector<Platform::LeanEntry> lean = Platform::listFolderLean(tree.path(u""_s));
    const auto leanFile = std::find_if(lean.begin(), lean.end(), [](const auto& e) { return e.name == "data.bin"; });
    ASSERT_NE(leanFile, lean.end());
    EXPECT_EQ(leanFile->logicalSize, file->logicalSize);
    EXPECT_EQ(leanFile->allocatedSize, file->allocatedSize);
    EXPECT_EQ(leanFile->inode, file->inode);

    const auto link = Platform::fileInfo(tree.path(u"link"_s));
    ASSERT_TRUE(link.has_value());
    EXPECT_TRUE(link->isSymlink());
    EXPECT_NE(link->inode, file->inode);
    EXPECT_TRUE(Platform::fileInfo(tree.path(u"dangling"_s))->isSymlink());
    EXPECT_TRUE(Platform::fileInfo(tree.path(u"folder"_s))->isDirectory());

    int error = 0;
    EXPECT_FALSE(Platform::fileInfo(tree.path(u"missing"_s), &error).has_value());
    EXPECT_EQ(error, ENOENT);
}

TEST(FileSystem, walkIsPreOrderAndNeverEntersLinks)
{
    const TempTree tree(uR"(
        a/one 1
        a/sub/two 1
        b 1
        loop -> .
        toA -> a
        dangling -> missing
    )"_s);
    EXPECT_EQ(walked(tree), (QStringList{u"a"_s, u"a/one"_s, u"a/sub"_s, u"a/sub/two"_s, u"b"_s, u"dangling"_s,
                                         u"loop"_s, u"toA"_s}));
}

TEST(FileSystem, walkSkipsDescendantsWhenAsked)
{
    const TempTree tree(uR"(
        a/one 1
        a/sub/two 1
        b/three 1
    )"_s);
    const QStringList seen = walked(tree, [](const Platform::FileInfo& entry, int) {
        return entry.name == u"a" ? Platform::WalkStep::SkipDescendants : Platform::WalkStep::Continue;
    });
    EXPECT_EQ(seen, (QStringList{u"a"_s, u"b"_s, u"b/three"_s}));
}

TEST(FileSystem, walkStopsBetweenEntries)
{
    const TempTree tree(uR"(
        a 1
        b 1
        c 1
        d 1
    )"_s);
    std::stop_source stop;
    QStringList seen;
    const bool finished = Platform::walkTree(
        tree.root(),
        [&](const Platform::FileInfo& entry, int) {
            seen.append(entry.name);
            if (seen.size() == 2)
                stop.request_stop();
            return Platform::WalkStep::Continue;
        },
        stop.get_token());
    EXPECT_FALSE(finished);
    EXPECT_EQ(seen, (QStringList{u"a"_s, u"b"_s}));
}

TEST(FileSystem, namesThatDoNotSurviveDecodingAreNeverYielded)
{
    const TempTree tree(uR"(
        "bad\xff\xfename/inner" 100
        "bad\xffname.txt" 100
        good.txt 1
    )"_s);
    EXPECT_EQ(names(Platform::listFolder(tree.root())), QStringList{u"good.txt"_s});
    EXPECT_EQ(walked(tree), QStringList{u"good.txt"_s});
    EXPECT_FALSE(Platform::nameSurvivesDecoding("bad\xff"));
    EXPECT_TRUE(Platform::nameSurvivesDecoding("été"));
}

TEST(FileSystem, walkPassesOverUnreadableFolders)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every folder";
    const TempTree tree(uR"(
        closed/secret 1
        open/visible 1
    )"_s);
    ::chmod(tree.path(u"closed"_s).toUtf8().constData(), 0);
    EXPECT_EQ(walked(tree), (QStringList{u"closed"_s, u"open"_s, u"open/visible"_s}));
    int error = 0;
    EXPECT_TRUE(Platform::listFolder(tree.path(u"closed"_s), &error).empty());
    EXPECT_EQ(error, EACCES);
    // The walk and the measure both say that a part went unread.
    bool complete = true;
    Platform::walkTree(
        tree.root(), [](const Platform::FileInfo&, int) { return Platform::WalkStep::Continue; }, {}, &complete);
    EXPECT_FALSE(complete);
    complete = true;
    Platform::treeAllocatedBytes(tree.root(), {}, nullptr, &complete);
    EXPECT_FALSE(complete);
    ::chmod(tree.path(u"closed"_s).toUtf8().constData(), 0755);
}

TEST(FileSystem, aLinkAsRootIsNotWalked)
{
    const TempTree tree(uR"(
        real/file 1
        alias -> real
    )"_s);
    int count = 0;
    Platform::walkTree(tree.path(u"alias"_s), [&](const Platform::FileInfo&, int) {
        ++count;
        return Platform::WalkStep::Continue;
    });
    EXPECT_EQ(count, 0);
}

TEST(FileSystem, aFolderRemovedWhileWalkedIsPassedOver)
{
    const TempTree tree(uR"(
        a/one 1
        b/two 1
        c/three 1
    )"_s);
    QStringList seen;
    Platform::walkTree(tree.root(), [&](const Platform::FileInfo& entry, int) {
        seen.append(entry.name);
        if (entry.name == u"a") {
            EXPECT_FALSE(Platform::removeItem(tree.path(u"b"_s)).has_value());
        }
        return Platform::WalkStep::Continue;
    });
    // "b" was listed before it went, so it is yielded, but nothing below it is.
    EXPECT_EQ(seen, (QStringList{u"a"_s, u"one"_s, u"b"_s, u"c"_s, u"three"_s}));
}

TEST(FileSystem, packagesAreKnownByTheirExtensionInAnyCase)
{
    const struct {
        const char* path;
        bool package;
    } cases[] = {
        {"/Applications/Lumen.app", true},
        {"/x/Rapport.PAGES", true},
        {"/x/Photos.photoslibrary", true},
        {"/x/Archive 2.xcarchive", true},
        {"/x/Disk.sparsebundle", true},
        {"/x/.app", false},
        {"/x/app", false},
        {"/x/Lumen.app.zip", false},
        {"/x/Lumen.", false},
        {"/x/Lumen.app/Contents", false},
        {"/x.app/Contents", false},
        {"/x/notes.txt", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Platform::isPackage(QString::fromUtf8(c.path)), c.package) << c.path;
}

// The walk side by side reads what the walk one entry after another reads, and its places put the entries back
// in that walk's order, whatever the names, links, hidden folders and packages, and when a folder goes while
// the walk is under way.
TEST(FileSystem, walkSideBySideYieldsTheSerialWalksEntriesInItsOrder)
{
    const struct {
        const char* title;
        QString tree;
        QString removed; // a folder removed once its parent has been read
    } cases[] = {
        {"odd names",
         uR"(
            a/x 1
            a-b/x 1
            a.b/x 1
            "a b/x" 1
            A/x 1
            "ligne\nsuivante/f" 1
            "guillemets ' et \"/g" 1
            "été/f" 1
            "\xff\xfe/hidden-by-its-name" 1
            "bad\xffname" 1
            d1/d2/d3/d4/d5/d6/f 1
        )"_s,
         {}},
        {"packages and hidden folders",
         uR"(
            Lumen.app/Contents/MacOS/lumen 1
            Rapport.PAGES/Data/x 1
            .cache/a/b 1
            Documents/.hidden/z 1
            Documents/visible 1
            .app/x 1
        )"_s,
         {}},
        {"links",
         uR"(
            a/f 1
            link -> a
            loop -> .
            nowhere -> missing
            deeper/up -> ..
            deeper/twin => a/f
        )"_s,
         {}},
        {"a folder removed during the walk", uR"(
            early/f 1
            gone/sub/f 1
            gone/g 1
            later/f 1
        )"_s,
         u"gone"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        const TempTree serialTree(c.tree);
        const TempTree sideTree(c.tree);
        const QString serialRemoved = c.removed.isEmpty() ? QString() : serialTree.path(c.removed);
        const QStringList serial = walked(serialTree, [&](const Platform::FileInfo& entry, int) {
            if (entry.path == serialRemoved)
                Platform::removeItem(entry.path);
            return Platform::WalkStep::Continue;
        });
        ASSERT_FALSE(serial.isEmpty());

        const QString sideRemoved = c.removed.isEmpty() ? QString() : sideTree.path(c.removed);
        std::mutex mutex;
        // Each entry with its folder, the folders entered before it there, and its place in the folder.
        std::vector<std::tuple<std::uint32_t, std::uint32_t, std::size_t, QString>> seen;
        Platform::WalkOrder order;
        Platform::walkTreeSideBySide(
            sideTree.root(),
            [&](const Platform::WalkedFolder& folder, std::vector<char>& enter) {
                const std::lock_guard lock(mutex);
                std::uint32_t entered = 0;
                for (std::size_t i = 0; i < folder.entries.size(); ++i) {
                    const QString path = folder.path() + u'/' + QFile::decodeName(folder.entries[i].name.c_str());
                    seen.emplace_back(folder.id, entered, i, path.mid(sideTree.root().size() + 1));
                    enter[i] = folder.entries[i].kind == Platform::EntryKind::Directory;
                    entered += enter[i];
                    if (path == sideRemoved)
                        Platform::removeItem(path);
                }
            },
            {}, &order);
        std::sort(seen.begin(), seen.end(), [&](const auto& a, const auto& b) {
            const auto keyA = order.key(std::get<0>(a), std::get<1>(a));
            const auto keyB = order.key(std::get<0>(b), std::get<1>(b));
            return keyA != keyB ? keyA < keyB : std::get<2>(a) < std::get<2>(b);
        });
        QStringList side;
        for (const auto& entry : seen)
            side.append(std::get<3>(entry));
        EXPECT_EQ(side, serial);
    }
}
