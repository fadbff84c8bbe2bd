#include "CompositionRoot.h"

#include "App/AppState.h"
#include "App/HistoryWindow.h"
#include "App/MainWindow.h"
#include "Core/History.h"
#include "Look/DesktopWorkspace.h"
#include "Look/IconTile.h"
#include "Look/NoticeBanner.h"
#include "Look/StyledButton.h"
#include "MacFixtures.h"
#include "Platform/Access.h"
#include "Platform/FileOperations.h"
#include "Platform/FileSystem.h"
#include "Sandbox.h"
#include "Scan/HistoryModel.h"
#include "Scan/HistoryView.h"
#include "Scan/ItemRow.h"
#include "Scan/ScanViewModel.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QAbstractButton* button(QWidget& window, const QString& name)
{
    for (QAbstractButton* candidate : window.findChildren<QAbstractButton*>(name)) {
        if (candidate->isVisibleTo(&window) && candidate->isEnabled())
            return candidate;
    }
    return nullptr;
}

// Lays out the demonstration Mac in the sandbox and points the process at it.
struct DemoMac {
    DemoMac()
    {
        QProcess script;
        script.start(u"bash"_s, {QStringLiteral(QP_SOURCE_DIR "/scripts/make-demo-mac.sh"), root});
        EXPECT_TRUE(script.waitForFinished(60000));
        EXPECT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    }
    QString path(const QString& mac) const { return root + mac; }

    const QString root = TestSupport::temporary() + u"/demo-mac"_s;
    const TestSupport::ScopedEnvironment system{"QUORVANE_ROOT", root};
    const TestSupport::ScopedEnvironment home{"HOME", root + u"/Users/demo"_s};
    const TestSupport::ScopedEnvironment tmp{"TMPDIR", root + u"/private/var/folders/qp/T"_s};
};

const ScanItem* itemNamed(const ScanViewModel& model, const QString& name, QUuid* group = nullptr)
{
    for (const ScanGroup& candidate : model.groups()) {
        for (const ScanItem& item : candidate.items) {
            if (item.name == name) {
                if (group)
                    *group = candidate.id;
                return &item;
            }
        }
    }
    return nullptr;
}

} // namespace

// The whole program on a demonstration Mac: the user picks "Fichiers système", scans and cleans; the files go
// to that Mac's Trash and the journal holds the session.
TEST(EndToEnd, systemJunkIsScannedCleanedAndJournaledOnTheDemonstrationMac)
{
    const QString demo = TestSupport::temporary() + u"/demo-mac"_s;
    QProcess script;
    script.start(u"bash"_s, {QStringLiteral(QP_SOURCE_DIR "/scripts/make-demo-mac.sh"), demo});
    ASSERT_TRUE(script.waitForFinished(60000));
    ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    const TestSupport::ScopedEnvironment root("QUORVANE_ROOT", demo);
    const TestSupport::ScopedEnvironment home("HOME", demo + u"/Users/demo"_s);
    const TestSupport::ScopedEnvironment tmp("TMPDIR", demo + u"/private/var/folders/qp/T"_s);

    installApplicationLook();
    CompositionRoot app;
    MainWindow& window = app.window();
    window.show();
    app.state().setSelection(ModuleID::systemJunk);

    QAbstractButton* scan = button(window, u"scanButton"_s);

    ASSERT_NE(scan, nullptr);
    QTest::mouseClick(scan, Qt::LeftButton);
    QAbstractButton* clean = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (clean = button(window, u"cleanButton"_s)) != nullptr; }, 30000));
    // Every result row can tell where its file comes from (its button shows on hover).
    ScanViewModel* junk = app.state().model(ModuleID::systemJunk);
    ASSERT_FALSE(junk->groups().isEmpty());
    if (!junk->groups().first().isExpanded)
        junk->toggleExpanded(junk->groups().first().id);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return !window.findChildren<QAbstractButton*>(u"provenanceButton"_s).isEmpty(); }, 5000));
    QTest::mouseClick(clean, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return button(window, u"newScanButton"_s) != nullptr; }, 30000));

    const auto trashed = Platform::listFolder(demo + u"/Users/demo/.Trash"_s);
    EXPECT_FALSE(trashed.empty());
    ASSERT_FALSE(History::shared().sessions().isEmpty());
    const CleaningSession& session = History::shared().sessions().first();
    EXPECT_EQ(session.moduleID, u"systemJunk"_s);
    EXPECT_TRUE(History::shared().fileURL().startsWith(demo));
    for (const RemovedFile& file : session.files)
        EXPECT_TRUE(file.originalPath.startsWith(demo)) << file.originalPath.toStdString();
    app.finishCleanings();
}

