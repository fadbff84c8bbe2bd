#include "Tools/SpaceNode.h"

#include "Core/FileUtils.h"
#include "SpaceNodeChild.h"
#include "TempTree.h"

#include <QSet>

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QStringList names(const SpaceNode* node)
{
    QStringList out;
    for (const SpaceNode* c : node->children())
        out.append(c->name());
    return out;
}

qint64 onDisk(const QString& path)
{
    return FileUtils::allocatedSize(path).bytes;
}

// What must hold of every built node: kept children above 0, largest first, parent links back, and a listed
// folder's size the sum of its children's.
void checkInvariants(const SpaceNode* node, QSet<quint64>& ids)
{
    EXPECT_FALSE(ids.contains(node->id())) << qPrintable(node->url());
    ids.insert(node->id());
    qint64 sum = 0;
    qint64 previous = std::numeric_limits<qint64>::max();
    for (const SpaceNode* c : node->children()) {
        EXPECT_GT(c->size(), 0);
        EXPECT_LE(c->size(), previous);
        EXPECT_EQ(c->parent(), node);
        previous = c->size();
        sum += c->size();
        checkInvariants(c, ids);
    }
    if (!node->children().empty()) {
        EXPECT_EQ(node->size(), sum) << qPrintable(node->url());
    }
}

} // namespace

// One small home holds every case the tree must keep apart.
TEST(SpaceTree, buildsFourLevelsWithPackagesAndDeepFoldersAsLeaves)
{
    TempTree tree(uR"(
a/b/c/d/e/deep.bin 9000
a/b/c/d/other.bin 3000
a/b/c/third.bin 5000
a/file.bin 4096
Lumen.app/Contents/MacOS/Lumen 8192
Lumen.app/Contents/Info.plist 100
.cache/index 4096
empty.bin
emptydir/
zeros/z1
zeros/z2
eq-1 4096
eq-2 4096
same/x3/f 4096
same/x1/f 4096
same/x2/f 4096
"quote \" and\nnewline é" 4096
link -> a
dangling -> nowhere
twin => a/file.bin
)"_s);
    const std::shared_ptr<SpaceTree> measured = SpaceTree::measure(tree.root(), 4);
    const SpaceNode* root = measured->root();
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(root->isDirectory());
    EXPECT_EQ(root->url(), tree.root());
    EXPECT_EQ(root->name(), tree.root().section(u'/', -1));
    EXPECT_EQ(root->parent(), nullptr);
    // Everything the folder-size measure counts, links nothing, but a file with two names once: "twin" is the
    // second name of a/file.bin, met after it.
    EXPECT_EQ(root->size(), onDisk(tree.root()) - onDisk(tree.path(u"twin"_s)));

    QSet<quint64> ids;
    checkInvariants(root, ids);
    EXPECT_EQ(qsizetype(ids.size()), measured->nodeCount());

    const QStringList top = names(root);
    EXPECT_TRUE(top.contains(u".cache"_s));
    EXPECT_TRUE(top.contains(u"quote \" and\nnewline é"_s));
    for (const QString& gone : {u"empty.bin"_s, u"emptydir"_s, u"zeros"_s, u"link"_s, u"dangling"_s, u"twin"_s})
        EXPECT_FALSE(top.contains(gone)) << qPrintable(gone);
    // Equal sizes keep the listing's (byte) order, also for folders finished in any order.
    EXPECT_LT(top.indexOf(u"eq-1"_s), top.indexOf(u"eq-2"_s));
    EXPECT_EQ(names(child(root, u"same"_s)), (QStringList{u"x1"_s, u"x2"_s, u"x3"_s}));

    const SpaceNode* app = child(root, u"Lumen.app"_s);
    ASSERT_NE(app, nullptr);
    EXPECT_FALSE(app->isDirectory());
    EXPECT_TRUE(app->children().empty());
    EXPECT_EQ(app->size(), onDisk(tree.path(u"Lumen.app"_s)));

    const SpaceNode* d = child(child(child(child(root, u"a"_s), u"b"_s), u"c"_s), u"d"_s);
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isDirectory());
    EXPECT_TRUE(d->children().empty()); // the fourth level carries its whole sub-tree
    EXPECT_EQ(d->size(), onDisk(tree.path(u"a/b/c/d"_s)));
    EXPECT_EQ(d->url(), tree.path(u"a/b/c/d"_s));

    // A second measurement builds new nodes.
    const std::shared_ptr<SpaceTree> again = SpaceTree::measure(tree.root(), 4);
    EXPECT_EQ(again->root()->size(), root->size());
    EXPECT_FALSE(ids.contains(again->root()->id()));
}

TEST(SpaceTree, reportsEachTopLevelEntryThenTheEnd)
{
    TempTree tree(u"a 4096\nb/c 4096\nd\n"_s);
    QList<QPair<double, QString>> reports;
    SpaceTree::measure(tree.root(), 4, [&](double f, const QString& s) { reports.append({f, s}); });
    const QList<QPair<double, QString>> expected{{0.0, u"a"_s}, {1.0 / 3, u"b"_s}, {2.0 / 3, u"d"_s}, {1.0, QString()}};
    EXPECT_EQ(reports, expected);

    TempTree empty;
    reports.clear();
    const auto measured = SpaceTree::measure(empty.root(), 4, [&](double f, const QString& s) {
        reports.append({f, s});
    });
    EXPECT_EQ(measured->root()->size(), 0);
    EXPECT_TRUE(measured->root()->children().empty());
    EXPECT_EQ(reports, (QList<QPair<double, QString>>{{1.0, QString()}}));

    // A folder that cannot be read measures nothing.
    const auto missing = SpaceTree::measure(tree.path(u"missing"_s), 4);
    EXPECT_EQ(missing->root()->size(), 0);
}

