#include "CompositionRoot.h"

#include "App/AppState.h"
#include "App/MainWindow.h"
#include "Core/History.h"
#include "Look/DesktopWorkspace.h"
#include "Look/NoticeBanner.h"
#include "MacFixtures.h"
#include "Performance/MaintenanceModel.h"
#include "Performance/MaintenanceView.h"
#include "Platform/Access.h"
#include "Platform/FileOperations.h"
#include "Platform/FileSystem.h"
#include "Sandbox.h"
#include "Scan/ItemRow.h"
#include "Scan/ScanViewModel.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"
#include "Tools/SpaceMapModel.h"
#include "Tools/SpaceMapView.h"
#include "Tools/SpaceNode.h"
#include "Tools/Treemap.h"
#include "Tools/TreemapCanvas.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QSet>
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
    EXPECT_TRUE(QTest::qWaitFor([&] { return TestSupport::exists(agent); }, 10000)); // put back off the GUI thread
    app.finishCleanings();
}

// The user picks "Résidus d'apps disparues" on a Mac that refuses Full Disk Access: the screen says so, the scan
// still finds what removed applications left, the ticked entries go to the Trash with a journaled session, and
// the undo puts them back.
TEST(EndToEnd, leftoversAreScannedCleanedJournaledAndPutBackOnTheDemonstrationMac)
{
    const QString demo = TestSupport::temporary() + u"/demo-mac"_s;
    QProcess script;
    script.start(u"bash"_s, {QStringLiteral(QP_SOURCE_DIR "/scripts/make-demo-mac.sh"), demo});
    ASSERT_TRUE(script.waitForFinished(60000));
    ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    const QString home = demo + u"/Users/demo"_s;
    const TestSupport::ScopedEnvironment root("QUORVANE_ROOT", demo);
    const TestSupport::ScopedEnvironment homeFolder("HOME", home);
    const TestSupport::ScopedEnvironment tmp("TMPDIR", demo + u"/private/var/folders/qp/T"_s);

    // The privacy database stands there but does not open, as when access was not granted (a socket refuses
    // even the administrator, who opens any file).
    const QString tcc = home + u"/Library/Application Support/com.apple.TCC"_s;
    ASSERT_EQ(Platform::createFolder(tcc), std::nullopt);
    const QByteArray database = QFile::encodeName(tcc + u"/TCC.db"_s);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(size_t(database.size()), sizeof(address.sun_path));
    qstrncpy(address.sun_path, database.constData(), sizeof(address.sun_path));
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(socket, 0);
    ASSERT_EQ(::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);

    installApplicationLook();
    CompositionRoot app;
    MainWindow& window = app.window();
    window.show();
    app.state().setSelection(ModuleID::leftovers);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto* notice = window.findChild<QWidget*>(u"fullDiskAccessNotice"_s);
            return notice != nullptr && notice->isVisibleTo(&window);
        },
        5000));

    QAbstractButton* scan = button(window, u"scanButton"_s);
    ASSERT_NE(scan, nullptr);
    QTest::mouseClick(scan, Qt::LeftButton);
    QAbstractButton* clean = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (clean = button(window, u"cleanButton"_s)) != nullptr; }, 30000));
    ScanViewModel* leftovers = app.state().model(ModuleID::leftovers);
    ASSERT_EQ(leftovers->groups().size(), 2);
    EXPECT_EQ(leftovers->groups()[0].title, u"Apps disparues"_s);
    EXPECT_EQ(leftovers->groups()[1].title, u"Éditeur encore installé"_s);
    QSet<QString> ticked;
    for (const ScanItem& item : leftovers->groups()[0].items)
        ticked.insert(item.url);
    EXPECT_TRUE(ticked.contains(home + u"/Library/Containers/net.ardoise.client"_s));
    for (const ScanItem& item : leftovers->groups()[1].items)
        EXPECT_FALSE(item.isSelected) << item.url.toStdString();

    QTest::mouseClick(clean, Qt::LeftButton);
    QAbstractButton* undo = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (undo = button(window, u"undoButton"_s)) != nullptr; }, 30000));
    const CleaningSession session = History::shared().sessions().first();
    EXPECT_EQ(session.moduleID, u"leftovers"_s);
    QSet<QString> journaled;
    for (const RemovedFile& file : session.files) {
        journaled.insert(file.originalPath);
        EXPECT_FALSE(QFile::exists(file.originalPath)) << file.originalPath.toStdString();
        ASSERT_TRUE(file.trashPath.has_value());
        EXPECT_TRUE(file.trashPath->startsWith(home + u"/.Trash/"_s)) << file.trashPath->toStdString();
    }
    EXPECT_EQ(journaled, ticked);
    EXPECT_TRUE(QFile::exists(home + u"/Library/Caches/com.lumenlabs.retouche"_s)) << "unticked, left in place";

    QTest::mouseClick(undo, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto* notice = window.findChild<QWidget*>(u"restoreNotice"_s);
            return notice != nullptr && notice->isVisibleTo(&window);
        },
        10000));
    for (const QString& path : ticked)
        EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
    for (const RemovedFile& file : History::shared().sessions().first().files)
        EXPECT_TRUE(file.restored) << file.originalPath.toStdString();
    app.finishCleanings();
    ::close(socket);
}