// "Suppression de malwares" on the demonstration Mac: the scan shows threats with their severity, reasons and
// the configuration-profile notice; cleaning the default selection and one risky row unloads the jobs (the
// user's from the user's session, the daemon's inside the administrator script), trashes what the user owns,
// deletes the system's items with administrator rights, journals the cleaning and can put the trashed back.
TEST(EndToEnd, malwareIsScannedCleanedAndJournaledOnTheDemonstrationMac)
{
    const DemoMac demo;
    {
        // Where the file system keeps no extended attributes, signatures read differently.
        const TempTree probe(u"f 1\n"_s);
        QP_SET_ATTRIBUTE_OR_SKIP(TestSupport::setExtendedAttribute(probe.path(u"f"_s), u"user.probe"_s, "1"));
    }
    installApplicationLook();
    CompositionRoot app;
    MainWindow& window = app.window();
    window.show();
    app.state().setSelection(ModuleID::malware);
    QAbstractButton* scan = button(window, u"scanButton"_s);
    ASSERT_NE(scan, nullptr);
    QTest::mouseClick(scan, Qt::LeftButton);
    QAbstractButton* clean = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (clean = button(window, u"cleanButton"_s)) != nullptr; }, 30000));

    ScanViewModel* malware = app.state().model(ModuleID::malware);
    ASSERT_NE(malware, nullptr);
    QStringList titles;
    for (const ScanGroup& group : malware->groups()) {
        titles.append(group.title);
        if (!group.isExpanded)
            malware->toggleExpanded(group.id);
    }
    EXPECT_EQ(titles,
              (QStringList{u"Persistance suspecte"_s, u"Fichiers d'adwares connus"_s, u"Extensions de navigateur"_s}));

    // Each row: its severity chip, its reasons, and where the removal puts it.
    QHash<QString, QString> routes;
    QHash<QString, ThreatSeverity> severities;
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.findChildren<ItemRow*>(u"itemRow"_s).size() == 9; }, 5000));
    for (ItemRow* row : window.findChildren<ItemRow*>(u"itemRow"_s)) {
        EXPECT_TRUE(row->findChild<QWidget*>(u"severityChip"_s)->isVisibleTo(row)) << row->item().name.toStdString();
        routes.insert(row->item().name, row->findChild<QLabel*>(u"itemRoute"_s)->text());
        severities.insert(row->item().name, row->item().threat->severity);
        EXPECT_EQ(row->toolTip(), row->item().threat->reasons.join(u'\n'));
    }
    const QHash<QString, ThreatSeverity> expected{
        {u"com.searchmine.helper"_s, ThreatSeverity::confirmed},
        {u"a8f3c91e7d20"_s, ThreatSeverity::likely},
        {u"com.mediaupdate.daemon"_s, ThreatSeverity::likely},
        {u"fr.relais-maj.agent"_s, ThreatSeverity::likely},
        {u"com.tempometeo.agent"_s, ThreatSeverity::suspicious},
        {u"com.zxcvbnmqk.daemon"_s, ThreatSeverity::suspicious},
        {u"MacKeeper"_s, ThreatSeverity::confirmed},
        {u"Coupons Express"_s, ThreatSeverity::likely},
        {u"Onglets Malins"_s, ThreatSeverity::likely},
    };
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        EXPECT_EQ(severities.value(it.key()), it.value()) << it.key().toStdString();
    EXPECT_EQ(routes.value(u"com.searchmine.helper"_s), u"corbeille"_s);
    EXPECT_EQ(routes.value(u"Coupons Express"_s), u"corbeille"_s);
    EXPECT_EQ(routes.value(u"com.tempometeo.agent"_s), u"définitif"_s);
    EXPECT_EQ(routes.value(u"com.mediaupdate.daemon"_s), u"définitif"_s);
    EXPECT_EQ(routes.value(u"MacKeeper"_s), u"définitif"_s);
    EXPECT_EQ(itemNamed(*malware, u"a8f3c91e7d20"_s)->threat->reasons,
              (QStringList{u"Programme logé dans un dossier temporaire"_s,
                           u"Programme caché dans un dossier commençant par un point"_s,
                           u"Nom de programme sans forme prononçable"_s, u"Programme que personne n'a signé"_s,
                           u"Téléchargé depuis Internet via Google Chrome"_s, u"Se réveille toutes les 120 secondes"_s,
                           u"Agent de session · programme non signé"_s}));

    // The configuration-profile notice opens the profiles pane through the workspace.
    const QList<NoticeBanner*> notices = window.findChildren<NoticeBanner*>(u"advisoryNotice"_s);
    ASSERT_EQ(notices.size(), 1);
    EXPECT_EQ(notices[0]->findChild<QLabel*>(u"noticeTitle"_s)->text(),
              u"Un profil de configuration pilote votre navigateur"_s);
    QAbstractButton* open = notices[0]->findChild<QAbstractButton*>(u"noticeActionButton"_s);
    ASSERT_NE(open, nullptr);
    QTest::mouseClick(open, Qt::LeftButton);
    EXPECT_EQ(app.workspace().settingsLinks(),
              QStringList{u"x-apple.systempreferences:com.apple.Profiles-Settings.extension"_s});

    // The default selection (the confirmed threats) and one risky row: the daemon that injects a library.
    QUuid daemonGroup;
    const ScanItem* daemon = itemNamed(*malware, u"com.mediaupdate.daemon"_s, &daemonGroup);
    ASSERT_NE(daemon, nullptr);
    EXPECT_FALSE(daemon->isSelected);
    malware->toggleItem(daemon->id, daemonGroup);
    EXPECT_EQ(malware->selectedCount(), 3);
    QFile::remove(demo.path(u"/private/var/log/launchctl.log"_s));
    QTest::mouseClick(clean, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return button(window, u"newScanButton"_s) != nullptr; }, 30000));
    EXPECT_TRUE(malware->failures().isEmpty()) << malware->failures().join(u'\n').toStdString();
    EXPECT_EQ(malware->removedCount(), 3);

    const QString uid = QString::number(Platform::userID());
    // The launchctl stand-in's log: one call a line, each argument ended by the unit separator.
    QList<QStringList> calls;
    for (const QByteArray& line : TestSupport::contentOf(demo.path(u"/private/var/log/launchctl.log"_s)).split('\n')) {
        if (!line.isEmpty())
            calls.append(QString::fromUtf8(line.chopped(1)).split(QChar(0x1F)));
    }
    EXPECT_TRUE(calls.contains(QStringList{u"bootout"_s, u"gui/"_s + uid + u"/com.searchmine.helper"_s}));
    EXPECT_TRUE(calls.contains(QStringList{u"bootout"_s, u"system/com.mediaupdate.daemon"_s}));
    const QString agent = demo.path(u"/Users/demo/Library/LaunchAgents/com.searchmine.helper.plist"_s);
    EXPECT_FALSE(TestSupport::exists(agent));
    EXPECT_TRUE(TestSupport::exists(demo.path(u"/Users/demo/.Trash/com.searchmine.helper.plist"_s)));
    EXPECT_FALSE(TestSupport::exists(demo.path(u"/Library/LaunchDaemons/com.mediaupdate.daemon.plist"_s)));
    EXPECT_FALSE(TestSupport::exists(demo.path(u"/Library/Application Support/MacKeeper"_s)));
    EXPECT_TRUE(TestSupport::exists(demo.path(u"/Library/LaunchAgents/com.tempometeo.agent.plist"_s)));

    ASSERT_FALSE(History::shared().sessions().isEmpty());
    const CleaningSession& session = History::shared().sessions().first();
    EXPECT_EQ(session.moduleID, u"malware"_s);
    EXPECT_EQ(session.files.size(), 3);

    // What went to the Trash comes back.
    ASSERT_TRUE(malware->canUndo());
    malware->undoLastCleaning();
    EXPECT_TRUE(TestSupport::exists(agent));
    app.finishCleanings();
}

