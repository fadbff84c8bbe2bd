#include "Platform/Readings.h"

#include "Platform/SystemRoot.h"

#include "Sandbox.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// The reads themselves, on this machine: the parsers are tested on canned text; these catch a wrong file,
// a wrong unit or a lost figure between the system and the record.
TEST(Readings, startupVolumeOfTheSystemRoot)
{
    const std::optional<Platform::VolumeCapacity> volume = Platform::volumeCapacity(Platform::systemPath(u"/"_s));
    ASSERT_TRUE(volume);
    ASSERT_TRUE(volume->total && volume->available);
    EXPECT_GT(*volume->total, 0);
    EXPECT_GE(*volume->available, 0);
    EXPECT_LE(*volume->available, *volume->total);
    EXPECT_FALSE(volume->availableForImportantUsage);

    EXPECT_FALSE(Platform::volumeCapacity(TestSupport::sandbox() + u"/absent/folder"_s));
    EXPECT_FALSE(Platform::volumeCapacity(QString()));
}

TEST(Readings, memoryProcessorAndUptimeOfThisMachine)
{
    const qint64 physical = Platform::physicalMemory();
    EXPECT_GT(physical, 64 * 1024 * 1024);

    const std::optional<Platform::MemoryCounters> memory = Platform::memoryCounters();
    ASSERT_TRUE(memory);
    EXPECT_GT(memory->active, 0);
    EXPECT_GT(memory->wired, 0); // kernel stacks and page tables are never empty
    EXPECT_GE(memory->compressed, 0);
    EXPECT_LE(memory->active + memory->wired + memory->compressed, physical);

    const std::optional<Platform::ProcessorTicks> first = Platform::processorTicks();
    const std::optional<Platform::ProcessorTicks> second = Platform::processorTicks();
    ASSERT_TRUE(first && second);
    EXPECT_GT(first->user + first->system + first->idle + first->nice, 0);
    EXPECT_GE(second->user, first->user);
    EXPECT_GE(second->system, first->system);
    EXPECT_GE(second->idle, first->idle);
    EXPECT_GE(second->nice, first->nice);

    EXPECT_GT(Platform::systemUptime(), 0.0);
}
