#include "CompositionRoot.h"

#include "App/AppState.h"
#include "App/HistoryWindow.h"
#include "App/MainWindow.h"
#include "App/SchedulePane.h"
#include "App/SettingsPane.h"
#include "App/SettingsWindow.h"
#include "App/SidebarView.h"
#include "App/SingleInstance.h"
#include "Core/FileUtils.h"
#include "Core/History.h"
#include "Developer/XcodeRows.h"
#include "Developer/XcodeView.h"
#include "Developer/XcodeViewModel.h"
#include "Look/DesktopWorkspace.h"
#include "Look/ElidedLabel.h"
#include "Look/FileChooser.h"
#include "Look/IconTile.h"
#include "Look/ModuleHeader.h"
#include "Look/NoticeBanner.h"
#include "Look/OverlayScrollBar.h"
#include "Look/StyledButton.h"
#include "MacFixtures.h"
#include "Performance/MaintenanceModel.h"
#include "Performance/MaintenanceView.h"
#include "Performance/UpdaterModel.h"
#include "Performance/UpdaterView.h"
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

#include <csignal>

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
#include <QPointer>
#include <QProcess>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include "App/MenuBarExtra.h"
#include "App/MenuBarPanel.h"
#include "Core/Preferences.h"
#include "Performance/OptimizationModel.h"
#include "Performance/OptimizationView.h"
#include "Scan/Scheduler.h"
#include "Tools/AppDetail.h"
#include "Tools/UninstallerModel.h"
#include "Tools/UninstallerView.h"
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTranslator>
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

// "Choisir un dossier…" in the disk map opens the chooser of our own on the Mac's home, listing its folders under
// French titles, wherever the program was started from.
TEST(EndToEnd, theSpaceMapsChooserOpensOnTheMacsHomeInFrench)
{
    const DemoMac demo;
    CompositionRoot app;
    MainWindow& window = app.window();
    window.show();
    app.state().setSelection(ModuleID::spaceMap);
    QAbstractButton* choose = button(window, u"chooseButton"_s);
    ASSERT_NE(choose, nullptr);
    QTest::mouseClick(choose, Qt::LeftButton);
    FileChooser* chooser = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* candidate = qobject_cast<FileChooser*>(widget); candidate && candidate->isVisible())
                    chooser = candidate;
            }
            return chooser != nullptr;
        },
        5000));
    EXPECT_EQ(chooser->directory(), demo.path(u"/Users/demo"_s));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return chooser->model()->index(demo.path(u"/Users/demo/Documents"_s)).isValid(); }, 5000));
    QStringList titles;
    for (const int column : {0, 1, 3})
        titles << chooser->list()->model()->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(titles, (QStringList{u"Nom"_s, u"Taille"_s, u"Date de modification"_s}));
    chooser->reject();
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

// Every copy of the report ticked by hand: "Supprimer" asks first, and Escape ("Annuler") removes nothing. "Tout
// cocher" then ticks every copy but the oldest, which the cleaning leaves in place.
TEST(EndToEnd, theLastCopyOfADuplicateIsAskedAboutAndTickingAllKeepsTheOldest)
{
    const DemoMac mac;
    installApplicationLook();
    CompositionRoot app;
    MainWindow& window = app.window();
    window.show();
    app.state().setSelection(ModuleID::duplicates);
    QTest::mouseClick(button(window, u"scanButton"_s), Qt::LeftButton);
    ScanViewModel* duplicates = app.state().model(ModuleID::duplicates);
    ASSERT_NE(duplicates, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return duplicates->phase() == ScanViewModel::Phase::results; }, 30000));
    ASSERT_EQ(duplicates->groups().size(), 1);
    const ScanGroup group = duplicates->groups().first();
    ASSERT_EQ(group.items.size(), 3);
    const auto copiesLeft = [&] {
        return std::count_if(group.items.cbegin(), group.items.cend(),
                             [](const ScanItem& item) { return Platform::fileInfo(item.url).has_value(); });
    };

    for (const ScanItem& item : group.items)
        duplicates->toggleItem(item.id, group.id);
    QAbstractButton* clean = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (clean = button(window, u"cleanButton"_s)) != nullptr; }, 5000));
    QTest::mouseClick(clean, Qt::LeftButton);
    QMessageBox* question = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (QWidget* widget : QApplication::allWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
                    question = box;
            }
            return question != nullptr;
        },
        5000));
    EXPECT_TRUE(question->informativeText().contains(u"« Rapport annuel 2023.pdf »"_s));
    EXPECT_TRUE(question->informativeText().contains(u"il n'en restera aucun"_s));
    QTest::keyClick(question, Qt::Key_Escape);
    QTest::qWait(200);
    EXPECT_EQ(duplicates->phase(), ScanViewModel::Phase::results);
    EXPECT_EQ(copiesLeft(), 3);

    QTest::mouseClick(button(window, u"selectAllButton"_s), Qt::LeftButton);
    EXPECT_FALSE(duplicates->groups().first().items.first().isSelected);
    ASSERT_TRUE(QTest::qWaitFor([&] { return (clean = button(window, u"cleanButton"_s)) != nullptr; }, 5000));
    QTest::mouseClick(clean, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return duplicates->phase() == ScanViewModel::Phase::finished; }, 30000));
    EXPECT_TRUE(Platform::fileInfo(group.items.first().url));
    EXPECT_EQ(copiesLeft(), 1);
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
    auto* view = app.historyWindow()->findChild<HistoryView*>();
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->model().isRestoring(second.id); }, 60000));
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->model().isRestoring(gone); }, 30000));
    EXPECT_TRUE(view->notice()->text().startsWith(u"L'instantané du 2024-10-05-081500 n'existe plus"_s));

    view->card(kept)->snapshotButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->model().isRestoring(kept); }, 30000));
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
    // One pass until the user picks more.
    EXPECT_EQ(passes->currentData().toInt(), 1);
    EXPECT_EQ(model->passes(), 1);
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

