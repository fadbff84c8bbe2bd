#include "Performance/MaintenanceViewModel.h"
#include "WaitFor.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <semaphore>

using namespace Qt::StringLiterals;
using OptimizationService::MaintenanceOutcome;

namespace {

// A runner that records the tasks it is given and, when asked, holds each one until released.
struct HeldRunner {
    std::shared_ptr<std::mutex> lock = std::make_shared<std::mutex>();
    std::shared_ptr<QStringList> ran = std::make_shared<QStringList>();
    std::shared_ptr<std::counting_semaphore<8>> gate = std::make_shared<std::counting_semaphore<8>>(8);
    std::shared_ptr<std::atomic<bool>> dnsFails = std::make_shared<std::atomic<bool>>(true);

    MaintenanceViewModel::Runner runner() const
    {
        return [*this](const MaintenanceTask& task) {
            gate->acquire();
            std::lock_guard guard(*lock);
            ran->append(task.id);
            return task.id == u"dns"_s && *dnsFails ? MaintenanceOutcome{u"Annulé."_s, true}
                                                    : MaintenanceOutcome{u"Terminé."_s, false};
        };
    }
};

} // namespace

TEST(MaintenanceViewModel, runsTheTickedTasksInTableOrderAndClearsTheSelection)
{
    HeldRunner held;
    MaintenanceViewModel model(held.runner());
    EXPECT_EQ(model.counterText(), u"0 tâche sélectionnée"_s);
    EXPECT_FALSE(model.canRun());
    model.toggle(u"purge"_s);
    EXPECT_EQ(model.counterText(), u"1 tâche sélectionnée"_s);
    model.toggle(u"dns"_s);
    model.toggle(u"launchServices"_s);
    EXPECT_EQ(model.counterText(), u"3 tâches sélectionnées"_s);
    QSignalSpy finished(&model, &MaintenanceViewModel::finished);
    model.run();
    ASSERT_TRUE(finished.wait(TestSupport::waitBound));
    EXPECT_EQ(*held.ran, (QStringList{u"launchServices"_s, u"dns"_s, u"purge"_s}));
    EXPECT_TRUE(model.selected().isEmpty());
    EXPECT_FALSE(model.running());
    EXPECT_EQ(model.outcomes().value(u"dns"_s), u"Annulé."_s);
    EXPECT_EQ(model.failures(), QSet<QString>{u"dns"_s});

    // A later run keeps the others' outcomes; a task that succeeds this time loses its failure mark.
    *held.dnsFails = false;
    model.toggle(u"dns"_s);
    model.run();
    ASSERT_TRUE(finished.wait(TestSupport::waitBound));
    EXPECT_TRUE(model.failures().isEmpty());
    EXPECT_EQ(model.outcomes().value(u"dns"_s), u"Terminé."_s);
    EXPECT_EQ(model.outcomes().value(u"purge"_s), u"Terminé."_s);
}

TEST(MaintenanceViewModel, aRunHeldOnItsFirstTaskShowsItRunningAndRefusesASecondRun)
{
    HeldRunner held;
    held.gate = std::make_shared<std::counting_semaphore<8>>(0);
    MaintenanceViewModel model(held.runner());
    model.toggle(u"fonts"_s);
    model.run();
    EXPECT_EQ(model.running(), std::optional<QString>(u"fonts"_s));
    EXPECT_FALSE(model.canRun());
    model.run(); // ignored: one run at a time
    QSignalSpy finished(&model, &MaintenanceViewModel::finished);
    held.gate->release(8);
    ASSERT_TRUE(finished.wait(TestSupport::waitBound));
    EXPECT_EQ(*held.ran, QStringList{u"fonts"_s});
    EXPECT_EQ(model.outcomes().value(u"fonts"_s), u"Terminé."_s);
}
