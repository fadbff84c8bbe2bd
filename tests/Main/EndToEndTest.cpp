#include "CompositionRoot.h"

#include "App/AppState.h"
#include "App/HistoryWindow.h"
#include "App/MainWindow.h"
#include "App/SidebarView.h"
#include "App/SingleInstance.h"
#include "Core/FileUtils.h"
#include "Core/History.h"
#include "Look/DesktopWorkspace.h"
#include "Look/ElidedLabel.h"
#include "Look/IconTile.h"
#include "Look/NoticeBanner.h"
#include "Look/StyledButton.h"
#include "MacFixtures.h"
#include "Performance/MaintenanceModel.h"
#include "Performance/MaintenanceView.h"
#include "Performance/OptimizationModel.h"
#include "Performance/OptimizationView.h"
#include "Platform/Access.h"
#include "Platform/FileOperations.h"
#include "Platform/FileSystem.h"
#include "Sandbox.h"
#include "Scan/HistoryModel.h"
#include "Scan/HistoryView.h"
#include "Scan/ItemRow.h"
#include "Scan/ScanViewModel.h"
#include "Scan/SmartScanView.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"
#include "Tools/ShredderModel.h"
#include "Tools/ShredderView.h"
#include "Tools/SnapshotsView.h"
#include "Tools/SnapshotsViewModel.h"
#include "Tools/SpaceMapModel.h"
#include "Tools/SpaceMapView.h"
#include "Tools/SpaceNode.h"
#include "Tools/Treemap.h"
#include "Tools/TreemapCanvas.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

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
    DemoMac() { TestSupport::layOutDemoMac(root); }
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
    const DemoMac mac;
    const QString demo = mac.root;

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
    const DemoMac mac;
    const QString demo = mac.root;
    const QString home = demo + u"/Users/demo"_s;

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

// A user keeps the oldest copy of a duplicated report: one copy goes to the demonstration Mac's Trash, the
// journal records it, and undoing the cleaning puts it back where it was.
TEST(EndToEnd, oneDuplicateCopyIsTrashedJournaledAndPutBack)
{
    const DemoMac mac;
    const QString demo = mac.root;
    const QString homeFolder = demo + u"/Users/demo"_s;

    installApplicationLook();
    CompositionRoot app;
    MainWindow& window = app.window();
    window.show();
    app.state().setSelection(ModuleID::duplicates);

    QAbstractButton* scan = button(window, u"scanButton"_s);
    ASSERT_NE(scan, nullptr);
    QTest::mouseClick(scan, Qt::LeftButton);
    ScanViewModel* duplicates = app.state().model(ModuleID::duplicates);
    ASSERT_NE(duplicates, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return duplicates->phase() == ScanViewModel::Phase::results; }, 30000));
    ASSERT_EQ(duplicates->groups().size(), 1);
    const ScanGroup group = duplicates->groups().first();
    ASSERT_EQ(group.items.size(), 3);
    EXPECT_EQ(duplicates->selectedCount(), 0); // nothing is ticked by itself

    // The copy in Downloads: the oldest, in Documents, stays first and unticked.
    const ScanItem copy = group.items[1];
    ASSERT_EQ(copy.url, homeFolder + u"/Downloads/Rapport annuel 2023.pdf"_s);
    duplicates->toggleItem(copy.id, group.id);
    QAbstractButton* clean = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (clean = button(window, u"cleanButton"_s)) != nullptr; }, 5000));
    QTest::mouseClick(clean, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return button(window, u"undoButton"_s) != nullptr; }, 30000));

    EXPECT_FALSE(Platform::fileInfo(copy.url));
    EXPECT_TRUE(Platform::fileInfo(group.items[0].url));
    EXPECT_TRUE(Platform::fileInfo(group.items[2].url));
    std::optional<CleaningSession> session;
    for (const CleaningSession& candidate : History::shared().sessions()) {
        if (candidate.moduleID == u"duplicates" && !session)
            session = candidate;
    }
    ASSERT_TRUE(session);
    ASSERT_EQ(session->files.size(), 1);
    EXPECT_EQ(session->files[0].originalPath, copy.url);
    ASSERT_TRUE(session->files[0].trashPath);
    EXPECT_TRUE(session->files[0].trashPath->startsWith(homeFolder + u"/.Trash/"_s));
    EXPECT_TRUE(Platform::fileInfo(*session->files[0].trashPath));

    QTest::mouseClick(button(window, u"undoButton"_s), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Platform::fileInfo(copy.url).has_value(); }, 30000));
    EXPECT_FALSE(Platform::fileInfo(*session->files[0].trashPath));
    app.finishCleanings();
}