// "Xcode et simulateurs" on the demonstration Mac: the screen lists what the xcrun stand-in and the archives
// folder hold, the recommendation picks what has gone unused, and "Supprimer" deletes the simulators through
// the tool, puts the old archives in that Mac's Trash, journals the run and shows what is left.
TEST(EndToEnd, xcodeCleanupFindsTheDemoMacsSimulatorsAndCleansThem)
{
    const DemoMac demo;
    installApplicationLook();
    CompositionRoot app;
    MainWindow& window = app.window();
    window.resize(1120, 900);
    window.show();
    app.state().setSelection(ModuleID::xcodeJunk);
    auto* view = qobject_cast<XcodeView*>(window.detail());
    ASSERT_NE(view, nullptr);
    XcodeViewModel* model = view->model();
    ASSERT_NE(model, nullptr);
    QAbstractButton* recommended = nullptr;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return (recommended = button(window, u"recommendedButton"_s)) != nullptr; }, 30000));
    const XcodeService::Inventory& found = model->inventory();
    EXPECT_EQ(found.devices.size(), 6);
    EXPECT_EQ(found.runtimes.size(), 4);
    EXPECT_EQ(found.archives.size(), 3) << "neither the loose archive nor the capitalised one";
    ASSERT_EQ(view->sections().size(), 3);
    QTest::qWait(20);
    EXPECT_EQ(view->findChildren<SelectableRow*>(u"deviceRow"_s).size(), 6);

    QTest::mouseClick(recommended, Qt::LeftButton);
    const QString devices = demo.path(u"/Library/Developer/CoreSimulator/StandIn/devices/"_s);
    const QString runtimes = demo.path(u"/Library/Developer/CoreSimulator/StandIn/runtimes/"_s);
    const QSet<QString> gone{u"0B5E7C1A-3D2F-4E8B-9A6C-1F0E2D3C4B5A"_s, u"A1B2C3D4-E5F6-4788-99AA-BBCCDDEEFF00"_s,
                             u"7E8D9C0B-1A2B-4C3D-8E4F-5A6B7C8D9E0F"_s};
    EXPECT_EQ(model->selectedDevices(), gone);
    EXPECT_EQ(model->selectedRuntimes(), QSet<QString>{u"4D1B2C3A-0E5F-4A6B-9C8D-7E6F5A4B3C21"_s});
    EXPECT_EQ(model->selectedArchives().size(), 2);

    QAbstractButton* remove = button(window, u"removeButton"_s);
    ASSERT_NE(remove, nullptr);
    QTest::mouseClick(remove, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model->isWorking() && !model->isLoading(); }, 30000));

    for (const QString& udid : gone) {
        EXPECT_FALSE(QFileInfo::exists(devices + udid)) << udid.toStdString();
        EXPECT_FALSE(QFileInfo::exists(demo.path(u"/Users/demo/Library/Developer/CoreSimulator/Devices/"_s + udid)));
    }
    EXPECT_TRUE(QFileInfo::exists(devices + u"6F1A2B3C-4D5E-4F60-8172-93A4B5C6D7E8"_s)) << "used three days ago";
    EXPECT_FALSE(QFileInfo::exists(runtimes + u"4D1B2C3A-0E5F-4A6B-9C8D-7E6F5A4B3C21"_s));
    EXPECT_TRUE(QFileInfo::exists(runtimes + u"8A7B6C5D-4E3F-4A2B-8C1D-0E9F8A7B6C54"_s));
    const QString trash = demo.path(u"/Users/demo/.Trash/"_s);
    EXPECT_TRUE(QFileInfo::exists(trash + u"Carnet 11-02-2024, 14.32.xcarchive"_s));
    EXPECT_TRUE(QFileInfo::exists(trash + u"Carnet 20-01-2025, 09.05.xcarchive"_s));
    EXPECT_TRUE(QFileInfo::exists(
        demo.path(u"/Users/demo/Library/Developer/Xcode/Archives/récent/Carnet (bêta) 2.0.xcarchive"_s)));

    ASSERT_TRUE(QTest::qWaitFor([&] { return !History::shared().sessions().isEmpty(); }, 10000));
    const CleaningSession& session = History::shared().sessions().first();
    EXPECT_EQ(session.moduleID, u"xcodeJunk"_s);
    EXPECT_EQ(session.failureCount, 0);
    QStringList origins;
    for (const RemovedFile& file : session.files)
        origins.append(file.originalPath);
    EXPECT_EQ(origins.size(), 6);
    EXPECT_TRUE(origins.contains(u"/runtime/iOS 16.4 (20E247)"_s));
    EXPECT_TRUE(origins.contains(
        demo.path(u"/Users/demo/Library/Developer/CoreSimulator/Devices/0B5E7C1A-3D2F-4E8B-9A6C-1F0E2D3C4B5A/data"_s)));

    // The screen shows what is left, and what the run freed.
    EXPECT_EQ(model->inventory().devices.size(), 3);
    EXPECT_EQ(model->inventory().runtimes.size(), 3);
    EXPECT_EQ(model->inventory().archives.size(), 1);
    QTest::qWait(20);
    EXPECT_EQ(view->findChildren<SelectableRow*>(u"deviceRow"_s).size(), 3);
    auto* result = view->findChild<QLabel*>(u"resultLineText"_s);
    ASSERT_NE(result, nullptr);
    EXPECT_TRUE(result->isVisibleTo(view));
    EXPECT_TRUE(result->text().endsWith(u" récupérés."_s));
}

