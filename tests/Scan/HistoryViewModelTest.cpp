#include "Scan/History/HistoryViewModel.h"

#include "Core/History.h"
#include "Core/WorkInFlight.h"
#include "Platform/FileOperations.h"
#include "Sandbox.h"
#include "TempTree.h"
#include "WaitFor.h"

#include <QCoreApplication>

#include <QFile>
#include <QSignalSpy>
#include <limits>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

using namespace Qt::StringLiterals;
using Aftermath::Verdict;
using TestSupport::waitFor;

namespace {

// Holds a snapshot restore until released, as the administrator prompt would.
struct Latch {
    std::mutex mutex;
    std::condition_variable released;
    bool open = false;
    void release()
    {
        {
            const std::lock_guard lock(mutex);
            open = true;
        }
        released.notify_all();
    }
    void wait()
    {
        std::unique_lock lock(mutex);
        released.wait(lock, [this] { return open; });
    }
};

class HistoryScreenModel : public ::testing::Test
{
protected:
    void SetUp() override { m_history = std::make_unique<History>(m_tree.path(u"history.json"_s)); }

    CleaningSession add(const QList<RemovedFile>& files, const std::optional<QString>& stamp = std::nullopt)
    {
        CleaningSession session;
        session.id = QUuid::createUuid();
        session.date = QDateTime::currentDateTimeUtc().addSecs(-3600 - m_history->sessions().size());
        session.moduleID = u"systemJunk"_s;
        session.moduleTitle = u"Fichiers système"_s;
        session.freedBytes = 1000;
        session.files = files;
        session.snapshotStamp = stamp;
        m_history->update([&](QList<CleaningSession>& list) { list.append(session); });
        return session;
    }

    RemovedFile trashed(const QString& name)
    {
        m_tree.add(u"trash/"_s + name + u" 10\n"_s);
        return RemovedFile{QUuid::createUuid(), m_tree.path(u"home/"_s + name), m_tree.path(u"trash/"_s + name), 10,
                           false};
    }

    TempTree m_tree;
    std::unique_ptr<History> m_history;
    WorkInFlight m_inFlight;
};

} // namespace

TEST_F(HistoryScreenModel, putsBackFromTheTrashAndSaysHowMany)
{
    const CleaningSession session = add({trashed(u"a.bin"_s), trashed(u"b.bin"_s)});
    HistoryViewModel model(*m_history, m_inFlight);
    model.toggle(session.id);
    model.restoreFromTrash(session.id);
    EXPECT_EQ(model.notice(), u"2 éléments remis en place depuis la corbeille."_s);
    EXPECT_TRUE(TestSupport::exists(m_tree.path(u"home/a.bin"_s)));
    EXPECT_EQ(m_history->sessions().first().unrestoredFiles(), 0);
    EXPECT_TRUE(model.isExpanded(session.id)); // kept across the journal change, by id

    History::RestoreTally tally;
    EXPECT_EQ(HistoryViewModel::trashNotice(tally), u"0 élément remis en place depuis la corbeille."_s);
    tally.restored = 1;
    EXPECT_EQ(HistoryViewModel::trashNotice(tally), u"1 élément remis en place depuis la corbeille."_s);
    tally.restored = 3;
    tally.failures = {{u"/x"_s, u"Permission refusée"_s}};
    EXPECT_EQ(HistoryViewModel::trashNotice(tally), u"3 remis en place · 1 en échec — Permission refusée"_s);

    model.clearHistory();
    EXPECT_FALSE(model.notice().has_value());
    EXPECT_TRUE(m_history->sessions().isEmpty());
    EXPECT_EQ(model.subtitle(), u"Rien n'a encore été nettoyé."_s);
    QFile file(m_history->fileURL());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().simplified(), "[]");
}

