#include "Platform/WalkPool.h"

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

TEST(WalkPool, runsEveryIndexOnceAndReturnsWhenAllHaveReturned)
{
    std::vector<std::atomic<int>> runs(2000);
    std::atomic<int> running = 0;
    Platform::forEachOnWalkPool(runs.size(), [&](std::size_t index) {
        ++running;
        std::this_thread::yield();
        ++runs[index];
        --running;
    });
    EXPECT_EQ(running, 0);
    for (const std::atomic<int>& count : runs)
        EXPECT_EQ(count, 1);
}

TEST(WalkPool, aStopStartsNoFurtherCall)
{
    std::stop_source stop;
    std::atomic<int> started = 0;
    std::atomic<int> afterStop = 0;
    Platform::forEachOnWalkPool(
        100000,
        [&](std::size_t) {
            if (stop.stop_requested())
                ++afterStop;
            if (++started == 50)
                stop.request_stop();
        },
        stop.get_token());
    EXPECT_LT(started, 100000);
    // Calls already past their start when the stop came may finish; none begins after it was seen.
    EXPECT_LE(afterStop, 64);
    Platform::forEachOnWalkPool(0, [&](std::size_t) { ADD_FAILURE(); });
}