// "Exécuter maintenant" on "Fichiers système" with cleaning allowed: the window's showing has started the
// monitor and the scheduler's loop; the run scans without touching the module's screen, moves to the Trash what
// the scan selected by itself, journals it and says so in its outcome line.
TEST(EndToEnd, runningTheScheduleNowCleansSystemJunkToTheTrashAndJournalsIt)
{
    const DemoMac demo;
    installApplicationLook();
    CompositionRoot app;
    app.window().show();
    Scheduler& scheduler = app.scheduler();
    EXPECT_TRUE(app.state().isMonitoring());
    EXPECT_TRUE(scheduler.isStarted());
    Preferences& preferences = scheduler.preferences();
    preferences.setScheduleModule(ModuleID::systemJunk);
    preferences.setScheduleCleans(true);
    const qsizetype sessionsBefore = History::shared().sessions().size();

    scheduler.runScheduled();
    EXPECT_TRUE(scheduler.isRunning());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !scheduler.isRunning(); }, 60000));
    app.finishCleanings();

    ASSERT_TRUE(scheduler.lastOutcome().has_value());
    const QString outcome = *scheduler.lastOutcome();
    EXPECT_TRUE(outcome.startsWith(u"Fichiers système : "_s)) << outcome.toStdString();
    EXPECT_TRUE(outcome.contains(u" libérés"_s)) << outcome.toStdString();
    EXPECT_FALSE(outcome.contains(u"en échec"_s)) << outcome.toStdString();
    ASSERT_EQ(History::shared().sessions().size(), sessionsBefore + 1);
    const CleaningSession& session = History::shared().sessions().first();
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

