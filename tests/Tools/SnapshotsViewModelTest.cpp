#include "Tools/SnapshotsViewModel.h"

#include "SnapshotsFake.h"
#include "WaitFor.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using SnapshotService::Snapshot;
using TestSupport::waitFor;

namespace {

const Snapshot kMay{u"com.apple.TimeMachine.2024-05-01-101500.local"_s, QDateTime(QDate(2024, 5, 1), QTime(10, 15))};
const Snapshot kJune{u"com.apple.TimeMachine.2024-06-01-101500.local"_s, QDateTime(QDate(2024, 6, 1), QTime(10, 15))};

class SnapshotsModel : public ::testing::Test
{
protected:
    void SetUp() override { fake->state.snapshots = {kJune, kMay}; }
    void TearDown() override { fake->release(); }

    // A model that has loaded the fake's state.
    std::unique_ptr<SnapshotsViewModel> loaded()
    {
        auto model = std::make_unique<SnapshotsViewModel>(FakeSnapshots::service(fake));
        model->load();
        EXPECT_TRUE(model->isLoading());
        EXPECT_TRUE(waitFor([&] { return model->hasLoaded(); }));
        EXPECT_FALSE(model->isLoading());
        return model;
    }

    std::shared_ptr<FakeSnapshots> fake = std::make_shared<FakeSnapshots>();
};

} // namespace

TEST_F(SnapshotsModel, startsEmptyAndLoadsNothingByItself)
{
    SnapshotsViewModel model(FakeSnapshots::service(fake));
    EXPECT_EQ(model.state(), SnapshotService::State{});
    EXPECT_FALSE(model.isLoading() || model.isWorking() || model.hasLoaded());
    EXPECT_EQ(model.notice(), std::nullopt);
    EXPECT_EQ(model.error(), std::nullopt);
    QTest::qWait(20);
    EXPECT_EQ(fake->count(&FakeSnapshots::loads), 0);
}

TEST_F(SnapshotsModel, deletingOneIgnoresAnyOtherDeletionUntilItEndsThenReloads)
{
    auto model = loaded();
    model->deleteAll(); // a previous outcome, to be cleared by the next deletion
    ASSERT_TRUE(waitFor([&] { return !model->isWorking() && fake->count(&FakeSnapshots::loads) == 2; }));
    ASSERT_TRUE(model->notice());

    fake->hold();
    fake->state.snapshots = {kJune};
    model->deleteSnapshot(kMay);
    EXPECT_TRUE(model->isWorking());
    EXPECT_EQ(model->notice(), std::nullopt); // cleared before any prompt
    model->deleteSnapshot(kJune);
    model->deleteAll();
    ASSERT_TRUE(waitFor([&] { return fake->count(&FakeSnapshots::deletions) == 2; }));
    QTest::qWait(20);
    EXPECT_EQ(fake->count(&FakeSnapshots::deletions), 2);
    EXPECT_EQ(fake->lastDeleted, QList<Snapshot>{kMay});

    fake->release();
    ASSERT_TRUE(waitFor([&] { return !model->isWorking(); }));
    EXPECT_EQ(model->notice(), u"Instantané du 2024-05-01-101500 supprimé."_s);
    EXPECT_EQ(model->error(), std::nullopt);
    ASSERT_TRUE(waitFor([&] { return !model->isLoading(); }));
    EXPECT_EQ(model->state().snapshots, QList<Snapshot>{kJune});
    EXPECT_EQ(fake->count(&FakeSnapshots::loads), 3);
}

TEST_F(SnapshotsModel, deletingAllCountsWhatWasSentAndShowsAFailureAsIs)
{
    struct Case {
        qsizetype sent;
        std::optional<QString> error;
        std::optional<QString> notice;
    };
    auto model = loaded();
    for (const Case& c :
         {Case{1, std::nullopt, u"1 instantané supprimé."_s}, Case{3, std::nullopt, u"3 instantanés supprimés."_s},
          Case{2, u"Annulé."_s, std::nullopt}, Case{2, u"Échec (code 1)."_s, std::nullopt}}) {
        fake->sent = c.sent;
        fake->error = c.error;
        const int loads = fake->count(&FakeSnapshots::loads);
        model->deleteAll();
        ASSERT_TRUE(waitFor([&] { return !model->isWorking() && !model->isLoading(); }));
        EXPECT_EQ(fake->lastDeleted, (QList<Snapshot>{kJune, kMay}));
        EXPECT_EQ(model->notice(), c.notice);
        EXPECT_EQ(model->error(), c.error);
        EXPECT_EQ(fake->count(&FakeSnapshots::loads), loads + 1); // reloaded, success or not
    }

    // Nothing listed: nothing asked, and the last outcome stays.
    fake->state.snapshots.clear();
    model->load();
    ASSERT_TRUE(waitFor([&] { return model->state().snapshots.isEmpty(); }));
    const int deletions = fake->count(&FakeSnapshots::deletions);
    model->deleteAll();
    EXPECT_FALSE(model->isWorking());
    EXPECT_EQ(model->error(), u"Échec (code 1)."_s);
    EXPECT_EQ(fake->count(&FakeSnapshots::deletions), deletions);
}

TEST_F(SnapshotsModel, aModelGoneWhileTmutilRunsReceivesAndReloadsNothing)
{
    auto model = loaded();
    fake->hold();
    model->deleteSnapshot(kMay);
    ASSERT_TRUE(waitFor([&] { return fake->count(&FakeSnapshots::deletions) == 1; }));
    model.reset();
    fake->release();
    QTest::qWait(50);
    EXPECT_EQ(fake->count(&FakeSnapshots::loads), 1);
}