TEST_F(HistoryScreenModel, snapshotRestoreMarksWhatCameBackAndLeavesTheJournalOnFailure)
{
    const RemovedFile a{QUuid::createUuid(), u"/Users/demo/a"_s, std::nullopt, 10, false};
    const RemovedFile b{QUuid::createUuid(), u"/Users/demo/b"_s, std::nullopt, 10, false};
    const RemovedFile c{QUuid::createUuid(), u"/Users/demo/c"_s, std::nullopt, 10, true};
    const CleaningSession session = add({a, b, c}, u"2026-01-02-030405"_s);
    const CleaningSession without = add({a});
    HistoryViewModel model(*m_history, m_inFlight);

    QStringList asked;
    SafetyNet::Result answer = SafetyNet::Failure{SafetyNet::Failure::Kind::elevationFailed, u"Annulé."_s};
    model.setSnapshotRestore([&](const QStringList& paths, const QString& stamp) {
        asked = paths;
        EXPECT_EQ(stamp, u"2026-01-02-030405"_s);
        return answer;
    });
    model.restoreFromSnapshot(without); // no stamp: nothing at all
    EXPECT_FALSE(model.notice().has_value());

    const QByteArray before = TestSupport::contentOf(m_history->fileURL());
    model.restoreFromSnapshot(session);
    EXPECT_EQ(model.notice(), u"Montage de l'instantané…"_s);
    ASSERT_TRUE(waitFor([&] { return m_inFlight.idle(); }));
    EXPECT_EQ(asked, (QStringList{a.originalPath, b.originalPath}));
    EXPECT_EQ(model.notice(), u"Annulé."_s);
    EXPECT_EQ(TestSupport::contentOf(m_history->fileURL()), before);

    answer = SafetyNet::Outcome{{a.originalPath}, {{b.originalPath, u"absent de l instantané"_s}}};
    model.restoreFromSnapshot(m_history->session(session.id).value());
    ASSERT_TRUE(waitFor([&] { return m_inFlight.idle(); }));
    EXPECT_EQ(model.notice(), u"1 élément remis en place · 1 en échec — absent de l instantané"_s);
    EXPECT_EQ(m_history->session(session.id)->unrestoredFiles(), 1);

    EXPECT_EQ(HistoryViewModel::snapshotNotice(SafetyNet::Outcome{}),
              u"0 élément remis en place depuis l'instantané, avec leurs droits d'origine."_s);
    EXPECT_EQ(HistoryViewModel::snapshotNotice(SafetyNet::Outcome{{u"/a"_s, u"/b"_s}, {}}),
              u"2 éléments remis en place depuis l'instantané, avec leurs droits d'origine."_s);
    EXPECT_TRUE(HistoryViewModel::snapshotNotice(SafetyNet::Failure{SafetyNet::Failure::Kind::snapshotGone, u"S"_s})
                    .startsWith(u"L'instantané du S n'existe plus"_s));
}

TEST_F(HistoryScreenModel, aRestoreOutlivesItsWindowAndIsNotStartedTwice)
{
    const RemovedFile a{QUuid::createUuid(), u"/Users/demo/a"_s, std::nullopt, 10, false};
    const CleaningSession session = add({a}, u"2026-01-02-030405"_s);
    auto latch = std::make_shared<Latch>();
    auto calls = std::make_shared<std::atomic<int>>(0);
    auto model = std::make_unique<HistoryViewModel>(*m_history, m_inFlight);
    model->setSnapshotRestore([latch, calls, a](const QStringList&, const QString&) -> SafetyNet::Result {
        ++*calls;
        latch->wait();
        return SafetyNet::Outcome{{a.originalPath}, {}};
    });
    model->restoreFromSnapshot(session);
    EXPECT_TRUE(model->isRestoring(session.id));

    HistoryViewModel other(*m_history, m_inFlight); // another window, opened meanwhile
    other.restoreFromSnapshot(session);
    EXPECT_EQ(other.notice(), u"Ce nettoyage est déjà en cours de restauration."_s);

    model.reset(); // the window closes while the prompt is open
    latch->release();
    ASSERT_TRUE(waitFor([&] { return m_inFlight.idle(); }));
    EXPECT_EQ(calls->load(), 1);
    EXPECT_TRUE(m_history->session(session.id)->files.first().restored);
}

TEST_F(HistoryScreenModel, measuresOffTheGuiThreadAndDropsSupersededRuns)
{
    m_tree.add(u"home/back.bin 8192\n"_s);
    const RemovedFile back{QUuid::createUuid(), m_tree.path(u"home/back.bin"_s), std::nullopt, 8192, false};
    const CleaningSession session = add({back});
    HistoryViewModel model(*m_history, m_inFlight);
    const QDateTime later = m_history->session(session.id)->date.addDays(2);
    model.setClock([later] { return later; });
    EXPECT_TRUE(model.verdicts().isEmpty());
    model.start();
    model.setClock([later] { return later.addDays(1); });
    model.measureRegrowth(); // replaces the first run
    ASSERT_TRUE(waitFor([&] { return !model.isMeasuring(); }));
    ASSERT_EQ(model.regrowths().size(), 1);
    EXPECT_DOUBLE_EQ(model.regrowth(session.id)->elapsed, 3 * 86400.0);
    EXPECT_EQ(model.regrowth(session.id)->pathsBack, 1);
    ASSERT_EQ(model.verdicts().size(), 1);
    EXPECT_EQ(model.blockFreed(), 1000);
    EXPECT_GE(model.blockReturned(), 8192);

    // A new session changes the number: measured again without being asked.
    add({});
    EXPECT_TRUE(model.isMeasuring());
    ASSERT_TRUE(waitFor([&] { return !model.isMeasuring(); }));
    EXPECT_EQ(model.regrowths().size(), 2);

    // A window closed mid-run publishes nothing and leaves nothing behind.
    auto closing = std::make_unique<HistoryViewModel>(*m_history, m_inFlight);
    closing->start();
    closing.reset();
    QCoreApplication::processEvents();
}