// "Réglages…" on the demonstration Mac: Ctrl+, opens one settings window on its first tab; pressed again there, or
// asked for by the menu-bar panel, it brings that same window forward as it stands. Its run-now button reaches the
// run's scheduler, and the outcome row shows what the run said.
TEST(EndToEnd, ctrlCommaOpensOneSettingsWindowAndRaisesItAgain)
{
    const DemoMac demo;
    installApplicationLook();
    CompositionRoot app;
    MainWindow& window = app.window();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const auto openSettings = [] {
        int shown = 0;
        for (QWidget* candidate : QApplication::topLevelWidgets())
            shown += candidate->isVisible() && candidate->findChild<SettingsView*>() != nullptr ? 1 : 0;
        return shown;
    };

    QTest::keyClick(&window, Qt::Key_Comma, Qt::ControlModifier);
    QPointer<QWidget> settings = app.settingsWindow();
    ASSERT_FALSE(settings.isNull());
    EXPECT_TRUE(settings->isVisible());
    EXPECT_EQ(settings->size(), QSize(620, 460));
    auto* view = settings->findChild<SettingsView*>();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->currentIndex(), 0);
    view->setCurrentIndex(1);
    ASSERT_TRUE(QTest::qWaitForWindowActive(settings));
    QTest::keyClick(settings, Qt::Key_Comma, Qt::ControlModifier);
    app.openWindow(u"settings"_s);
    EXPECT_EQ(app.settingsWindow(), settings.data());
    EXPECT_EQ(view->currentIndex(), 1);
    EXPECT_EQ(openSettings(), 1);

    Preferences& preferences = app.scheduler().preferences();
    preferences.setScheduleModule(ModuleID::systemJunk);
    preferences.setScheduleCleans(false);
    SchedulePane* pane = view->schedulePane();
    EXPECT_EQ(pane->outcomeRow()->detail(), u"Aucune exécution planifiée depuis le lancement."_s);
    QTest::mouseClick(pane->runNowButton(), Qt::LeftButton);
    EXPECT_EQ(pane->runNowButton()->text(), u"Exécution en cours…"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !app.scheduler().isRunning(); }, 60000));
    ASSERT_TRUE(app.scheduler().lastOutcome().has_value());
    EXPECT_TRUE(app.scheduler().lastOutcome()->startsWith(u"Fichiers système : "_s));
    EXPECT_EQ(pane->outcomeRow()->detail(), *app.scheduler().lastOutcome());
    EXPECT_EQ(pane->runNowButton()->text(), u"Exécuter maintenant"_s);

    settings->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(settings.isNull());
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_Comma, Qt::ControlModifier);
    ASSERT_NE(app.settingsWindow(), nullptr);
    EXPECT_EQ(app.settingsWindow()->findChild<SettingsView*>()->currentIndex(), 0);
    EXPECT_EQ(openSettings(), 1);
}

// "Mises à jour" from the sidebar: a check lists the demonstration Mac's Homebrew casks, system updates and
// self-updating applications; one cask installs (its row leaves, Homebrew's state changes and a new check no
// longer lists it), the other's download fails and its row stays.
TEST(EndToEnd, theUpdatesScreenListsTheDemonstrationMacsUpdatesAndInstallsACask)
{
    const DemoMac demo;
    installApplicationLook();
    CompositionRoot app;
    MainWindow& window = app.window();
    window.resize(1120, 900);
    window.show();
    app.state().setSelection(ModuleID::updater);
    auto* view = qobject_cast<UpdaterView*>(window.detail());
    ASSERT_NE(view, nullptr);
    UpdaterModel& model = view->model();
    EXPECT_TRUE(model.updates().empty()); // nothing runs until asked
    const auto names = [&] {
        QStringList list;
        for (const UpdaterService::Update& update : model.updates())
            list.append(update.name);
        return list;
    };
    const auto rowOf = [&](const QString& name) -> QWidget* {
        for (QWidget* row : view->findChildren<QWidget*>(u"updateRow"_s)) {
            auto* label = row->findChild<ElidedLabel*>(u"updateName"_s);
            if (row->isVisibleTo(view) && label && label->text() == name)
                return row;
        }
        return nullptr;
    };

    QSignalSpy checked(&model, &UpdaterModel::checkFinished);
    QAbstractButton* checkNow = button(window, u"checkNowButton"_s);
    ASSERT_NE(checkNow, nullptr);
    QTest::mouseClick(checkNow, Qt::LeftButton);
    ASSERT_TRUE(checked.wait(30000));
    EXPECT_EQ(names(),
              (QStringList{u"atelier-photo"_s, u"ondine"_s, u"macOS Sonoma 14.7.2"_s, u"Safari"_s,
                           u"Command Line Tools for Xcode"_s, u"Atelier Photo"_s, u"Carnet"_s, u"Lumen Sync"_s}));
    QStringList captions;
    for (QLabel* caption : view->findChildren<QLabel*>(u"updatesCaption"_s))
        captions.append(caption->text());
    EXPECT_EQ(captions,
              (QStringList{u"Installables depuis ici"_s, u"À mettre à jour dans l'app ou les Réglages Système"_s}));

    QSignalSpy applied(&model, &UpdaterModel::applyFinished);
    for (const QString& cask : {u"ondine"_s, u"atelier-photo"_s}) {
        QWidget* row = rowOf(cask);
        ASSERT_NE(row, nullptr) << cask.toStdString();
        QTest::mouseClick(button(*row, u"installButton"_s), Qt::LeftButton);
        ASSERT_TRUE(applied.wait(30000)) << cask.toStdString();
    }
    EXPECT_EQ(rowOf(u"ondine"_s), nullptr);
    ASSERT_NE(rowOf(u"atelier-photo"_s), nullptr); // its download failed
    EXPECT_NE(button(*rowOf(u"atelier-photo"_s), u"installButton"_s), nullptr);
    // and its row says why, in brew's words
    auto* failure = rowOf(u"atelier-photo"_s)->findChild<ElidedLabel*>(u"installFailure"_s);
    ASSERT_NE(failure, nullptr);
    EXPECT_TRUE(failure->isVisibleTo(view));
    EXPECT_TRUE(failure->text().contains(u"Download failed on Cask 'atelier-photo'"_s))
        << failure->text().toStdString();
    EXPECT_TRUE(TestSupport::contentOf(demo.path(u"/Applications/Ondine.app/Contents/Info.plist"_s))
                    .contains("<string>5.1.0</string>"));

    QAbstractButton* check = button(window, u"checkButton"_s);
    ASSERT_NE(check, nullptr);
    QTest::mouseClick(check, Qt::LeftButton);
    ASSERT_TRUE(checked.wait(30000));
    EXPECT_FALSE(names().contains(u"ondine"_s));
    EXPECT_TRUE(names().contains(u"atelier-photo"_s));
}

