#include "Performance/MaintenanceView.h"
#include "Performance/MaintenanceModel.h"

#include "Look/StyledButton.h"
#include "Look/TextLabel.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <semaphore>

using namespace Qt::StringLiterals;
using OptimizationService::MaintenanceOutcome;

namespace {

QWidget* rowOf(MaintenanceView& view, const QString& id)
{
    return view.findChild<QWidget*>(u"maintenanceRow_"_s + id);
}

QString outcomeOn(MaintenanceView& view, const QString& id)
{
    auto* label = rowOf(view, id)->findChild<TextLabel*>(u"maintenanceOutcome"_s);
    return label->isVisibleTo(&view) ? label->text() : QString();
}

} // namespace

TEST(MaintenanceView, tapsTickRowsAndARunShowsEachOutcome)
{
    auto gate = std::make_shared<std::binary_semaphore>(0);
    MaintenanceModel model([gate](const MaintenanceTask& task) {
        gate->acquire();
        return task.needsAdmin ? MaintenanceOutcome{u"Annulé."_s, true} : MaintenanceOutcome{u"Terminé."_s, false};
    });
    MaintenanceView view(model);
    view.resize(800, 900);
    view.show();
    auto* counter = view.findChild<TextLabel*>(u"maintenanceCounter"_s);
    auto* run = view.findChild<StyledButton*>(u"maintenanceRunButton"_s);
    EXPECT_EQ(counter->text(), u"0 tâche sélectionnée"_s);
    EXPECT_FALSE(run->isEnabled());

    QTest::mouseClick(rowOf(view, u"purge"_s), Qt::LeftButton);
    QTest::mouseClick(rowOf(view, u"launchServices"_s), Qt::LeftButton);
    EXPECT_EQ(counter->text(), u"2 tâches sélectionnées"_s);
    ASSERT_TRUE(run->isEnabled());

    QSignalSpy finished(&model, &MaintenanceModel::finished);
    QTest::mouseClick(run, Qt::LeftButton);
    EXPECT_EQ(model.running(), std::optional<QString>(u"launchServices"_s));
    EXPECT_FALSE(run->isEnabled());
    QTest::mouseClick(rowOf(view, u"dns"_s), Qt::LeftButton); // ignored during a run
    EXPECT_EQ(counter->text(), u"2 tâches sélectionnées"_s);

    gate->release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.running() == u"purge"_s; }, 5000));
    EXPECT_EQ(outcomeOn(view, u"launchServices"_s), u"Terminé."_s);
    gate->release();
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(outcomeOn(view, u"purge"_s), u"Annulé."_s);
    EXPECT_EQ(outcomeOn(view, u"dns"_s), QString());
    EXPECT_EQ(counter->text(), u"0 tâche sélectionnée"_s);
}
