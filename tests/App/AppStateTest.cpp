#include "App/AppState.h"

#include "AppTestSupport.h"
#include "Scan/Screen/ScanViewModel.h"
#include "Scanners/ScannerFactory.h"
#include "WaitFor.h"

#include <deque>

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using Ticks = SystemInfo::CPUTicks;

namespace {

// Hands out the given readings one by one; nothing once they run out.
AppState::TickReader readings(std::deque<std::optional<Ticks>> list)
{
    auto queue = std::make_shared<std::deque<std::optional<Ticks>>>(std::move(list));
    return [queue]() -> std::optional<Ticks> {
        if (queue->empty())
            return std::nullopt;
        std::optional<Ticks> next = queue->front();
        queue->pop_front();
        return next;
    };
}

Ticks ticks(double user, double system, double idle, double nice)
{
    Ticks t;
    t.user = user;
    t.system = system;
    t.idle = idle;
    t.nice = nice;
    return t;
}

} // namespace

TEST(AppState, startsWithAReadingWithoutLoad)
{
    AppTest::Kit kit;
    AppState state(kit.registry, kit.services.services, readings({ticks(10, 10, 80, 0)}));
    EXPECT_EQ(state.selection(), ModuleID::smartScan);
    EXPECT_EQ(state.snapshot().cpuLoad, 0.0);
    EXPECT_GT(state.snapshot().memoryTotal, 0);
    EXPECT_GT(state.snapshot().diskTotal, 0);
    EXPECT_TRUE(state.hasFullDiskAccess()); // no protected database stands in the test home to be refused
}

TEST(AppState, eachReadingTakesTheLoadBetweenTwoTickCounts)
{
    AppTest::Kit kit;
    AppState state(kit.registry, kit.services.services,
                   readings({ticks(10, 10, 80, 0), ticks(40, 20, 120, 20), std::nullopt, ticks(50, 30, 130, 30),
                             ticks(60, 40, 140, 40)}));
    QSignalSpy published(&state, &AppState::snapshotChanged);
    state.refresh();
    EXPECT_DOUBLE_EQ(state.snapshot().cpuLoad, 60.0 / 100.0);
    state.refresh(); // a failed read
    EXPECT_EQ(state.snapshot().cpuLoad, 0.0);
    state.refresh(); // the first after a failure has nothing to compare with
    EXPECT_EQ(state.snapshot().cpuLoad, 0.0);
    state.refresh();
    EXPECT_DOUBLE_EQ(state.snapshot().cpuLoad, 30.0 / 40.0);
    EXPECT_EQ(published.count(), 4);
}

TEST(AppState, oneViewModelPerModuleMadeOnFirstUse)
{
    AppTest::Kit kit;
    AppState state(kit.registry, kit.services.services);
    ScanViewModel* junk = state.model(ModuleID::systemJunk);
    ASSERT_NE(junk, nullptr);
    EXPECT_EQ(state.model(ModuleID::systemJunk), junk);
    EXPECT_EQ(junk->phase(), ScanViewModel::Phase::idle);
    ScanViewModel* shredder = state.model(ModuleID::shredder);
    ASSERT_NE(shredder, nullptr);
    EXPECT_TRUE(shredder->scanner().scan({}, {}).isEmpty());
    EXPECT_EQ(state.totalFreedBytes(), 0);
    EXPECT_FALSE(state.isCleaning());

    // A cleaning module whose scanner is still to come has no model, so it never looks clean.
    Modules::Registry registry = AppTest::standardModules();
    registry.setScanner(ModuleID::privacy,
                        [](ModuleID module, const Exclusions& exclusions) -> std::optional<ScannerPtr> {
                            if (module == ModuleID::privacy)
                                return std::nullopt;
                            return makeScanner(module, exclusions);
                        });
    AppState partial(registry, kit.services.services);
    EXPECT_EQ(partial.model(ModuleID::privacy), nullptr);
    EXPECT_NE(partial.model(ModuleID::systemJunk), nullptr);
}

TEST(AppState, theMonitorRunsOnceAndStops)
{
    AppTest::Kit kit;
    AppState state(kit.registry, kit.services.services);
    QSignalSpy selection(&state, &AppState::selectionChanged);
    state.setSelection(ModuleID::trashBins);
    state.setSelection(ModuleID::trashBins); // written back, published again
    EXPECT_EQ(selection.count(), 2);

    state.startMonitoring();
    state.startMonitoring();
    EXPECT_TRUE(state.isMonitoring());
    QSignalSpy published(&state, &AppState::snapshotChanged);
    EXPECT_TRUE(published.wait(TestSupport::waitBound));
    state.stopMonitoring();
    EXPECT_FALSE(state.isMonitoring());
    const int count = published.count();
    EXPECT_FALSE(published.wait(AppState::monitorIntervalMs + 500));
    EXPECT_EQ(published.count(), count);
}

TEST(AppState, itsFiguresTellTheirReadersOfEachNewReading)
{
    AppTest::Kit kit;
    AppState state(kit.registry, kit.services.services);
    const Modules::AppFigures& figures = state;
    int told = 0;
    {
        QObject reader;
        figures.onChanged(&reader, [&told] { ++told; });
        state.refresh();
        EXPECT_EQ(told, 1);
    }
    state.refresh(); // the reader is gone
    EXPECT_EQ(told, 1);
}