// "Désinstalleur" from the sidebar on the demonstration Mac: the list leaves Apple's application out and its
// filters find the large and the long-unused ones; Studio Vidéo shows its installer's traces and goes to the Trash
// with its data, journaled and put back from the history window. Veilleur, open and ignoring the request to quit,
// keeps all of its files and the screen says why. (Only Veilleur runs: other tests start and quit an Ondine of
// their own, which a running one here would disturb.)
TEST(EndToEnd, anApplicationIsUninstalledWithItsDataJournaledAndPutBack)
{
    const DemoMac demo;
    const QString studioURL = demo.path(u"/Applications/Studio Vidéo.app"_s);
    const QString veilleurURL = demo.path(u"/Applications/Veilleur.app"_s);
    QProcess veilleur;
    veilleur.start(u"/bin/sh"_s,
                   {u"-c"_s, u"trap '' TERM; exec \"$0\" 600"_s, veilleurURL + u"/Contents/MacOS/Veilleur"_s});
    ASSERT_TRUE(veilleur.waitForStarted(10000));
    const auto stop = qScopeGuard([&] {
        veilleur.kill();
        veilleur.waitForFinished(5000);
    });

    installApplicationLook();
    CompositionRoot app;
    MainWindow& window = app.window();
    window.resize(1280, 900);
    window.show();
    app.state().setSelection(ModuleID::uninstaller);
    auto* view = qobject_cast<UninstallerView*>(window.detail());
    ASSERT_NE(view, nullptr);
    UninstallerModel& model = view->model();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model.isLoading() && !model.apps().isEmpty(); }, 30000));

    const auto shownNames = [&] {
        QStringList names;
        for (const InstalledApp& shown : model.visibleApps())
            names.append(shown.name);
        return names;
    };
    const QStringList all = shownNames();
    for (const QString& name : {u"Studio Vidéo"_s, u"Moniteur Réseau"_s, u"Pense-bête"_s, u"Croquis"_s, u"Archiviste"_s,
                                u"Lumen Sync"_s, u"Ondine"_s, u"Veilleur"_s})
        EXPECT_TRUE(all.contains(name)) << name.toStdString();
    EXPECT_FALSE(all.contains(u"Safari"_s));
    EXPECT_EQ(all.first(), u"Studio Vidéo"_s); // largest first
    QTest::mouseClick(button(window, u"filter_large"_s), Qt::LeftButton);
    EXPECT_EQ(shownNames(), QStringList{u"Studio Vidéo"_s});
    QTest::mouseClick(button(window, u"filter_unused"_s), Qt::LeftButton);
    EXPECT_EQ(shownNames(), QStringList{u"Archiviste"_s});
    QTest::mouseClick(button(window, u"filter_all"_s), Qt::LeftButton);

    // Studio Vidéo: found, selected, its receipt read.
    auto* search = view->findChild<QLineEdit*>(u"searchField"_s);
    ASSERT_NE(search, nullptr);
    QTest::keyClicks(search, u"studio"_s);
    ASSERT_EQ(shownNames(), QStringList{u"Studio Vidéo"_s});
    auto* list = view->findChild<QListView*>(u"appList"_s);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return view->detail() && view->detail()->app().name == u"Studio Vidéo"_s; }, 5000));
    QLabel* summary = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return (summary = view->detail()->findChild<QLabel*>(u"traceSummary"_s)) != nullptr; }, 20000));
    EXPECT_EQ(summary->text(), u"3 fichiers, dont 1 hors du bundle"_s);
    const InstalledApp chosen = view->detail()->app();
    QSet<QString> goes{studioURL};
    for (const ScanItem& item : chosen.leftovers)
        goes.insert(item.url);
    EXPECT_EQ(goes.size(), 4); // its support folder, its container and its settings

    const auto answer = [&](bool running) {
        QMessageBox* box = nullptr;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                for (QWidget* widget : QApplication::topLevelWidgets()) {
                    if (auto* candidate = qobject_cast<QMessageBox*>(widget); candidate && candidate->isVisible())
                        box = candidate;
                }
                return box != nullptr;
            },
            5000));
        const QString said = box->text() + u'\n' + box->informativeText();
        EXPECT_EQ(said.endsWith(u"L'app est ouverte : elle sera fermée d'abord."_s), running) << said.toStdString();
        QAbstractButton* confirm = nullptr;
        for (QAbstractButton* candidate : box->buttons()) {
            if (candidate->text() == u"Désinstaller"_s)
                confirm = candidate;
        }
        ASSERT_NE(confirm, nullptr);
        confirm->click();
    };
    QTest::mouseClick(button(window, u"uninstallButton"_s), Qt::LeftButton);
    answer(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.uninstallsRunning() == 0; }, 30000));
    for (const QString& path : goes)
        EXPECT_FALSE(TestSupport::exists(path)) << path.toStdString();
    EXPECT_TRUE(TestSupport::exists(demo.path(u"/usr/local/lib/libstudiovideo.dylib"_s)));
    EXPECT_EQ(view->findChild<NoticeBanner*>(u"uninstallNotice"_s), nullptr);
    for (const InstalledApp& left : model.apps())
        EXPECT_NE(left.name, u"Studio Vidéo"_s);
    EXPECT_EQ(shownNames(), QStringList());

    History::shared().waitUntilIdle();
    ASSERT_FALSE(History::shared().sessions().isEmpty());
    const CleaningSession session = History::shared().sessions().first();
    EXPECT_EQ(session.moduleID, u"uninstaller"_s);
    QSet<QString> journaled;
    for (const RemovedFile& file : session.files) {
        journaled.insert(file.originalPath);
        ASSERT_TRUE(file.trashPath.has_value());
        EXPECT_TRUE(file.trashPath->startsWith(demo.path(u"/Users/demo/.Trash/"_s))) << file.trashPath->toStdString();
    }
    EXPECT_EQ(journaled, goes);
    QFile journal(History::shared().fileURL());
    ASSERT_TRUE(journal.open(QIODevice::ReadOnly));
    EXPECT_EQ(journal.readAll().count("\"uninstaller\""), 1);

    window.historyAction()->trigger();
    auto* history = app.historyWindow()->findChild<HistoryView*>();
    ASSERT_NE(history, nullptr);
    SessionCard* card = history->card(session.id);
    ASSERT_NE(card, nullptr);
    card->restoreButton()->click();
    EXPECT_TRUE(TestSupport::exists(studioURL + u"/Contents/Info.plist"_s));
    for (const QString& path : goes)
        EXPECT_TRUE(TestSupport::exists(path)) << path.toStdString();

    // Veilleur stays open: nothing moves, nothing is journaled, it stays listed and the banner says why.
    search->clear();
    QTest::keyClicks(search, u"veilleur"_s);
    ASSERT_EQ(shownNames(), QStringList{u"Veilleur"_s});
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->detail() && view->detail()->app().name == u"Veilleur"_s; }, 5000));
    const qsizetype sessions = History::shared().sessions().size();
    QTest::mouseClick(button(window, u"uninstallButton"_s), Qt::LeftButton);
    answer(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.uninstallsRunning() == 0; }, 30000));
    EXPECT_EQ(veilleur.state(), QProcess::Running);
    EXPECT_TRUE(TestSupport::exists(veilleurURL + u"/Contents/MacOS/Veilleur"_s));
    EXPECT_TRUE(TestSupport::exists(demo.path(u"/Users/demo/Library/Application Support/fr.veilleur.app"_s)));
    NoticeBanner* banner = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            banner = view->findChild<NoticeBanner*>(u"uninstallNotice"_s);
            return banner != nullptr && banner->isVisibleTo(view);
        },
        5000));
    ASSERT_NE(view->detail(), nullptr);
    EXPECT_EQ(view->detail()->app().name, u"Veilleur"_s);
    History::shared().waitUntilIdle();
    EXPECT_EQ(History::shared().sessions().size(), sessions);
    app.finishCleanings();
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