// "Historique de nettoyage" on the demonstration Mac: a cleaning of "Fichiers système" is put back from the
// Trash; a second one, whose Trash is then emptied, comes back from the snapshot taken before it, through the
// administrator prompt. Both times the files are at their places again and the journal marks them.
TEST(EndToEnd, cleaningsArePutBackFromTheHistoryWindow)
{
    const DemoMac demo;
    installApplicationLook();
    CompositionRoot app;
    MainWindow& window = app.window();
    window.show();
    app.state().setSelection(ModuleID::systemJunk);

    const auto cleanSystemJunk = [&] {
        QAbstractButton* start = nullptr;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                start = button(window, u"scanButton"_s);
                if (start == nullptr)
                    start = button(window, u"newScanButton"_s);
                return start != nullptr;
            },
            30000));
        QTest::mouseClick(start, Qt::LeftButton);
        if (button(window, u"scanButton"_s) != nullptr)
            QTest::mouseClick(button(window, u"scanButton"_s), Qt::LeftButton);
        QAbstractButton* clean = nullptr;
        ASSERT_TRUE(QTest::qWaitFor([&] { return (clean = button(window, u"cleanButton"_s)) != nullptr; }, 30000));
        QTest::mouseClick(clean, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return button(window, u"newScanButton"_s) != nullptr; }, 30000));
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
    ASSERT_FALSE(History::shared().sessions().isEmpty());
    const CleaningSession first = History::shared().sessions().first();
    ASSERT_TRUE(first.snapshotStamp.has_value());
    window.historyAction()->trigger();
    auto* view = historyWindow()->findChild<HistoryView*>();
    ASSERT_NE(view, nullptr);
    SessionCard* card = view->card(first.id);
    ASSERT_NE(card, nullptr);
    ASSERT_FALSE(card->restoreButton()->isHidden());
    card->restoreButton()->click();
    EXPECT_TRUE(view->notice()->text().endsWith(u" depuis la corbeille."_s)) << view->notice()->text().toStdString();
    EXPECT_TRUE(allBack(*History::shared().session(first.id)));

    // Two: the Trash emptied, back from the snapshot.
    cleanSystemJunk();
    const CleaningSession second = History::shared().sessions().first();
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
    ASSERT_TRUE(QTest::qWaitFor([] { return HistoryModel::restoresUnderWay() == 0; }, 60000));
    // The demonstration Mac's snapshots hold the home's Library and the temporary folder: what the cleaning took
    // there is back and marked; anything else is reported absent from the snapshot and stays unmarked.
    const QString library = demo.path(u"/Users/demo/Library/"_s);
    const QString temporary = demo.path(u"/private/var/folders/qp/T/"_s);
    int inSnapshot = 0;
    const CleaningSession marked = *History::shared().session(second.id);
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
    app.finishCleanings();
}