// "Analyse intelligente" on the demonstration Mac, picked in the sidebar: one scan finds the junk, the trash items
// and the threats; "Tout nettoyer" cleans what is selected, the threats that only an administrator may remove
// through the prompt, and the report and the journal say so.
TEST(EndToEnd, theSmartScanCleansJunkTrashAndThreatsOnTheDemonstrationMac)
{
    const DemoMac demo;
    {
        const TempTree probe(u"f 1\n"_s);
        QP_SET_ATTRIBUTE_OR_SKIP(TestSupport::setExtendedAttribute(probe.path(u"f"_s), u"user.probe"_s, "1"));
    }
    installApplicationLook();
    CompositionRoot app;
    MainWindow& window = app.window();
    window.show();
    app.state().setSelection(ModuleID::trashBins);
    window.sidebar()->list()->setCurrentRow(1);
    ASSERT_EQ(app.state().selection(), ModuleID::smartScan);
    ASSERT_NE(qobject_cast<SmartScanView*>(window.detail()), nullptr);
    ScanViewModel* smart = app.state().model(ModuleID::smartScan);
    ASSERT_NE(smart, nullptr);
    EXPECT_EQ(smart->phase(), ScanViewModel::Phase::idle); // showing the screen started nothing

    // The screen scrolls: its content is laid out once the window has had its turn.
    QAbstractButton* scan = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return (scan = button(window, u"scanButton"_s)) != nullptr && !scan->rect().isEmpty(); }, 5000));
    QTest::mouseClick(scan, Qt::LeftButton);
    QAbstractButton* clean = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (clean = button(window, u"cleanButton"_s)) != nullptr; }, 60000));
    QStringList titles;
    for (const ScanGroup& group : smart->groups())
        titles.append(group.title);
    SCOPED_TRACE(titles.join(u" | "_s).toStdString());
    EXPECT_TRUE(titles.contains(u"Caches d'applications"_s));
    EXPECT_TRUE(titles.contains(u"Corbeille"_s));
    EXPECT_TRUE(titles.contains(u"Fichiers d'adwares connus"_s));
    EXPECT_TRUE(titles.contains(u"Persistance suspecte"_s));
    EXPECT_EQ(window.findChildren<QWidget*>(u"groupRow"_s).size(), smart->groups().size());
    ASSERT_NE(itemNamed(*smart, u"MacKeeper"_s), nullptr);
    EXPECT_TRUE(itemNamed(*smart, u"MacKeeper"_s)->isSelected);

    const qsizetype selected = smart->selectedCount();
    ASSERT_GT(selected, 0);
    QTest::mouseClick(clean, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return button(window, u"newScanButton"_s) != nullptr; }, 60000));
    EXPECT_TRUE(smart->failures().isEmpty()) << smart->failures().join(u'\n').toStdString();
    EXPECT_EQ(smart->removedCount(), selected);
    EXPECT_FALSE(TestSupport::exists(demo.path(u"/Library/Application Support/MacKeeper"_s)));
    EXPECT_TRUE(Platform::listFolder(demo.path(u"/Users/demo/.Trash"_s)).size() > 0);

    QLabel* freed = window.findChild<QLabel*>(u"freedLine"_s);
    ASSERT_NE(freed, nullptr);
    EXPECT_TRUE(freed->text().endsWith(u" libérés"_s));
    EXPECT_GT(smart->freedBytes(), 0);
    EXPECT_TRUE(window.findChild<QWidget*>(u"freedTile"_s)->isVisibleTo(&window));

    app.finishCleanings();
    ASSERT_FALSE(History::shared().sessions().isEmpty());
    const CleaningSession session = History::shared().sessions().first();
    EXPECT_EQ(session.moduleID, u"smartScan"_s);
    EXPECT_EQ(session.files.size(), selected);
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