// A second demonstration Mac beside the test's, with its applications running as real processes (the same
// names, the same bundle identifiers): what a user's copy of the program leaves running while the tests run.
class AnotherMacsApplications final
{
public:
    AnotherMacsApplications()
    {
        TestSupport::layOutDemoMac(m_root);
        QProcess script;
        script.start(u"bash"_s, {QStringLiteral(QP_SOURCE_DIR "/scripts/start-demo-apps.sh"), m_root});
        EXPECT_TRUE(script.waitForFinished(30000));
        EXPECT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
        for (const QByteArray& line : script.readAllStandardOutput().split('\n')) {
            bool read = false;
            const int pid = line.toInt(&read);
            if (read && pid > 0)
                m_pids.push_back(pid);
        }
        EXPECT_FALSE(m_pids.empty());
    }
    AnotherMacsApplications(const AnotherMacsApplications&) = delete;
    AnotherMacsApplications& operator=(const AnotherMacsApplications&) = delete;
    ~AnotherMacsApplications()
    {
        for (const int pid : m_pids)
            ::kill(pid, SIGKILL);
    }

private:
    const QString m_root = TestSupport::temporary() + u"/another-mac"_s;
    std::vector<int> m_pids;
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
    // Started first, another Mac's applications come first in the process list.
    const AnotherMacsApplications another;
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
    auto* history = app.historyWindow()->findChild<HistoryView*>();
    ASSERT_NE(history, nullptr);
    ASSERT_NE(history->card(session.id), nullptr);
    history->card(session.id)->restoreButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !history->model().isRestoring(session.id); }, 30000));
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

