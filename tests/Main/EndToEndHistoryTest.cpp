#include "DemoMacApplication.h"

#include "App/AppState.h"
#include "App/HistoryWindow.h"
#include "Core/History.h"
#include "Core/Preferences.h"
#include "Look/IconTile.h"
#include "Look/StyledButton.h"
#include "Platform/FileOperations.h"
#include "Platform/FileSystem.h"
#include "Sandbox.h"
#include "Scan/History/HistoryView.h"
#include "Scan/History/HistoryViewModel.h"
#include "Scan/Schedule/Scheduler.h"
#include "TempTree.h"
#include "WaitFor.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>

using namespace Qt::StringLiterals;
using TestSupport::enabledButton;

// What comes after a cleaning and what runs without the user: the history window puts cleanings back, the
// journal comes back from its snapshot, and the schedule cleans by itself.

// "Historique de nettoyage" on the demonstration Mac: a cleaning of "Fichiers système" is put back from the
// Trash; a second one, whose Trash is then emptied, comes back from the snapshot taken before it, through the
// administrator prompt. Both times the files are at their places again and the journal marks them.
TEST_F(EndToEnd, cleaningsArePutBackFromTheHistoryWindow)
{
    CompositionRoot& app = startApplication();
    MainWindow& window = showWindow();
    app.state().setSelection(ModuleID::systemJunk);

    const auto cleanSystemJunk = [&] {
        QAbstractButton* start = nullptr;
        ASSERT_TRUE(TestSupport::waitFor([&] {
            start = enabledButton(window, u"scanButton"_s);
            if (start == nullptr)
                start = enabledButton(window, u"newScanButton"_s);
            return start != nullptr;
        }));
        QTest::mouseClick(start, Qt::LeftButton);
        if (enabledButton(window, u"scanButton"_s) != nullptr)
            QTest::mouseClick(enabledButton(window, u"scanButton"_s), Qt::LeftButton);
        QAbstractButton* clean = nullptr;
        ASSERT_TRUE(TestSupport::waitFor([&] { return (clean = enabledButton(window, u"cleanButton"_s)) != nullptr; }));
        QTest::mouseClick(clean, Qt::LeftButton);
        ASSERT_TRUE(TestSupport::waitFor([&] { return enabledButton(window, u"newScanButton"_s) != nullptr; }));
    };
    const auto allBack = [](const CleaningSession& session) {
        for (const RemovedFile& file : session.files) {
            if (!file.restored || !TestSupport::exists(file.originalPath))
                return false;
        }
        return true;
    };

    // One: back from the Trash.
    cleanSystemJunk();
    ASSERT_FALSE(app.services().history.sessions().isEmpty());
    const CleaningSession first = app.services().history.sessions().first();
    ASSERT_TRUE(first.snapshotStamp.has_value());
    window.historyAction()->trigger();
    auto* view = app.historyWindow()->findChild<HistoryView*>();
    ASSERT_NE(view, nullptr);
    SessionCard* card = view->card(first.id);
    ASSERT_NE(card, nullptr);
    ASSERT_FALSE(card->restoreButton()->isHidden());
    card->restoreButton()->click();
    EXPECT_TRUE(view->notice()->text().endsWith(u" depuis la corbeille."_s)) << view->notice()->text().toStdString();
    EXPECT_TRUE(allBack(*app.services().history.session(first.id)));

    // Two: the Trash emptied, back from the snapshot.
    cleanSystemJunk();
    const CleaningSession second = app.services().history.sessions().first();
    ASSERT_NE(second.id, first.id);
    ASSERT_TRUE(second.snapshotStamp.has_value());
    for (const Platform::FileInfo& item : Platform::listFolder(demo.path(u"/Users/demo/.Trash"_s)))
        ASSERT_FALSE(Platform::removeItem(item.path));
    view->refresh(); // as when the window comes forward again
    card = view->card(second.id);
    ASSERT_NE(card, nullptr);
    EXPECT_TRUE(card->restoreButton()->isHidden());
    ASSERT_FALSE(card->snapshotButton()->isHidden());
    card->snapshotButton()->click();
    EXPECT_EQ(view->notice()->text(), u"Montage de l'instantané…"_s);
    ASSERT_TRUE(TestSupport::waitFor([&] { return !view->model().isRestoring(second.id); }));
    // The demonstration Mac's snapshots hold the home's Library and the temporary folder: what the cleaning took
    // there is back and marked; anything else is reported absent from the snapshot and stays unmarked.
    const QString library = demo.path(u"/Users/demo/Library/"_s);
    const QString temporary = demo.path(u"/private/var/folders/qp/T/"_s);
    int inSnapshot = 0;
    const CleaningSession marked = *app.services().history.session(second.id);
    for (const RemovedFile& file : marked.files) {
        const bool kept = file.originalPath.startsWith(library) || file.originalPath.startsWith(temporary);
        inSnapshot += kept ? 1 : 0;
        EXPECT_EQ(file.restored, kept) << file.originalPath.toStdString();
        EXPECT_EQ(TestSupport::exists(file.originalPath), kept) << file.originalPath.toStdString();
    }
    EXPECT_GT(inSnapshot, 0);
    EXPECT_TRUE(view->notice()->text().startsWith(QString::number(inSnapshot) + u" éléments remis en place"_s))
        << view->notice()->text().toStdString();
    if (inSnapshot == second.files.size()) {
        EXPECT_TRUE(card->snapshotButton()->isHidden());
    }
}

