#include "Performance/MaintenanceView.h"
#include "Performance/MaintenanceViewModel.h"

#include "Look/ElidedLabel.h"
#include "Look/StyledButton.h"
#include "Look/TextLabel.h"
#include "Look/TriStateBox.h"
#include "WaitFor.h"

#include <QScrollArea>
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
    auto* label = rowOf(view, id)->findChild<ElidedLabel*>(u"maintenanceOutcome"_s);
    return label->isVisibleTo(&view) ? label->text() : QString();
}

} // namespace

TEST(MaintenanceView, tapsTickRowsAndARunShowsEachOutcome)
{
    auto gate = std::make_shared<std::binary_semaphore>(0);
    MaintenanceViewModel model([gate](const MaintenanceTask& task) {
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

    QSignalSpy finished(&model, &MaintenanceViewModel::finished);
    QTest::mouseClick(run, Qt::LeftButton);
    EXPECT_EQ(model.running(), std::optional<QString>(u"launchServices"_s));
    EXPECT_FALSE(run->isEnabled());
    QTest::mouseClick(rowOf(view, u"dns"_s), Qt::LeftButton); // ignored during a run
    EXPECT_EQ(counter->text(), u"2 tâches sélectionnées"_s);

    gate->release();
    ASSERT_TRUE(TestSupport::waitFor([&] { return model.running() == u"purge"_s; }));
    EXPECT_EQ(outcomeOn(view, u"launchServices"_s), u"Terminé."_s);
    gate->release();
    ASSERT_TRUE(finished.wait(TestSupport::waitBound));
    EXPECT_EQ(outcomeOn(view, u"purge"_s), u"Annulé."_s);
    EXPECT_EQ(outcomeOn(view, u"dns"_s), QString());
    EXPECT_EQ(counter->text(), u"0 tâche sélectionnée"_s);
}

// A tool's long error report stays on one shortened line inside its row: the list never grows wider than the
// screen, and the other rows keep their outcome in view. A tap on a row's box ticks it like a tap on the row.
TEST(MaintenanceView, aLongReportIsShortenedWithinItsRow)
{
    const QString report = u"Error resetting permissions: "_s +
                           QString(u"the operation couldn't be completed, "_s).repeated(8) + u"(-69841)\nsecond line"_s;
    MaintenanceViewModel model([report](const MaintenanceTask& task) {
        return task.id == u"permissions"_s ? MaintenanceOutcome{report, true}
                                           : MaintenanceOutcome{u"Terminé."_s, false};
    });
    MaintenanceView view(model);
    view.resize(800, 900);
    view.show();
    for (const QString& id : {u"launchServices"_s, u"permissions"_s})
        QTest::mouseClick(rowOf(view, id)->findChild<TriStateBox*>(), Qt::LeftButton);
    EXPECT_EQ(model.selected(), (QSet<QString>{u"launchServices"_s, u"permissions"_s}));
    QSignalSpy finished(&model, &MaintenanceViewModel::finished);
    QTest::mouseClick(view.findChild<StyledButton*>(u"maintenanceRunButton"_s), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(TestSupport::waitBound));

    auto* label = rowOf(view, u"permissions"_s)->findChild<ElidedLabel*>(u"maintenanceOutcome"_s);
    // Once laid out, the report is cut with "…".
    EXPECT_TRUE(TestSupport::waitFor([&] { return label->shownText().endsWith(u"…"_s); }))
        << label->shownText().toStdString();
    EXPECT_TRUE(label->shownText().startsWith(u"Error resetting permissions"_s));
    EXPECT_EQ(label->toolTip(), report);
    auto* list = view.findChild<QScrollArea*>();
    ASSERT_NE(list, nullptr);
    EXPECT_LE(rowOf(view, u"permissions"_s)->width(), list->viewport()->width());
    // The short outcome of the other row is shown whole, within the list.
    auto* done = rowOf(view, u"launchServices"_s)->findChild<ElidedLabel*>(u"maintenanceOutcome"_s);
    EXPECT_EQ(done->shownText(), u"Terminé."_s);
    EXPECT_LE(done->mapTo(list->viewport(), QPoint(done->width(), 0)).x(), list->viewport()->width());
}