// "Instantanés locaux" from the sidebar: the demonstration Mac's snapshots newest first, one deleted from its
// row and the rest with "Tout supprimer", each behind the authorisation prompt; the stand-in's store ends empty
// and the screen says so.
TEST(EndToEnd, localSnapshotsAreListedAndDeletedOnTheDemonstrationMac)
{
    const DemoMac demo;
    CompositionRoot app;
    MainWindow& window = app.window();
    window.resize(1120, 720);
    window.show();
    app.state().setSelection(ModuleID::snapshots);
    auto* view = qobject_cast<SnapshotsView*>(window.detail());
    ASSERT_NE(view, nullptr);
    const auto rowNames = [&] {
        QStringList names;
        for (ElidedLabel* name : view->findChildren<ElidedLabel*>(u"snapshotName"_s)) {
            if (name->isVisibleTo(view))
                names.append(name->text());
        }
        return names;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowNames().size() == 4; }, 10000));
    EXPECT_EQ(rowNames(), (QStringList{u"com.apple.TimeMachine.2025-06-30-184502.local"_s,
                                       u"com.apple.TimeMachine.2025-03-14-091500.local"_s,
                                       u"com.apple.TimeMachine.2024-11-20-093000.local"_s,
                                       u"com.apple.TimeMachine.2024-13-01-101500.local"_s}));

    QList<QAbstractButton*> rowButtons;
    for (QAbstractButton* candidate : view->findChildren<QAbstractButton*>(u"deleteButton"_s)) {
        if (candidate->isVisibleTo(view))
            rowButtons.append(candidate);
    }
    ASSERT_EQ(rowButtons.size(), 4);
    QTest::mouseClick(rowButtons[1], Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowNames().size() == 3; }, 10000));
    EXPECT_FALSE(rowNames().contains(u"com.apple.TimeMachine.2025-03-14-091500.local"_s));
    EXPECT_FALSE(
        QFile::exists(demo.path(u"/private/var/db/fake-snapshots/com.apple.TimeMachine.2025-03-14-091500.local"_s)));

    QAbstractButton* all = button(window, u"deleteAllButton"_s);
    ASSERT_NE(all, nullptr);
    QTest::mouseClick(all, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto* empty = view->findChild<QWidget*>(u"emptyState"_s);
            return empty != nullptr && empty->isVisibleTo(view);
        },
        10000));
    QFile store(demo.path(u"/private/var/db/tmutil-snapshots"_s));
    ASSERT_TRUE(store.open(QIODevice::ReadOnly));
    EXPECT_TRUE(store.readAll().trimmed().isEmpty());
    bool said = false;
    for (QLabel* label : view->findChildren<QLabel*>()) {
        if (label->isVisibleTo(view) &&
            label->text() == u"Time Machine est configuré mais ne garde aucune copie locale en ce moment."_s)
            said = true;
    }
    EXPECT_TRUE(said);
}

// A user drops a folder and a file on the shredder, picks 3 passes and confirms: what could be shredded is gone
// for good, a link's target is untouched, the folder stays queued for its refused hard-linked file, and the
// journal holds the run.
TEST(EndToEnd, theShredderOverwritesWhatIsDroppedAndJournalsIt)
{
    const DemoMac demo;
    CompositionRoot app;
    MainWindow& window = app.window();
    window.show();
    app.state().setSelection(ModuleID::shredder);
    auto* view = qobject_cast<ShredderView*>(window.detail());
    ASSERT_NE(view, nullptr);
    auto* model = view->findChild<ShredderModel*>();
    ASSERT_NE(model, nullptr);

    const QString folder = demo.path(u"/Users/demo/Documents/À broyer"_s);
    const QString file = demo.path(u"/Users/demo/Documents/à broyer seul.txt"_s);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(folder), QUrl::fromLocalFile(file)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view, &drop);
    ASSERT_EQ(model->items().size(), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->canShred(); }, 20000));

    auto* passes = view->findChild<QComboBox*>();
    ASSERT_NE(passes, nullptr);
    passes->setCurrentIndex(passes->findData(3));
    emit passes->activated(passes->currentIndex());
    EXPECT_EQ(model->passes(), 3);

    view->requestShred();
    QMessageBox* box = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (QWidget* widget : QApplication::allWidgets()) {
                if (auto* candidate = qobject_cast<QMessageBox*>(widget))
                    box = candidate;
            }
            return box != nullptr;
        },
        5000));
    EXPECT_EQ(box->informativeText(), u"%1 seront écrasés en 3 passes puis supprimés définitivement."_s.arg(
                                          FileUtils::byteFormatter().string(model->totalSize())));
    QAbstractButton* confirm = nullptr;
    for (QAbstractButton* candidate : box->buttons()) {
        if (candidate->text() == u"Broyer"_s)
            confirm = candidate;
    }
    ASSERT_NE(confirm, nullptr);
    confirm->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->shreddedCount() > 0 && !model->isShredding(); }, 30000));

    EXPECT_FALSE(TestSupport::exists(file));
    for (const QString& gone : {u"relevé bancaire.pdf"_s, u"notes.txt"_s, u"Archives"_s, u"vide.txt"_s,
                                u"lecture seule.txt"_s, u"lien vers cible"_s})
        EXPECT_FALSE(TestSupport::exists(folder + u'/' + gone)) << gone.toStdString();
    EXPECT_TRUE(TestSupport::exists(folder + u"/doublé.txt"_s));
    EXPECT_TRUE(QFile::exists(demo.path(u"/Users/demo/Documents/cible hors dossier.txt"_s)));
    const QStringList trash =
        QDir(demo.path(u"/Users/demo/.Trash"_s)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    EXPECT_FALSE(trash.contains(u"notes.txt"_s));
    EXPECT_FALSE(trash.contains(u"à broyer seul.txt"_s));
    ASSERT_EQ(model->items().size(), 1);
    EXPECT_EQ(model->items().first().url, folder);

    History::shared().waitUntilIdle();
    QFile journal(History::shared().fileURL());
    ASSERT_TRUE(journal.open(QIODevice::ReadOnly));
    EXPECT_EQ(journal.readAll().count("\"shredder\""), 1);
}