// A stop keeps what was built, sorted and summed, and still ends with (1.0, "").
TEST(SpaceTree, stopsBetweenEntriesKeepingWhatWasBuilt)
{
    TempTree tree(u"a 4096\nb 8192\nc 4096\n"_s);
    std::stop_source stop;
    QList<QPair<double, QString>> reports;
    const auto measured = SpaceTree::measure(
        tree.root(), 4,
        [&](double f, const QString& s) {
            reports.append({f, s});
            if (s == u"b")
                stop.request_stop(); // b is still built: the stop is seen before c
        },
        stop.get_token());
    EXPECT_EQ(names(measured->root()), (QStringList{u"b"_s, u"a"_s}));
    EXPECT_EQ(measured->root()->size(), onDisk(tree.path(u"a"_s)) + onDisk(tree.path(u"b"_s)));
    EXPECT_EQ(reports.last(), (QPair<double, QString>{1.0, QString()}));

    // A stop while a folder's parts are being built leaves a smaller tree that still holds together.
    TempTree wide;
    QString description;
    for (int i = 0; i < 40; ++i)
        description += u"big/d%1/e/f 4096\nbig/d%1/g 8192\n"_s.arg(i);
    wide.add(description);
    const qint64 whole = SpaceTree::measure(wide.root(), 4)->root()->size();
    std::stop_source midway;
    std::jthread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        midway.request_stop();
    });
    const auto stopped = SpaceTree::measure(wide.root(), 4, {}, midway.get_token());
    stopper.join();
    QSet<quint64> ids;
    checkInvariants(stopped->root(), ids);
    EXPECT_LE(stopped->root()->size(), whole);
}

TEST(SpaceTree, namesTheFileSystemRootByItsPath)
{
    std::stop_source stopped;
    stopped.request_stop();
    const auto measured = SpaceTree::measure(u"/"_s, 4, {}, stopped.get_token());
    EXPECT_EQ(measured->root()->name(), u"/"_s);
    EXPECT_EQ(measured->root()->url(), u"/"_s);
}

// A file with several names takes its room once, as `du` counts it: at the first name met, wherever the others
// lie (beside it, in a folder measured whole, in a package); the folder measure elsewhere still counts each name.
TEST(SpaceTree, countsAFileWithSeveralNamesOnce)
{
    TempTree tree(uR"(
Liens/original 8192
Liens/second => Liens/original
Liens/troisième => Liens/original
Profond/a/b/c/d/quatrième => Liens/original
Lumen.app/Contents/cinquième => Liens/original
seul 4096
)"_s);
    const qint64 file = onDisk(tree.path(u"Liens/original"_s));
    ASSERT_GT(file, 0);
    const std::shared_ptr<SpaceTree> measured = SpaceTree::measure(tree.root(), 4);
    const SpaceNode* root = measured->root();
    EXPECT_EQ(root->size(), file + onDisk(tree.path(u"seul"_s)));
    const SpaceNode* links = child(root, u"Liens"_s);
    ASSERT_NE(links, nullptr);
    EXPECT_EQ(links->size(), file);
    EXPECT_EQ(names(links), QStringList{u"original"_s});
    EXPECT_EQ(child(root, u"Profond"_s), nullptr);
    EXPECT_EQ(child(root, u"Lumen.app"_s), nullptr);
    EXPECT_EQ(onDisk(tree.root()), 5 * file + onDisk(tree.path(u"seul"_s)));
}

// A folder's child list is kept right behind its name, whatever the name's length: folders named with every length
// from 1 to 17 bytes, and 255 ("é" takes two), each keep their own two files, largest first.
TEST(SpaceTree, foldersOfEveryNameLengthKeepTheirChildren)
{
    QString description;
    QStringList folders;
    for (int length = 1; length <= 17; ++length)
        folders.append(QString(length, u'n'));
    folders.append(QString(127, u'é') + u'n');
    for (const QString& folder : std::as_const(folders))
        description += folder + u"/petit 4096\n"_s + folder + u"/grand 12288\n"_s;
    TempTree tree(description);
    const std::shared_ptr<SpaceTree> measured = SpaceTree::measure(tree.root(), 4);
    const SpaceNode* root = measured->root();
    QSet<quint64> ids;
    checkInvariants(root, ids);
    ASSERT_EQ(root->children().size(), std::size_t(folders.size()));
    for (const QString& folder : std::as_const(folders)) {
        const SpaceNode* node = child(root, folder);
        ASSERT_NE(node, nullptr) << folder.size();
        EXPECT_EQ(node->name(), folder);
        EXPECT_EQ(names(node), (QStringList{u"grand"_s, u"petit"_s})) << folder.size();
        EXPECT_EQ(node->children()[0]->url(), tree.path(folder + u"/grand"_s));
    }
}
