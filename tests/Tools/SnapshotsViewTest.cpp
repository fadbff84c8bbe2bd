#include "Tools/SnapshotsView.h"

#include "Look/ElidedLabel.h"
#include "Look/StatTile.h"
#include "Look/StyledButton.h"
#include "ShownWidgets.h"
#include "SnapshotsFake.h"
#include "WaitFor.h"

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using SnapshotService::Snapshot;
using TestSupport::allShown;
using TestSupport::waitFor;

namespace {

const Snapshot kMay{u"com.apple.TimeMachine.2024-05-01-101500.local"_s, QDateTime(QDate(2024, 5, 1), QTime(10, 15))};
const Snapshot kUndated{u"com.apple.TimeMachine.sans-date-"_s + QString(300, u'x') + u".local"_s, std::nullopt};

QStringList shownTexts(const QWidget& root)
{
    QStringList texts;
    for (QLabel* label : allShown<QLabel>(root, QString()))
        texts.append(label->text());
    return texts;
}

struct Screen {
    explicit Screen(const std::shared_ptr<FakeSnapshots>& fake)
        : model(new SnapshotsViewModel(FakeSnapshots::service(fake))), view(*model)
    {
        model->setParent(&view);
        view.resize(900, 700);
        view.show();
    }
    const StatTile::Fields& tile(const QString& name) const { return view.findChild<StatTile*>(name)->fields(); }
    SnapshotsViewModel* model;
    SnapshotsView view;
};

} // namespace

TEST(SnapshotsScreen, showsTheEmptyStatesAndTheFigures)
{
    auto fake = std::make_shared<FakeSnapshots>();
    Screen screen(fake);
    ASSERT_TRUE(waitFor([&] { return screen.model->hasLoaded(); }));
    EXPECT_EQ(screen.tile(u"countTile"_s).value, u"0"_s);
    EXPECT_EQ(screen.tile(u"countTile"_s).detail, u"aucune copie sur ce disque"_s);
    EXPECT_EQ(screen.tile(u"purgeableTile"_s).value, u"0 Ko"_s);
    EXPECT_EQ(screen.tile(u"freeTile"_s).value, u"0 Ko"_s);
    EXPECT_EQ(allShown(screen.view, u"emptyState"_s).size(), 1);
    EXPECT_TRUE(shownTexts(screen.view)
                    .contains(u"Time Machine n'est pas configuré sur ce Mac : il ne crée donc pas d'instantanés."_s));
    EXPECT_TRUE(allShown(screen.view, u"deleteAllButton"_s).isEmpty());
    EXPECT_TRUE(allShown(screen.view, u"snapshotList"_s).isEmpty());

    fake->state.isTimeMachineConfigured = true;
    fake->state.space = {1'000'000, 2'500'000}; // more free now than promised: nothing purgeable
    screen.view.findChild<StyledButton*>(u"refreshButton"_s)->click();
    ASSERT_TRUE(waitFor([&] { return screen.model->state().isTimeMachineConfigured; }));
    EXPECT_TRUE(shownTexts(screen.view)
                    .contains(u"Time Machine est configuré mais ne garde aucune copie locale en ce moment."_s));
    EXPECT_EQ(allShown(screen.view, u"emptyState"_s).size(), 1);
    EXPECT_EQ(screen.tile(u"purgeableTile"_s).value, u"0 Ko"_s);
    EXPECT_EQ(screen.tile(u"freeTile"_s).value, u"2,5 Mo"_s);
}

TEST(SnapshotsScreen, listsRowsAndDisablesEveryDeletionWhileOneRuns)
{
    auto fake = std::make_shared<FakeSnapshots>();
    fake->state = {{kMay, kUndated}, {5'000'000, 1'000'000}, false};
    Screen screen(fake);
    ASSERT_TRUE(waitFor([&] { return screen.model->hasLoaded(); }));
    EXPECT_EQ(screen.tile(u"countTile"_s).value, u"2"_s);
    EXPECT_EQ(screen.tile(u"countTile"_s).detail, u"le plus récent : 2024-05-01-101500"_s);
    EXPECT_EQ(screen.tile(u"purgeableTile"_s).value, u"4 Mo"_s);
    EXPECT_TRUE(allShown(screen.view, u"emptyState"_s).isEmpty());

    const QList<QWidget*> rows = allShown(screen.view, u"snapshotRow"_s);
    ASSERT_EQ(rows.size(), 2);
    const QList<QLabel*> dates = allShown<QLabel>(screen.view, u"snapshotDate"_s);
    EXPECT_TRUE(dates[0]->text().startsWith(u"mercredi 1 mai 2024"_s)) << dates[0]->text().toStdString();
    EXPECT_FALSE(dates[1]->text().isEmpty()); // an undated snapshot shows now
    const QList<ElidedLabel*> names = allShown<ElidedLabel>(screen.view, u"snapshotName"_s);
    EXPECT_EQ(names[1]->text(), kUndated.name);
    EXPECT_TRUE(names[1]->shownText().contains(u'…'));
    EXPECT_TRUE(names[1]->shownText().endsWith(u".local"_s));

    fake->hold();
    fake->error = u"Annulé."_s;
    rows[0]->findChild<StyledButton*>(u"deleteButton"_s)->click();
    ASSERT_TRUE(screen.model->isWorking());
    for (StyledButton* button : allShown<StyledButton>(screen.view, u"deleteButton"_s))
        EXPECT_FALSE(button->isEnabled());
    EXPECT_FALSE(screen.view.findChild<StyledButton*>(u"deleteAllButton"_s)->isEnabled());
    EXPECT_FALSE(screen.view.findChild<StyledButton*>(u"refreshButton"_s)->isEnabled());
    rows[1]->findChild<StyledButton*>(u"deleteButton"_s)->click();
    fake->release();
    ASSERT_TRUE(waitFor([&] { return !screen.model->isWorking() && !screen.model->isLoading(); }));
    EXPECT_EQ(fake->count(&FakeSnapshots::deletions), 1);
    EXPECT_EQ(fake->lastDeleted, QList<Snapshot>{kMay});
    EXPECT_EQ(allShown(screen.view, u"errorLine"_s).size(), 1);
    EXPECT_TRUE(allShown(screen.view, u"noticeLine"_s).isEmpty());
    EXPECT_TRUE(shownTexts(screen.view).contains(u"Annulé."_s));
    EXPECT_EQ(allShown(screen.view, u"snapshotRow"_s).size(), 2);
    EXPECT_TRUE(screen.view.findChild<StyledButton*>(u"deleteAllButton"_s)->isEnabled());
}
