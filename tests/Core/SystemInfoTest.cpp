#include "Core/SystemInfo.h"

#include "Platform/SystemRoot.h"

#include "Sandbox.h"
#include "ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Qt::StringLiterals;
using Platform::MemoryCounters;
using Platform::VolumeCapacity;
using SystemInfo::CPUTicks;

TEST(SystemInfo, diskFreeSpacePrefersWhatImportantUsageCanHave)
{
    const struct {
        const char* label;
        std::optional<VolumeCapacity> capacity;
        SystemInfo::Disk expected;
    } cases[] = {
        {"important usage counts purgeable space", VolumeCapacity{1000, 700, 400}, {1000, 700}},
        {"no figure for important usage", VolumeCapacity{1000, std::nullopt, 400}, {1000, 400}},
        {"no free figure at all", VolumeCapacity{1000, std::nullopt, std::nullopt}, {1000, 0}},
        {"no total", VolumeCapacity{std::nullopt, std::nullopt, 400}, {0, 400}},
        {"a failed query", std::nullopt, {0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SystemInfo::diskFrom(c.capacity), c.expected) << c.label;
}

TEST(SystemInfo, diskOfTheSystemRootAndOfAMissingPath)
{
    const SystemInfo::Disk startup = SystemInfo::disk(Platform::systemPath(u"/"_s));
    EXPECT_GT(startup.total, 0);
    EXPECT_LE(startup.free, startup.total);
    EXPECT_EQ(SystemInfo::disk(TestSupport::sandbox() + u"/no/such/volume"_s), SystemInfo::Disk{});
}

TEST(SystemInfo, memoryUseAndPressure)
{
    constexpr qint64 total = 16000;
    const struct {
        const char* label;
        qint64 total;
        std::optional<MemoryCounters> counters;
        SystemInfo::Memory expected;
    } cases[] = {
        {"in use and pressure", total, MemoryCounters{4000, 2000, 2000}, {total, 8000, 0.25}},
        {"many active pages add use, not pressure", total, MemoryCounters{11000, 2000, 2000}, {total, 15000, 0.25}},
        {"use is held at the total", total, MemoryCounters{14000, 2000, 2000}, {total, total, 0.25}},
        {"pressure is held at 1", total, MemoryCounters{0, 12000, 8000}, {total, total, 1.0}},
        {"no physical memory", 0, MemoryCounters{4000, 2000, 2000}, {0, 0, 0.0}},
        {"a refused query keeps the total", total, std::nullopt, {total, 0, 0.0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SystemInfo::memoryFrom(c.total, c.counters), c.expected) << c.label;

    const SystemInfo::Memory live = SystemInfo::memory();
    EXPECT_GT(live.total, 0);
    EXPECT_GT(live.used, 0);
    EXPECT_LE(live.used, live.total);
    EXPECT_GT(live.pressure, 0.0);
    EXPECT_LE(live.pressure, 1.0);
}

TEST(SystemInfo, processorLoadBetweenTwoReadings)
{
    const CPUTicks start{1000, 500, 8000, 100};
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* label;
        std::optional<CPUTicks> previous;
        std::optional<CPUTicks> current;
        double expected;
    } cases[] = {
        {"a quarter busy", start, CPUTicks{1075, 525, 8300, 100}, 0.25},
        {"nice ticks are busy ones", start, CPUTicks{1000, 500, 8000, 140}, 1.0},
        {"fully idle", start, CPUTicks{1000, 500, 8400, 100}, 0.0},
        {"no previous reading", std::nullopt, start, 0.0},
        {"a failed reading", start, std::nullopt, 0.0},
        {"no elapsed ticks", start, start, 0.0},
        {"counters going backwards", start, CPUTicks{10, 5, 80, 1}, 0.0},
        {"busy ticks above the total are held at 1", start, CPUTicks{1300, 600, 7900, 100}, 1.0},
        {"only busy counters going backwards", start, CPUTicks{900, 500, 8400, 100}, 0.0},
        {"damaged counters", start, CPUTicks{nan, 500, 8400, 100}, 0.0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(SystemInfo::cpuLoad(c.previous, c.current), c.expected) << c.label;

    const std::optional<CPUTicks> first = SystemInfo::cpuTicks();
    ASSERT_TRUE(first);
    const double load = SystemInfo::cpuLoad(first, SystemInfo::cpuTicks());
    EXPECT_GE(load, 0.0);
    EXPECT_LE(load, 1.0);
}

TEST(SystemInfo, versionAndModelOfTheDemonstrationMac)
{
    const struct {
        QString value;
        QString expected;
    } versions[] = {
        {QString(), u"macOS 14.0.0"_s},
        {u"14.2.1"_s, u"macOS 14.2.1"_s},
        {u"15.1"_s, u"macOS 15.1.0"_s},
        {u"15"_s, u"macOS 15.0.0"_s},
        {u" 14.6.1\n"_s, u"macOS 14.6.1"_s},
        {u"14.0.0"_s, u"macOS 14.0.0"_s},
        {u""_s, u"macOS 14.0.0"_s},
        {u"14.x"_s, u"macOS 14.0.0"_s},
        {u"14..1"_s, u"macOS 14.0.0"_s},
        {u"14.+1"_s, u"macOS 14.0.0"_s},
        {u"-14"_s, u"macOS 14.0.0"_s},
        {u"14.2.1.5"_s, u"macOS 14.0.0"_s},
        {u"99999999999"_s, u"macOS 14.0.0"_s},
    };
    for (const auto& c : versions) {
        const TestSupport::ScopedEnvironment version("QUORVANE_MACOS_VERSION", c.value);
        EXPECT_EQ(SystemInfo::osVersionString(), c.expected) << qPrintable(c.value);
    }

    const struct {
        QString value;
        QString expected;
    } models[] = {{QString(), u"Mac"_s},
                  {u""_s, u"Mac"_s},
                  {u"Mac14,2"_s, u"Mac14,2"_s},
                  {u"MacBookPro18,3"_s, u"MacBookPro18,3"_s}};
    for (const auto& c : models) {
        const TestSupport::ScopedEnvironment model("QUORVANE_MAC_MODEL", c.value);
        EXPECT_EQ(SystemInfo::hardwareModel(), c.expected) << qPrintable(c.value);
    }
    qputenv("QUORVANE_MAC_MODEL", QByteArray("Mac\xff"
                                             "14"));
    EXPECT_EQ(SystemInfo::hardwareModel(), u"Mac\uFFFD14"_s);
    qunsetenv("QUORVANE_MAC_MODEL");
}