// "Ouvrir une catégorie" from the command line while the program runs: the new copy hands the module to the
// running one, which shows it and brings its window forward; the new copy quits.
TEST(EndToEnd, openingACategoryChangesTheRunningCopysSelection)
{
    const DemoMac demo;
    const QString runtime = TestSupport::temporary() + u"/runtime"_s;
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const TestSupport::ScopedEnvironment runtimeFolder("XDG_RUNTIME_DIR", runtime);
    installApplicationLook();
    CompositionRoot app;
    SingleInstance instance(u"com.ostrek.quorvanepro"_s);
    ASSERT_TRUE(instance.claim());
    app.answerOtherCopies(instance);
    ASSERT_EQ(app.state().selection(), ModuleID::smartScan);
    QSignalSpy activated(&instance, &SingleInstance::activationRequested);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"XCTestConfigurationFilePath"_s);
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    QProcess copy;
    copy.setProcessEnvironment(environment);
    copy.start(QStringLiteral(QP_APPLICATION), {u"--action"_s, u"open"_s, u"--category"_s, u"leftovers"_s});
    ASSERT_TRUE(copy.waitForStarted(10000));
    EXPECT_TRUE(activated.wait(10000));
    ASSERT_TRUE(copy.waitForFinished(10000));
    EXPECT_EQ(copy.exitCode(), 0);
    EXPECT_EQ(app.state().selection(), ModuleID::leftovers);
    EXPECT_TRUE(app.window().isVisible());
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

namespace {

// Programs of the demonstration Mac started by a test, ended by their own ids when it is done.
class StartedPrograms final
{
public:
    StartedPrograms() = default;
    StartedPrograms(const StartedPrograms&) = delete;
    StartedPrograms& operator=(const StartedPrograms&) = delete;
    ~StartedPrograms()
    {
        for (auto& process : m_processes) {
            process->kill();
            process->waitForFinished(5000);
        }
    }

