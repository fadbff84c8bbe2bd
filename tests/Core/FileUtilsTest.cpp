#include "Core/FileUtils.h"

#include "Core/BackgroundJob.h"
#include "Core/RunContext.h"
#include "Platform/FileSystem.h"
#include "Platform/SystemRoot.h"
#include "Sandbox.h"
#include "TempTree.h"
#include "WaitFor.h"

#include <atomic>
#include <chrono>
#include <latch>
#include <limits>
#include <stop_token>

#include <QThreadPool>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using FileUtils::SizeResult;

namespace {

// A time-out, in seconds, that a loaded machine never runs out on these small trees.
constexpr double ample = TestSupport::waitBound / 1000.0;

qint64 allocated(const QString& path)
{
    return Platform::fileInfo(path)->allocatedSize;
}

// HOME for one test, restored afterwards.
class HomeOverride final
{
public:
    explicit HomeOverride(const QString& home) : m_saved(qEnvironmentVariable("HOME"))
    {
        qputenv("HOME", home.toUtf8());
    }
    ~HomeOverride() { qputenv("HOME", m_saved.toUtf8()); }

private:
    QString m_saved;
};

} // namespace

TEST(FileUtils, libraryURLAppendsComponentsToTheUsersLibrary)
{
    EXPECT_EQ(FileUtils::libraryURL(), TestSupport::home() + u"/Library"_s);
    EXPECT_EQ(FileUtils::libraryURL({u"Application Support"_s, u"com.apple.TCC"_s}),
              TestSupport::home() + u"/Library/Application Support/com.apple.TCC"_s);
}

TEST(FileUtils, modificationDateOfTheEntryItself)
{
    const TempTree tree(uR"(
        file 1
        dangling -> nowhere
    )"_s);
    EXPECT_TRUE(FileUtils::modificationDate(tree.path(u"file"_s)).has_value());
    EXPECT_TRUE(FileUtils::modificationDate(tree.path(u"dangling"_s)).has_value());
    EXPECT_FALSE(FileUtils::modificationDate(tree.path(u"missing"_s)).has_value());
}

TEST(FileUtils, allocatedSizeOfFilesFoldersAndLinks)
{
    const TempTree tree(uR"(
        big/a.bin 100000
        big/.hidden 5000
        big/Tool.app/Contents/Resources/r.dat 20000
        big/inner-link -> a.bin
        big/folder-link -> Tool.app
        single.bin 3000
        link-to-big -> big
        empty/
    )"_s);
    const qint64 expectedBig = allocated(tree.path(u"big/a.bin"_s)) + allocated(tree.path(u"big/.hidden"_s)) +
                               allocated(tree.path(u"big/Tool.app/Contents/Resources/r.dat"_s));
    for (const std::optional<double> timeout : {std::optional<double>(), std::optional<double>(5.0)}) {
        EXPECT_EQ(FileUtils::allocatedSize(tree.path(u"big"_s), timeout), (SizeResult{expectedBig, false}));
        EXPECT_EQ(FileUtils::allocatedSize(tree.path(u"single.bin"_s), timeout),
                  (SizeResult{allocated(tree.path(u"single.bin"_s)), false}));
        EXPECT_EQ(FileUtils::allocatedSize(tree.path(u"link-to-big"_s), timeout), (SizeResult{0, false}));
        EXPECT_EQ(FileUtils::allocatedSize(tree.path(u"empty"_s), timeout), (SizeResult{0, false}));
        EXPECT_EQ(FileUtils::allocatedSize(tree.path(u"missing"_s), timeout), (SizeResult{0, false}));
    }
    EXPECT_EQ(FileUtils::walkAllocatedSize(tree.path(u"big"_s)), expectedBig);
}

TEST(FileUtils, aTimedMeasureThatRunsOutReturnsALowerBoundAtOnce)
{
    TempTree tree;
    QString description;
    for (int i = 0; i < 4000; ++i)
        description += u"d%1/f%2 1\n"_s.arg(i % 40).arg(i);
    tree.add(description);
    const qint64 full = FileUtils::allocatedSize(tree.root()).bytes;

    const auto started = std::chrono::steady_clock::now();
    const SizeResult partial = FileUtils::allocatedSize(tree.root(), 0.0);
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_TRUE(partial.timedOut);
    EXPECT_LE(partial.bytes, full);
    EXPECT_LT(waited, std::chrono::seconds(1));
    EXPECT_EQ(FileUtils::allocatedSize(tree.root(), ample), (SizeResult{full, false}));
}

TEST(FileUtils, anUntimedMeasureStopsWhenAsked)
{
    const TempTree tree(u"a/b 5000"_s);
    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(FileUtils::allocatedSize(tree.root(), std::nullopt, stop.get_token()), (SizeResult{0, false}));
}

// The timed walk runs on the jobs' pool: callers that fill the whole pool still get their walks run, and a
// caller's stop ends its wait at once.
TEST(FileUtils, aTimedMeasureFromEveryPoolThreadStillFinishesAndStopsWhenItsCallerStops)
{
    const TempTree tree(u"a/b 5000\nc 3000"_s);
    const qint64 full = FileUtils::allocatedSize(tree.root()).bytes;
    QThreadPool& pool = Background::pool();
    const int callers = pool.maxThreadCount();
    std::atomic<int> exact{0};
    std::latch finished(callers);
    for (int i = 0; i < callers; ++i) {
        pool.start([&] {
            if (FileUtils::allocatedSize(tree.root(), ample) == SizeResult{full, false})
                ++exact;
            finished.count_down();
        });
    }
    finished.wait();
    EXPECT_EQ(exact.load(), callers);

    std::stop_source stop;
    stop.request_stop();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(FileUtils::allocatedSize(tree.root(), ample, stop.get_token()).timedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST(FileUtils, abbreviatedPathReplacesTheHomeOnlyAtAPathBoundary)
{
    const HomeOverride home(u"/Users/al"_s);
    struct Case {
        QString path;
        QString expected;
    };
    const Case cases[] = {
        {u"/Users/al"_s, u"~"_s},
        {u"/Users/al/Documents/a.txt"_s, u"~/Documents/a.txt"_s},
        {u"/Users/al2/x"_s, u"/Users/al2/x"_s},
        {u"/Library/Caches"_s, u"/Library/Caches"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileUtils::abbreviatedPath(c.path), c.expected);
}

TEST(FileUtils, addBytesHoldsAtTheLimitsInsteadOfWrapping)
{
    constexpr qint64 max = std::numeric_limits<qint64>::max();
    constexpr qint64 min = std::numeric_limits<qint64>::min();
    const struct {
        qint64 total;
        qint64 bytes;
        qint64 sum;
    } cases[] = {{0, 0, 0},          {4096, 100, 4196},  {max - 1, 1, max}, {max - 1, max - 1, max},
                 {max, -1, max - 1}, {min + 1, -5, min}, {-10, 3, -7}};
    for (const auto& c : cases)
        EXPECT_EQ(FileUtils::addBytes(c.total, c.bytes), c.sum) << c.total << " + " << c.bytes;
}

TEST(RunContext, aTestProcessIsNoAppBundle)
{
    EXPECT_FALSE(isRunningAsAppBundle());
    const QByteArray saved = qgetenv("XCTestConfigurationFilePath");
    qunsetenv("XCTestConfigurationFilePath");
    EXPECT_FALSE(isRunningAsAppBundle()); // the test binary has no bundle identifier
    qputenv("XCTestConfigurationFilePath", saved);
}
