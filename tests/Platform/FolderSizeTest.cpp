#include "Platform/FolderSize.h"

#include "Platform/FileSystem.h"
#include "TempTree.h"

#include <atomic>
#include <stop_token>

#include <sys/stat.h>

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

qint64 blocksOf(const QByteArray& rawPath)
{
    struct stat st {
    };
    EXPECT_EQ(::lstat(rawPath.constData(), &st), 0) << rawPath.toStdString();
    return qint64(st.st_blocks) * 512;
}

qint64 blocksOf(const QString& path)
{
    return blocksOf(QFile::encodeName(path));
}

} // namespace

TEST(FolderSize, countsRegularFilesOnlyAndHardLinksEachTime)
{
    const TempTree tree(uR"(
        a.bin 5000
        sub/b.bin 70000
        sub/deeper/c.bin 1
        sub/twin => sub/b.bin
        .hidden 3000
        App.app/Contents/MacOS/run 9000
        sparse ~50000000
        link -> sub
        empty/
    )"_s);
    const qint64 expected = blocksOf(tree.path(u"a.bin"_s)) + 2 * blocksOf(tree.path(u"sub/b.bin"_s)) +
                            blocksOf(tree.path(u"sub/deeper/c.bin"_s)) + blocksOf(tree.path(u".hidden"_s)) +
                            blocksOf(tree.path(u"App.app/Contents/MacOS/run"_s)) + blocksOf(tree.path(u"sparse"_s));
    std::atomic<qint64> live{0};
    EXPECT_EQ(Platform::treeAllocatedBytes(tree.root(), {}, &live), expected);
    EXPECT_EQ(live.load(), expected);
    EXPECT_EQ(Platform::treeAllocatedBytes(tree.path(u"empty"_s)), 0);
    EXPECT_EQ(Platform::treeAllocatedBytes(tree.path(u"link"_s)), 0);
    EXPECT_EQ(Platform::treeAllocatedBytes(tree.path(u"missing"_s)), 0);
}

TEST(FolderSize, namesThatCannotBeShownStillCount)
{
    const TempTree tree(uR"(
        "bad\xffname" 8000
        "bad\xfe/inner" 8000
    )"_s);
    EXPECT_EQ(Platform::treeAllocatedBytes(tree.root()), blocksOf(tree.rawPath("bad\xff"
                                                                               "name")) +
                                                             blocksOf(tree.rawPath("bad\xfe/inner")));
}

// Large enough for the pool to join in; the sum must not depend on who walked what.
TEST(FolderSize, aLargeTreeSharedWithThePoolGivesTheSameSum)
{
    TempTree tree;
    QString description;
    for (int folder = 0; folder < 60; ++folder) {
        for (int file = 0; file < 120; ++file)
            description += u"d%1/s%2/f%3 %4\n"_s.arg(folder).arg(file % 7).arg(file).arg(1 + (file % 3) * 4096);
    }
    tree.add(description);

    qint64 expected = 0;
    Platform::walkTree(tree.root(), [&](const Platform::FileInfo& entry, int) {
        if (entry.isRegular())
            expected += entry.allocatedSize;
        return Platform::WalkStep::Continue;
    });
    ASSERT_GT(expected, 0);
    for (int run = 0; run < 5; ++run)
        EXPECT_EQ(Platform::treeAllocatedBytes(tree.root()), expected);
}

TEST(FolderSize, aStoppedWalkReturnsAtOnce)
{
    const TempTree tree(uR"(
        a/x 5000
        b/y 5000
    )"_s);
    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(Platform::treeAllocatedBytes(tree.root(), stop.get_token()), 0);
}
