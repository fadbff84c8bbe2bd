#include "Platform/ProcText.h"

#include <QByteArray>
#include <QFile>

#include <gtest/gtest.h>

#include <limits>

using namespace Platform;

namespace {

QByteArray fixture(const char* name)
{
    QFile file(QString::fromUtf8(QP_SOURCE_DIR "/tests/fixtures/proc/") + QString::fromUtf8(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

constexpr qint64 KiB = 1024;

// The five lines every kernel we read writes, with the given Zswap line (or none) at the end.
QByteArray meminfo(const QByteArray& extra = {})
{
    return "MemTotal:       24682348 kB\n"
           "Active:          1000 kB\n"
           "Unevictable:       10 kB\n"
           "SUnreclaim:        20 kB\n"
           "KernelStack:       30 kB\n"
           "PageTables:        40 kB\n" +
           extra;
}

} // namespace

TEST(ProcText, meminfoOfARealKernel)
{
    const std::optional<MemoryCounters> counters = ProcText::parseMeminfo(fixture("meminfo"));
    ASSERT_TRUE(counters);
    EXPECT_EQ(counters->active, 1550048 * KiB);
    EXPECT_EQ(counters->wired, (16104 + 50896 + 4320 + 12988) * KiB);
    EXPECT_EQ(counters->compressed, 20480 * KiB);
}

TEST(ProcText, meminfoCases)
{
    const struct {
        const char* label;
        QByteArray text;
        std::optional<MemoryCounters> expected;
    } cases[] = {
        {"no Zswap line: nothing compressed", meminfo(), MemoryCounters{1000 * KiB, 100 * KiB, 0}},
        {"Zswap", meminfo("Zswap: 7 kB\n"), MemoryCounters{1000 * KiB, 100 * KiB, 7 * KiB}},
        {"Active(anon) and Zswapped are other names", "Active(anon):  999999 kB\nZswapped: 5 kB\n" + meminfo(),
         MemoryCounters{1000 * KiB, 100 * KiB, 0}},
        {"the first of two lines counts", meminfo("Active: 5 kB\n"), MemoryCounters{1000 * KiB, 100 * KiB, 0}},
        {"no trailing newline", meminfo("Zswap: 7 kB"), MemoryCounters{1000 * KiB, 100 * KiB, 7 * KiB}},
        {"a wired line missing", QByteArray(meminfo()).replace("KernelStack", "KernelStock"), std::nullopt},
        {"Active missing", QByteArray(meminfo()).replace("Active:", "Inactive:"), std::nullopt},
        {"a value that is no number", meminfo("Zswap: 7x kB\n"), std::nullopt},
        {"a negative value", QByteArray(meminfo()).replace(" 1000 kB", " -1000 kB"), std::nullopt},
        {"a value without its unit", QByteArray(meminfo()).replace("40 kB", "40"), std::nullopt},
        {"too many bytes for an Int64", meminfo("Zswap: 9007199254740992 kB\n"), std::nullopt},
        {"empty", QByteArray(), std::nullopt},
        {"wired lines each just within an Int64 sum past it: held at the largest",
         "Active: 1 kB\nUnevictable: 9007199254740991 kB\nSUnreclaim: 9007199254740991 kB\n"
         "KernelStack: 9007199254740991 kB\nPageTables: 9007199254740991 kB\n",
         MemoryCounters{KiB, std::numeric_limits<qint64>::max(), 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProcText::parseMeminfo(c.text), c.expected) << c.label;
}

TEST(ProcText, statOfARealKernel)
{
    // cpu  973834 120 314727 2654487 4035 15 2308 7 300 5: iowait joins idle, irq and softirq join system,
    // steal and the guest columns (already inside user and nice) are left out.
    const std::optional<ProcessorTicks> ticks = ProcText::parseStat(fixture("stat"));
    ASSERT_TRUE(ticks);
    EXPECT_EQ(*ticks, (ProcessorTicks{973834, 314727 + 15 + 2308, 2654487 + 4035, 120}));
}

TEST(ProcText, statCases)
{
    const struct {
        const char* label;
        QByteArray text;
        std::optional<ProcessorTicks> expected;
    } cases[] = {
        {"an old kernel's four columns", "cpu 10 20 30 40\n", ProcessorTicks{10, 30, 40, 20}},
        {"the all-processor line after one processor's", "cpu0 1 1 1 1\ncpu  10 20 30 40 5 6 7\n",
         ProcessorTicks{10, 43, 45, 20}},
        {"counters beyond 32 bits", "cpu 8589934592 0 0 1\n", ProcessorTicks{8589934592.0, 0, 1, 0}},
        {"only one processor's line", "cpu0 1 2 3 4\n", std::nullopt},
        {"three columns", "cpu 1 2 3\n", std::nullopt},
        {"a damaged column", "cpu 1 2 3 4 x\n", std::nullopt},
        {"a negative column", "cpu 1 -2 3 4\n", std::nullopt},
        {"empty", QByteArray(), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProcText::parseStat(c.text), c.expected) << c.label;
}

TEST(ProcText, uptimeCases)
{
    const struct {
        const char* text;
        std::optional<double> expected;
    } cases[] = {
        {"4601.99 25422.72\n", 4601.99},
        {"0.00 0.00", 0.0},
        {"12", 12.0},
        {"", std::nullopt},
        {"-3.5 1.0", std::nullopt},
        {"nan 1", std::nullopt},
        {"inf 1", std::nullopt},
        {"up 3", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProcText::parseUptime(c.text), c.expected) << c.text;
}