// The demonstration Mac's journal, as the first run moves it in: every state shows, the snapshot that still
// exists brings back what it holds (a name with a quote and accents, a missing parent folder made on the way),
// and the one macOS removed says so.
TEST(EndToEnd, theDemonstrationJournalShowsItsStatesAndComesBackFromItsSnapshot)
{
    const DemoMac demo;
    const QString support = demo.path(u"/Users/demo/Library/Application Support/"_s);
    Platform::createFolder(support + u"QuorvanePro"_s);
    ASSERT_FALSE(
        Platform::moveItem(support + u"Tessalinomark/history.json"_s, support + u"QuorvanePro/history.json"_s));
    installApplicationLook();
    CompositionRoot app;
    app.window().historyAction()->trigger();
    auto* view = historyWindow()->findChild<HistoryView*>();
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
    ASSERT_TRUE(QTest::qWaitFor([] { return HistoryModel::restoresUnderWay() == 0; }, 30000));
    EXPECT_TRUE(view->notice()->text().startsWith(u"L'instantané du 2024-10-05-081500 n'existe plus"_s));

    view->card(kept)->snapshotButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([] { return HistoryModel::restoresUnderWay() == 0; }, 30000));
    EXPECT_EQ(view->notice()->text(), u"2 éléments remis en place · 3 en échec — absent de l instantané"_s);
    const QString log = demo.path(u"/Users/demo/Library/Logs/Atelier Photo/rendu-2024-11-19.log"_s);
    EXPECT_EQ(TestSupport::contentOf(log), "rendu terminé\n");
    EXPECT_TRUE(TestSupport::exists(demo.path(u"/Users/demo/Library/Caches/l'été/données d'aperçu.bin"_s)));
    const CleaningSession after = *History::shared().session(kept);
    EXPECT_TRUE(after.files[2].restored);
    EXPECT_TRUE(after.files[3].restored);
    EXPECT_FALSE(after.files[0].restored);
    app.finishCleanings();
}