// "Carte d'espace" from the sidebar: the home folder is measured, a tile's click enters its folder, "Remonter"
// comes back, and a second measurement stops when asked.
TEST(EndToEnd, theSpaceMapMeasuresAndWalksTheDemonstrationHome)
{
    const DemoMac demo;
    CompositionRoot app;
    MainWindow& window = app.window();
    window.resize(1120, 720);
    window.show();
    app.state().setSelection(ModuleID::spaceMap);
    auto* view = qobject_cast<SpaceMapView*>(window.detail());
    ASSERT_NE(view, nullptr);
    SpaceMapModel& model = view->model();

    QAbstractButton* start = button(window, u"startButton"_s);
    ASSERT_NE(start, nullptr);
    QTest::mouseClick(start, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.current() != nullptr; }, 30000));
    const SpaceNode* home = model.root();
    EXPECT_EQ(home->url(), demo.path(u"/Users/demo"_s));

    const TreemapCanvas& canvas = view->canvas();
    const Treemap::Tile* documents = nullptr;
    for (const Treemap::Tile& tile : canvas.tiles()) {
        if (tile.node->name() == u"Documents"_s)
            documents = &tile;
    }
    ASSERT_NE(documents, nullptr);
    QTest::mouseClick(const_cast<TreemapCanvas*>(&canvas), Qt::LeftButton, {}, documents->rect.center().toPoint());
    ASSERT_EQ(model.current()->name(), u"Documents"_s);
    QAbstractButton* up = button(window, u"upButton"_s);
    ASSERT_NE(up, nullptr);
    QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(model.current(), home);

    QAbstractButton* again = button(window, u"homeButton"_s);
    ASSERT_NE(again, nullptr);
    QTest::mouseClick(again, Qt::LeftButton);
    EXPECT_TRUE(model.isScanning());
    QAbstractButton* stop = button(window, u"stopButton"_s);
    ASSERT_NE(stop, nullptr);
    QTest::mouseClick(stop, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.progress() == 1.0; }, 10000));
    EXPECT_EQ(model.current(), nullptr);
    EXPECT_NE(button(window, u"startButton"_s), nullptr);
}

// "Maintenance" from the sidebar: ticked tasks run through the demonstration Mac's tools, one succeeding, one
// failing with the tool's own report; a second visit has a new model, where a dismissed prompt fails its task.
TEST(EndToEnd, maintenanceRunsTheTickedTasksThroughTheDemonstrationTools)
{
    const DemoMac demo;
    CompositionRoot app;
    MainWindow& window = app.window();
    window.resize(1120, 900);
    window.show();
    app.state().setSelection(ModuleID::maintenance);
    auto* view = qobject_cast<MaintenanceView*>(window.detail());
    ASSERT_NE(view, nullptr);
    MaintenanceModel& model = view->model();
    const auto tap = [&](const QString& id) {
        QWidget* row = view->findChild<QWidget*>(u"maintenanceRow_"_s + id);
        ASSERT_NE(row, nullptr);
        QTest::mouseClick(row, Qt::LeftButton);
    };

    const TestSupport::ScopedEnvironment failing{"QUORVANE_FAIL_TOOL", u"diskutil"_s};
    tap(u"permissions"_s);
    tap(u"spotlight"_s);
    QAbstractButton* run = button(window, u"maintenanceRunButton"_s);
    ASSERT_NE(run, nullptr);
    QTest::mouseClick(run, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model.running() && model.outcomes().size() == 2; }, 30000));
    EXPECT_EQ(model.outcomes().value(u"spotlight"_s), u"Terminé."_s);
    EXPECT_TRUE(model.failures().contains(u"permissions"_s));
    EXPECT_TRUE(model.outcomes().value(u"permissions"_s).startsWith(u"Error resetting permissions"_s));
    EXPECT_EQ(TestSupport::contentOf(demo.path(u"/private/var/log/mdutil.log"_s)), QByteArray("-E\x1f/\x1f\n"));
    EXPECT_TRUE(model.selected().isEmpty());

    app.state().setSelection(ModuleID::spaceMap);
    app.state().setSelection(ModuleID::maintenance);
    view = qobject_cast<MaintenanceView*>(window.detail());
    ASSERT_NE(view, nullptr);
    MaintenanceModel& fresh = view->model();
    EXPECT_TRUE(fresh.outcomes().isEmpty());
    const TestSupport::ScopedEnvironment dismissed{"QUORVANE_OSASCRIPT_CANCEL", u"1"_s};
    tap(u"fonts"_s);
    run = button(window, u"maintenanceRunButton"_s);
    ASSERT_NE(run, nullptr);
    QTest::mouseClick(run, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fresh.outcomes().contains(u"fonts"_s); }, 30000));
    EXPECT_EQ(fresh.outcomes().value(u"fonts"_s), u"Annulé."_s);
    EXPECT_TRUE(fresh.failures().contains(u"fonts"_s));
}