// Qt's own texts speak French in the program: the folder chooser of the disk map and the shredder, and the list of
// the chooser that adds exclusions, title their parts in French rather than "Look in:" and "Name".
TEST(EndToEnd, qtsOwnTextsAreFrench)
{
    QTranslator* french = installFrenchQtTexts();
    ASSERT_NE(french, nullptr) << "Qt's French translation is missing: scripts/setup.sh installs it";
    const auto uninstall = qScopeGuard([french] {
        QCoreApplication::removeTranslator(french);
        delete french;
    });
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    EXPECT_EQ(dialog.labelText(QFileDialog::LookIn), u"Voir dans :"_s);
    EXPECT_EQ(QFileSystemModel().headerData(0, Qt::Horizontal).toString(), u"Nom"_s);
}

// The run's menu-bar panel: its rows open the run's windows through the one opener (the main window, which starts
// the monitor and the scheduler's loop, then the one history window), its "Quitter" takes the menus' quit path,
// and its icon follows the preference.
TEST(EndToEnd, theMenuBarPanelOpensTheRunsWindowsAndItsIconFollowsThePreference)
{
    const DemoMac demo;
    installApplicationLook();
    CompositionRoot app;
    MainWindow& window = app.window();
    MenuBarPanel& panel = app.menuBarPanel();
    const QList<QAbstractButton*> rows = panel.findChildren<QAbstractButton*>(u"panelAction"_s);
    ASSERT_EQ(rows.size(), 4);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(app.scheduler().isStarted());

    rows[0]->click(); // "Ouvrir la fenêtre"
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(app.scheduler().isStarted());

    EXPECT_EQ(app.historyWindow(), nullptr);
    rows[2]->click(); // "Historique de nettoyage"
    const QPointer<QWidget> history = app.historyWindow();
    ASSERT_FALSE(history.isNull());
    EXPECT_TRUE(history->isVisible());
    rows[2]->click();
    EXPECT_EQ(app.historyWindow(), history.data());

    QSignalSpy quits(window.quitAction(), &QAction::triggered);
    rows[3]->click(); // "Quitter Quorvane Pro"
    EXPECT_EQ(quits.count(), 1);

    Preferences& preferences = Preferences::shared();
    for (const bool shows : {false, true, false}) {
        preferences.setShowsMenuBarItem(shows);
        EXPECT_EQ(app.menuBarExtra().isShown(), shows);
    }
}

