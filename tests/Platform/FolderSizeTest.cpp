#include "Platform/FolderSize.h"

#include "Platform/FileSystem.h"
#include "TempTree.h"

#include <QStringList>

#include <atomic>
#include <functional>
#include <mutex>
#include <stop_token>

#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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
    bool complete = true;
    Platform::treeAllocatedBytes(tree.root(), stop.get_token(), nullptr, &complete);
    EXPECT_FALSE(complete);
}

namespace {

// A chain of `levels` folders named `name` below `root`, each holding a one-byte file "f", made through
// descriptors so that no path grows past the system's limit.
void makeChain(const QString& root, const std::string& name, int levels)
{
    int fd = ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    for (int level = 0; level < levels; ++level) {
        ASSERT_EQ(::mkdirat(fd, name.c_str(), 0755), 0);
        const int child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        ASSERT_GE(child, 0);
        fd = child;
        const int file = ::openat(fd, "f", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_EQ(::write(file, "x", 1), 1);
        ::close(file);
    }
    ::close(fd);
}

// Removes what makeChain made, from the bottom up through "..", as no path reaches the bottom.
void removeChain(const QString& root, const std::string& name)
{
    int fd = ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int depth = 0;
    while (true) {
        const int child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (child < 0)
            break;
        ::close(fd);
        fd = child;
        ::unlinkat(fd, "f", 0);
        ++depth;
    }
    for (; depth > 0; --depth) {
        const int parent = ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = parent;
        ::unlinkat(fd, name.c_str(), AT_REMOVEDIR);
    }
    ::close(fd);
}

// Runs `work` on a thread with a 512 KiB stack, the Mac's default for secondary threads.
void onSmallStack(const std::function<void()>& work)
{
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 512 * 1024);
    pthread_t thread;
    auto* task = new std::function<void()>(work);
    ASSERT_EQ(pthread_create(
                  &thread, &attributes,
                  [](void* argument) -> void* {
                      auto* f = static_cast<std::function<void()>*>(argument);
                      (*f)();
                      delete f;
                      return nullptr;
                  },
                  task),
              0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

} // namespace

// Both walkers, past the path limit and ten thousand levels down, on a small stack and with 256 descriptors:
// the parallel measure, the serial walk and the count of the files agree, and nothing is reported missing.
TEST(FolderSize, deepTreesAreMeasuredExactlyByBothWalkers)
{
    const struct {
        const char* label;
        std::string name;
        int levels;
    } cases[] = {
        {"a 5,000-character path", std::string(99, 'n'), 50},
        {"a 10,000-level tree", "d", 10000},
    };
    for (const auto& c : cases) {
        TempTree tree;
        // Enough entries at the top for the pool to join in before the chain is walked.
        QString wide;
        for (int i = 0; i < 4500; ++i)
            wide += u"w%1\n"_s.arg(i);
        tree.add(wide);
        makeChain(tree.root(), c.name, c.levels);
        const qint64 perLevel = blocksOf(tree.path(QString::fromStdString(c.name) + u"/f"_s));
        ASSERT_GT(perLevel, 0);
        const qint64 expected = perLevel * c.levels;

        struct rlimit saved {
        };
        ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
        struct rlimit lowered = saved;
        lowered.rlim_cur = std::min<rlim_t>(256, saved.rlim_cur);
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
        qint64 measured = -1;
        qint64 walked = 0;
        int deepest = 0;
        bool measureComplete = false;
        bool walkComplete = false;
        onSmallStack([&] {
            measured = Platform::treeAllocatedBytes(tree.root(), {}, nullptr, &measureComplete);
            Platform::walkTree(
                tree.root(),
                [&](const Platform::FileInfo& entry, int depth) {
                    if (entry.isRegular())
                        walked += entry.allocatedSize;
                    deepest = std::max(deepest, depth);
                    return Platform::WalkStep::Continue;
                },
                {}, &walkComplete);
        });
        ::setrlimit(RLIMIT_NOFILE, &saved);

        EXPECT_EQ(measured, expected) << c.label;
        EXPECT_EQ(walked, expected) << c.label;
        EXPECT_EQ(deepest, c.levels + 1) << c.label;
        EXPECT_TRUE(measureComplete) << c.label;
        EXPECT_TRUE(walkComplete) << c.label;
        removeChain(tree.root(), c.name);
    }
}

// Past the bound on open folders, coming back up a deep branch must still reach what its shallow ancestors hold
// after it: each closed folder on the way is reopened, even one with nothing left of its own. With the pool in
// the walk, the folders still waiting high up are handed to idle walkers while one walker is deep down: each is
// still walked once, under its own path.
TEST(FolderSize, whatFollowsADeepBranchIsStillReachedByBothWalkers)
{
    QString deep = u"n0"_s;
    for (int level = 1; level < 40; ++level)
        deep += u"/n%1"_s.arg(level);
    QString wide;
    for (int i = 0; i < 4500; ++i)
        wide += u"w%1\n"_s.arg(i);
    const struct {
        const char* label;
        int branches;
        QString top; // entries beside the branches
    } cases[] = {
        {"one branch, walked alone", 1, {}},
        {"six branches, the pool joining in at the top", 6, wide},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        QStringList files;
        for (int branch = 0; branch < c.branches; ++branch) {
            const QString b = u"b%1/"_s.arg(branch);
            files << b + deep + u"/leaf"_s << b + u"z.bin"_s << b + u"n0/z.bin"_s << b + u"n0/n1/n2/side/f"_s
                  << b + deep.section(u'/', 0, 19) + u"/mid/f"_s;
        }
        QString description = c.top;
        for (const QString& file : files)
            description += file + u" 4096\n"_s;
        const TempTree tree(description);
        QStringList walked;
        Platform::walkTree(tree.root(), [&](const Platform::FileInfo& entry, int) {
            if (entry.isRegular() && entry.allocatedSize > 0)
                walked << entry.path.mid(tree.root().size() + 1);
            return Platform::WalkStep::Continue;
        });
        walked.sort();
        files.sort();
        EXPECT_EQ(walked, files);
        // The side-by-side walk hands folders between walkers with their paths.
        std::mutex mutex;
        QStringList sideBySide;
        bool sideComplete = false;
        Platform::walkTreeSideBySide(
            tree.root(),
            [&](const Platform::WalkedFolder& folder, std::vector<char>& enter) {
                const QString at = folder.path();
                for (std::size_t i = 0; i < folder.entries.size(); ++i) {
                    const Platform::LeanEntry& entry = folder.entries[i];
                    enter[i] = entry.kind == Platform::EntryKind::Directory;
                    if (entry.kind == Platform::EntryKind::Regular && entry.allocatedSize > 0) {
                        const std::lock_guard lock(mutex);
                        sideBySide
                            << QString(at + u'/' + QFile::decodeName(entry.name.c_str())).mid(tree.root().size() + 1);
                    }
                }
            },
            {}, nullptr, &sideComplete);
        sideBySide.sort();
        EXPECT_EQ(sideBySide, files);
        EXPECT_TRUE(sideComplete);
        bool complete = false;
        qint64 expected = 0;
        for (const QString& file : files)
            expected += Platform::fileInfo(tree.path(file))->allocatedSize;
        EXPECT_EQ(Platform::treeAllocatedBytes(tree.root(), {}, nullptr, &complete), expected);
        EXPECT_TRUE(complete);
    }
}