    QProcess& start(const QString& program)
    {
        auto& process = m_processes.emplace_back(std::make_unique<QProcess>());
        process->start(program, {u"120"_s});
        EXPECT_TRUE(process->waitForStarted(5000)) << program.toStdString();
        return *process;
    }

private:
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

QWidget* launchRowFor(QWidget& window, const QString& url)
{
    for (QWidget* row : window.findChildren<QWidget*>(u"launchItemRow"_s)) {
        if (row->isVisibleTo(&window) && row->property("itemURL").toString() == url)
            return row;
    }
    return nullptr;
}

QStringList heavyNames(const OptimizationModel& model)
{
    QStringList names;
    for (const OptimizationService::HeavyApp& app : model.heavyApps())
        names << app.name;
    return names;
}

} // namespace

// "Optimisation" on the demonstration Mac: the applications started here and its startup items are listed;
// "Désactiver" puts an agent's list in that Mac's Trash as a journaled cleaning that the history window puts
// back; "Quitter" ends an application, gone after "Actualiser"; "Diagnostiquer" shows its banners.
TEST(EndToEnd, optimizationListsDisablesQuitsAndDiagnosesOnTheDemonstrationMac)
{
    const DemoMac demo;
    const QString shown = demo.path(u"/Applications/Démonstration/"_s);
    StartedPrograms started;
    QProcess& boussole = started.start(shown + u"Boussole.app/Contents/MacOS/Boussole"_s);
    started.start(shown + u"Calepin.app/Contents/MacOS/Calepin"_s);
    started.start(shown + u"Fanfare.app/Contents/MacOS/Fanfare"_s);
    started.start(shown + u"Fanfare.app/Contents/MacOS/Fanfare"_s);
    // That Mac's tools tell of the processes as they run: launchd's job for Boussole's program has its pid.
    const auto toolOutput = [&](const QString& tool, const QStringList& arguments) {
        QProcess process;
        process.start(demo.path(tool), arguments);
        EXPECT_TRUE(process.waitForFinished(10000));
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    const QString pid = QString::number(boussole.processId());
    EXPECT_TRUE(toolOutput(u"/bin/launchctl"_s, {u"list"_s}).contains(pid + u"\t0\tfr.boussole.synchro\n"_s));
    EXPECT_TRUE(toolOutput(u"/bin/ps"_s, {u"-axo"_s, u"pid=,pcpu=,rss=,comm="_s})
                    .contains(QRegularExpression(u"(^|\n) *"_s + pid + u" +[0-9]+\\.[0-9] +[0-9]+ "_s +
                                                 QRegularExpression::escape(shown) +
                                                 u"Boussole.app/Contents/MacOS/Boussole\n"_s)));
    const TestSupport::ScopedEnvironment forced{"QUORVANE_DIAGNOSIS", u"serious"_s};
    installApplicationLook();
    CompositionRoot app;
    MainWindow& window = app.window();
    window.resize(1120, 900);
    window.show();
    app.state().setSelection(ModuleID::optimization);
    auto* view = qobject_cast<OptimizationView*>(window.detail());
    ASSERT_NE(view, nullptr);
    OptimizationModel& model = view->model();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !model.isLoading() && heavyNames(model).contains(u"Boussole"_s); }, 30000));

    // Every list of the three folders that reads, once, and the running menu-bar application.
    QStringList labels;
    for (const OptimizationService::LaunchItem& item : model.launchItems())
        labels << item.label;
    for (const QString& label :
         {u"fr.boussole.synchro"_s, u"fr.aquarelle.assistant"_s, u"fr.girouette.meteo"_s, u"fr.metronome.rappel"_s,
          u"fr.lanterne.veilleuse"_s, u"fr.palette.service"_s, u"com.searchmine.helper"_s, u"Calepin éclair"_s})
        EXPECT_EQ(labels.count(label), 1) << label.toStdString();
    EXPECT_FALSE(labels.contains(u"fr.kiosque.alerte"_s));
    EXPECT_FALSE(labels.contains(u"fr.casse"_s));
    EXPECT_FALSE(labels.contains(u"dossier"_s));
    EXPECT_EQ(heavyNames(model).count(u"Fanfare"_s), 1);

    // "Désactiver": to that Mac's Trash, journaled, and put back from the history window.
    const QString agent = demo.path(u"/Users/demo/Library/LaunchAgents/fr.boussole.synchro.plist"_s);
    QWidget* row = launchRowFor(window, agent);
    ASSERT_NE(row, nullptr);
    QTest::mouseClick(row->findChild<QAbstractButton*>(u"disableButton"_s), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return launchRowFor(window, agent) == nullptr; }, 30000));
    EXPECT_FALSE(TestSupport::exists(agent));
    EXPECT_TRUE(TestSupport::exists(demo.path(u"/Users/demo/.Trash/fr.boussole.synchro.plist"_s)));
    History::shared().waitUntilIdle();
    ASSERT_FALSE(History::shared().sessions().isEmpty());
    const CleaningSession session = History::shared().sessions().first();
    EXPECT_EQ(session.moduleID, u"optimization"_s);
    app.window().historyAction()->trigger();
    auto* history = historyWindow()->findChild<HistoryView*>();
    ASSERT_NE(history, nullptr);
    ASSERT_NE(history->card(session.id), nullptr);
    history->card(session.id)->restoreButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([] { return HistoryModel::restoresUnderWay() == 0; }, 30000));
    History::shared().waitUntilIdle();
    EXPECT_TRUE(TestSupport::exists(agent));

    // "Quitter": the application ends, and the next refresh no longer lists it.
    QWidget* boussoleRow = nullptr;
    for (QWidget* candidate : window.findChildren<QWidget*>(u"heavyAppRow"_s)) {
        if (candidate->isVisibleTo(&window) &&
            candidate->findChild<ElidedLabel*>(u"heavyAppName"_s)->text() == u"Boussole"_s)
            boussoleRow = candidate;
    }
    ASSERT_NE(boussoleRow, nullptr);
    QTest::mouseClick(boussoleRow->findChild<QAbstractButton*>(u"quitButton"_s), Qt::LeftButton);
    ASSERT_TRUE(boussole.waitForFinished(10000));
    EXPECT_EQ(boussole.exitStatus(), QProcess::CrashExit) << "ended by its signal";
    QTest::mouseClick(button(window, u"refreshButton"_s), Qt::LeftButton);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !model.isLoading() && !heavyNames(model).contains(u"Boussole"_s); }, 30000));

    // "Diagnostiquer", every probe forced serious but Spotlight's, which has one level.
    QTest::mouseClick(button(window, u"diagnoseButton"_s), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.hasDiagnosed(); }, 60000));
    QStringList ids;
    QList<NoticeBanner::Kind> kinds;
    for (NoticeBanner* banner : window.findChildren<NoticeBanner*>(u"findingBanner"_s)) {
        if (!banner->isVisibleTo(&window))
            continue;
        ids << banner->property("findingID").toString();
        kinds << banner->kind();
    }
    EXPECT_EQ(ids, (QStringList{u"swap"_s, u"thermal"_s, u"respawn"_s, u"spotlight"_s}));
    EXPECT_EQ(kinds, (QList<NoticeBanner::Kind>{NoticeBanner::Kind::warning, NoticeBanner::Kind::warning,
                                                NoticeBanner::Kind::warning, NoticeBanner::Kind::info}));
    app.finishCleanings();
}