// "Annuler ce nettoyage" or "Remettre en place": what was put back is no longer freed, in the header's total
// and in the verdicts, which are measured again without being asked.
TEST_F(HistoryScreenModel, whatWasPutBackCountsNoMore)
{
    const CleaningSession undone = add({trashed(u"a.bin"_s), trashed(u"b.bin"_s)});
    CleaningSession kept;
    kept.id = QUuid::createUuid();
    kept.date = QDateTime::currentDateTimeUtc().addSecs(-7200);
    kept.moduleID = u"mailAttachments"_s;
    kept.moduleTitle = u"Pièces jointes"_s;
    kept.freedBytes = 500'000;
    kept.files = {trashed(u"c.bin"_s)};
    m_history->update([&](QList<CleaningSession>& list) { list.append(kept); });

    HistoryViewModel model(*m_history, m_inFlight);
    model.start();
    ASSERT_TRUE(waitFor([&] { return !model.isMeasuring(); }));
    EXPECT_EQ(model.verdicts().size(), 2);
    EXPECT_EQ(model.subtitle(), u"2 passages · "_s + HistoryViewModel::byteText(501'000) + u" libérés au total"_s);

    model.restoreFromTrash(undone.id);
    EXPECT_EQ(model.subtitle(), u"2 passages · "_s + HistoryViewModel::byteText(500'000) + u" libérés au total"_s);
    EXPECT_TRUE(model.isMeasuring());
    ASSERT_TRUE(waitFor([&] { return !model.isMeasuring(); }));
    ASSERT_EQ(model.verdicts().size(), 1);
    EXPECT_EQ(model.verdicts().first().module, ModuleID::mailAttachments);
    EXPECT_EQ(model.blockFreed(), 500'000);
    EXPECT_EQ(model.regrowth(undone.id)->freed, 0);

    // The journal keeps the figure the cleaning reported.
    EXPECT_EQ(History(m_history->fileURL()).session(undone.id)->freedBytes, 1000);
}

TEST(HistoryTexts, sharesAndSubtitles)
{
    struct Case {
        qint64 returned;
        qint64 freed;
        int percent;
        bool high;
    };
    const Case cases[] = {{29, 100, 28, false},
                          {85, 100, 85, false},
                          {86, 100, 86, true},
                          {300, 100, 100, true},
                          {5, 0, 0, false},
                          {0, 100, 0, false},
                          // A journal's figures out of every range (read from outside): never past an int.
                          {-std::numeric_limits<qint64>::max(), 1, 0, false}};
    for (const Case& c : cases) {
        const Verdict verdict{ModuleID::systemJunk, 1, c.freed, c.returned, 1};
        EXPECT_EQ(HistoryViewModel::sharePercent(verdict), c.percent) << c.returned << '/' << c.freed;
        EXPECT_EQ(HistoryViewModel::shareIsHigh(verdict), c.high) << c.returned << '/' << c.freed;
    }
    TempTree tree;
    History history(tree.path(u"history.json"_s));
    WorkInFlight inFlight;
    HistoryViewModel model(history, inFlight);
    CleaningSession session;
    session.id = QUuid::createUuid();
    session.date = QDateTime::currentDateTimeUtc();
    session.moduleID = u"systemJunk"_s;
    session.freedBytes = -4;
    history.update([&](QList<CleaningSession>& list) { list.append(session); });
    EXPECT_EQ(model.subtitle(), u"1 passage · 0 Ko libérés au total"_s);
    session.id = QUuid::createUuid();
    session.freedBytes = 1'500'000;
    history.update([&](QList<CleaningSession>& list) { list.append(session); });
    EXPECT_EQ(model.subtitle(), u"2 passages · 1,5 Mo libérés au total"_s);
}