// The demonstration Mac's journal, as the first run moves it in: every state shows, the snapshot that still
// exists brings back what it holds (a name with a quote and accents, a missing parent folder made on the way),
// and the one macOS removed says so.
TEST_F(EndToEnd, theDemonstrationJournalShowsItsStatesAndComesBackFromItsSnapshot)
{
    const QString support = demo.path(u"/Users/demo/Library/Application Support/"_s);
    Platform::createFolder(support + u"QuorvanePro"_s);
    ASSERT_FALSE(
        Platform::moveItem(support + u"Tessalinomark/history.json"_s, support + u"QuorvanePro/history.json"_s));
    CompositionRoot& app = startApplication();
    app.window().historyAction()->trigger();
    auto* view = app.historyWindow()->findChild<HistoryView*>();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->cards().size(), 3);

    const QUuid kept(u"0A1B2C3D-4E5F-4061-8273-94A5B6C7D801"_s);
    const QUuid gone(u"0A1B2C3D-4E5F-4061-8273-94A5B6C7D802"_s);
    EXPECT_EQ(view->card(gone)->tile()->symbol(), u"trash"_s); // a module this version does not know
    EXPECT_FALSE(view->card(kept)->restoreButton()->isHidden());
    view->model().toggle(kept);
    const QList<RemovedFile> files = view->card(kept)->fileList()->files();
    ASSERT_EQ(files.size(), 6);
    EXPECT_EQ(FileRow::stateText(files[0]), QString()); // waiting in the Trash
    EXPECT_EQ(FileRow::stateText(files[2]), u"définitif"_s);
    EXPECT_EQ(FileRow::stateText(files[4]), u"corbeille vidée"_s);
    EXPECT_EQ(FileRow::stateText(files[5]), u"remis en place"_s);
    view->model().toggle(gone);
    EXPECT_EQ(FileRow::stateText(view->card(gone)->fileList()->files()[0]), u"corbeille vidée"_s); // filled again

    view->card(gone)->snapshotButton()->click();
    ASSERT_TRUE(TestSupport::waitFor([&] { return !view->model().isRestoring(gone); }));
    EXPECT_TRUE(view->notice()->text().startsWith(u"L'instantané du 2024-10-05-081500 n'existe plus"_s));

    view->card(kept)->snapshotButton()->click();
    ASSERT_TRUE(TestSupport::waitFor([&] { return !view->model().isRestoring(kept); }));
    EXPECT_EQ(view->notice()->text(), u"2 éléments remis en place · 3 en échec — absent de l instantané"_s);
    const QString log = demo.path(u"/Users/demo/Library/Logs/Atelier Photo/rendu-2024-11-19.log"_s);
    EXPECT_EQ(TestSupport::contentOf(log), "rendu terminé\n");
    EXPECT_TRUE(TestSupport::exists(demo.path(u"/Users/demo/Library/Caches/l'été/données d'aperçu.bin"_s)));
    const CleaningSession after = *app.services().history.session(kept);
    EXPECT_TRUE(after.files[2].restored);
    EXPECT_TRUE(after.files[3].restored);
    EXPECT_FALSE(after.files[0].restored);
}

// "Exécuter maintenant" on "Fichiers système" with cleaning allowed: the window's showing has started the
// monitor and the scheduler's loop; the run scans without touching the module's screen, moves to the Trash what
// the scan selected by itself, journals it and says so in its outcome line.
TEST_F(EndToEnd, runningTheScheduleNowCleansSystemJunkToTheTrashAndJournalsIt)
{
    CompositionRoot& app = startApplication();
    showWindow();
    Scheduler& scheduler = app.scheduler();
    EXPECT_TRUE(app.state().isMonitoring());
    EXPECT_TRUE(scheduler.isStarted());
    Preferences& preferences = scheduler.preferences();
    preferences.setScheduleModule(ModuleID::systemJunk);
    preferences.setScheduleCleans(true);
    const qsizetype sessionsBefore = app.services().history.sessions().size();

    scheduler.runScheduled();
    EXPECT_TRUE(scheduler.isRunning());
    ASSERT_TRUE(TestSupport::waitFor([&] { return !scheduler.isRunning(); }));
    app.finishCleanings();

    ASSERT_TRUE(scheduler.lastOutcome().has_value());
    const QString outcome = *scheduler.lastOutcome();
    EXPECT_TRUE(outcome.startsWith(u"Fichiers système : "_s)) << outcome.toStdString();
    EXPECT_TRUE(outcome.contains(u" libérés"_s)) << outcome.toStdString();
    EXPECT_FALSE(outcome.contains(u"en échec"_s)) << outcome.toStdString();
    ASSERT_EQ(app.services().history.sessions().size(), sessionsBefore + 1);
    const CleaningSession& session = app.services().history.sessions().first();
    EXPECT_EQ(session.moduleID, u"systemJunk"_s);
    EXPECT_FALSE(session.snapshotStamp.has_value());
    ASSERT_FALSE(session.files.isEmpty());
    for (const RemovedFile& file : session.files) {
        ASSERT_TRUE(file.trashPath.has_value()) << file.originalPath.toStdString();
        EXPECT_TRUE(TestSupport::exists(*file.trashPath)) << file.trashPath->toStdString();
        EXPECT_FALSE(TestSupport::exists(file.originalPath)) << file.originalPath.toStdString();
    }
    EXPECT_EQ(preferences.lastScheduledRun().has_value(), true);
    EXPECT_TRUE(scheduler.nextRun() == std::nullopt || *scheduler.nextRun() > scheduler.now());
    ScanViewModel* screen = app.state().model(ModuleID::systemJunk);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->phase(), ScanViewModel::Phase::idle);
}