namespace {

QString diagnoseOn(const QString& demo, const QString& forced)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"XCTestConfigurationFilePath"_s);
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    environment.insert(u"QUORVANE_ROOT"_s, demo);
    environment.insert(u"HOME"_s, demo + u"/Users/demo"_s);
    environment.insert(u"TMPDIR"_s, demo + u"/private/var/folders/qp/T"_s);
    environment.insert(u"QUORVANE_DIAGNOSIS"_s, forced);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QP_APPLICATION), {u"--action"_s, u"diagnose"_s});
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

// The command line's diagnosis runs the probes of the demonstration Mac's tools: nothing to say when they
// read normal (and no wait, with no service running), every finding, serious first, when they read serious.
TEST(EndToEnd, theCommandLineDiagnosisSpeaksTheDemonstrationMacsFindings)
{
    const DemoMac demo;
    EXPECT_EQ(diagnoseOn(demo.root, u"normal"_s), u"Rien d'anormal détecté.\n\n"_s);

    const QStringList lines = diagnoseOn(demo.root, u"serious"_s).split(u'\n');
    ASSERT_EQ(lines.size(), 6) << lines.join(u'|').toStdString();
    EXPECT_EQ(lines[0], lines[1]) << "the dialog is the first finding";
    EXPECT_TRUE(lines[1].startsWith(u"La mémoire vive ne suffit pas — "_s)) << lines[1].toStdString();
    EXPECT_EQ(lines[2], u"Le processeur est bridé par la chaleur — Vitesse limitée à 55 % de la puissance nominale."_s);
    EXPECT_TRUE(lines[3].startsWith(u"3 services redémarrent en boucle — io.ondine.player.helper, "_s))
        << lines[3].toStdString();
    EXPECT_TRUE(lines[3].endsWith(u" — identifiant de processus renouvelé en 8 secondes."_s));
    EXPECT_EQ(lines[4], u"L'indexation Spotlight est désactivée — mdutil signale « Indexing disabled » sur le volume "
                        u"de démarrage."_s);
}