// Every module's screen, and the history and settings windows, scroll with the look's thin bar; every module's
// header stands at one place, so the title does not move from one screen to the next.
TEST(EndToEnd, everyScreenSharesOneHeaderPlaceAndOneScrollBar)
{
    const DemoMac demo;
    installApplicationLook();
    CompositionRoot app;
    MainWindow& window = app.window();
    window.resize(1100, 760);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // The shown scroll areas that keep the platform's bar.
    const auto classicBars = [](QWidget* root) {
        QStringList found;
        for (QAbstractScrollArea* area : root->findChildren<QAbstractScrollArea*>()) {
            if (!area->isVisible() || area->inherits("QComboBoxListView"))
                continue;
            if (area->findChildren<OverlayScrollBar*>(QString(), Qt::FindDirectChildrenOnly).size() != 1 ||
                area->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
                found << QString::fromLatin1(area->metaObject()->className()) + u' ' + area->objectName();
        }
        return found;
    };

    std::optional<QPoint> place;
    for (ModuleID module : Modules::allModules()) {
        app.state().setSelection(module);
        QWidget* screen = window.detail();
        ASSERT_NE(screen, nullptr);
        if (module == ModuleID::uninstaller) {
            ASSERT_TRUE(QTest::qWaitFor(
                [&] {
                    auto* list = screen->findChild<QWidget*>(u"appList"_s);
                    return list && list->isVisible();
                },
                30000));
        }
        QTest::qWait(20);
        const auto* header = screen->findChild<ModuleHeader*>();
        ASSERT_NE(header, nullptr) << toRaw(module).toStdString();
        const QPoint at = header->mapTo(&window, QPoint());
        if (!place)
            place = at;
        EXPECT_EQ(at, *place) << toRaw(module).toStdString();
        EXPECT_EQ(classicBars(&window), QStringList()) << toRaw(module).toStdString();
    }

    window.historyAction()->trigger();
    ASSERT_NE(app.historyWindow(), nullptr);
    EXPECT_EQ(classicBars(app.historyWindow()), QStringList());
    window.settingsAction()->trigger();
    QWidget* settings = app.settingsWindow();
    ASSERT_NE(settings, nullptr);
    auto* tabs = settings->findChild<SettingsView*>();
    ASSERT_NE(tabs, nullptr);
    for (int tab = 0; tab < tabs->count(); ++tab) {
        tabs->setCurrentIndex(tab);
        QTest::qWait(20);
        EXPECT_EQ(classicBars(settings), QStringList()) << tab;
    }
    app.finishCleanings();
}

// Startup items read as on the Mac: a program under the system root shows its Mac location, not this machine's
// folder of the demonstration Mac; one under the home keeps its "~".
TEST(EndToEnd, startupItemsShowTheirMacPaths)
{
    const DemoMac demo;
    installApplicationLook();
    CompositionRoot app;
    MainWindow& window = app.window();
    window.resize(1120, 900);
    window.show();
    app.state().setSelection(ModuleID::optimization);
    const QString daemon = demo.path(u"/Library/LaunchAgents/com.tempometeo.agent.plist"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return launchRowFor(window, daemon) != nullptr; }, 30000));

    const auto* program = launchRowFor(window, daemon)->findChild<ElidedLabel*>(u"launchItemProgram"_s);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(program->text(), u"/Library/Application Support/Tempo Meteo/tempod"_s);
    const auto* helper =
        launchRowFor(window, demo.path(u"/Users/demo/Library/LaunchAgents/com.searchmine.helper.plist"_s));
    ASSERT_NE(helper, nullptr);
    EXPECT_EQ(helper->findChild<ElidedLabel*>(u"launchItemProgram"_s)->text(),
              u"~/Library/Application Support/SearchMine/helper"_s);
    for (const ElidedLabel* shown : window.findChildren<ElidedLabel*>(u"launchItemProgram"_s))
        EXPECT_FALSE(shown->text().contains(demo.root)) << shown->text().toStdString();
    app.finishCleanings();
}
