#include "DemoMacApplication.h"

#include "App/AppState.h"
#include "App/SidebarView.h"
#include "Core/History.h"
#include "Look/DesktopWorkspace.h"
#include "Look/NoticeBanner.h"
#include "MacFixtures.h"
#include "Platform/Access.h"
#include "Platform/FileOperations.h"
#include "Platform/FileSystem.h"
#include "Scan/Screen/ItemRow.h"
#include "Scan/SmartScan/SmartScanView.h"
#include "TempTree.h"
#include "WaitFor.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;
using EndToEndSupport::itemNamed;
using EndToEndSupport::scanUntilCleanable;
using TestSupport::enabledButton;

// Cleaning with the modules that scan: the files go to the demonstration Mac's Trash or are deleted, and the
// journal holds the session.

// The whole program on a demonstration Mac: the user picks "Fichiers système", scans and cleans; the files go
// to that Mac's Trash and the journal holds the session.
TEST_F(EndToEnd, systemJunkIsScannedCleanedAndJournaledOnTheDemonstrationMac)
{
    const QString root = demo.root;

    CompositionRoot& app = startApplication();
    MainWindow& window = showWindow();
    app.state().setSelection(ModuleID::systemJunk);

    QAbstractButton* clean = scanUntilCleanable(window);
    ASSERT_NE(clean, nullptr);
    // Every result row can tell where its file comes from (its button shows on hover).
    ScanViewModel* junk = app.state().model(ModuleID::systemJunk);
    ASSERT_FALSE(junk->groups().isEmpty());
    if (!junk->groups().first().isExpanded)
        junk->toggleExpanded(junk->groups().first().id);
    EXPECT_TRUE(
        TestSupport::waitFor([&] { return !window.findChildren<QAbstractButton*>(u"provenanceButton"_s).isEmpty(); }));
    QTest::mouseClick(clean, Qt::LeftButton);
    ASSERT_TRUE(TestSupport::waitFor([&] { return enabledButton(window, u"newScanButton"_s) != nullptr; }));

    const auto trashed = Platform::listFolder(root + u"/Users/demo/.Trash"_s);
    EXPECT_FALSE(trashed.empty());
    ASSERT_FALSE(app.services().history.sessions().isEmpty());
    const CleaningSession& session = app.services().history.sessions().first();
    EXPECT_EQ(session.moduleID, u"systemJunk"_s);
    EXPECT_TRUE(app.services().history.fileURL().startsWith(root));
    for (const RemovedFile& file : session.files)
        EXPECT_TRUE(file.originalPath.startsWith(root)) << file.originalPath.toStdString();
}

// "Suppression de malwares" on the demonstration Mac: the scan shows threats with their severity, reasons and
// the configuration-profile notice; cleaning the default selection and one risky row unloads the jobs (the
// user's from the user's session, the daemon's inside the administrator script), trashes what the user owns,
// deletes the system's items with administrator rights, journals the cleaning and can put the trashed back.
TEST_F(EndToEnd, malwareIsScannedCleanedAndJournaledOnTheDemonstrationMac)
{
    {
        // Where the file system keeps no extended attributes, signatures read differently.
        const TempTree probe(u"f 1\n"_s);
        QP_SET_ATTRIBUTE_OR_SKIP(TestSupport::setExtendedAttribute(probe.path(u"f"_s), u"user.probe"_s, "1"));
    }
    CompositionRoot& app = startApplication();
    MainWindow& window = showWindow();
    app.state().setSelection(ModuleID::malware);
    QAbstractButton* clean = scanUntilCleanable(window);
    ASSERT_NE(clean, nullptr);

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
    ASSERT_TRUE(TestSupport::waitFor([&] { return window.findChildren<ItemRow*>(u"itemRow"_s).size() == 9; }));
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
    ASSERT_TRUE(TestSupport::waitFor([&] { return enabledButton(window, u"newScanButton"_s) != nullptr; }));
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

    ASSERT_FALSE(app.services().history.sessions().isEmpty());
    const CleaningSession& session = app.services().history.sessions().first();
    EXPECT_EQ(session.moduleID, u"malware"_s);
    EXPECT_EQ(session.files.size(), 3);

    // What went to the Trash comes back.
    ASSERT_TRUE(malware->canUndo());
    malware->undoLastCleaning();
    EXPECT_TRUE(TestSupport::waitFor([&] { return TestSupport::exists(agent); })); // put back off the GUI thread
}

// The user picks "Résidus d'apps disparues" on a Mac that refuses Full Disk Access: the screen says so, the scan
// still finds what removed applications left, the ticked entries go to the Trash with a journaled session, and
// the undo puts them back.
TEST_F(EndToEnd, leftoversAreScannedCleanedJournaledAndPutBackOnTheDemonstrationMac)
{
    const QString root = demo.root;
    const QString home = root + u"/Users/demo"_s;

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

    CompositionRoot& app = startApplication();
    MainWindow& window = showWindow();
    app.state().setSelection(ModuleID::leftovers);
    ASSERT_TRUE(TestSupport::waitFor([&] {
        const auto* notice = window.findChild<QWidget*>(u"fullDiskAccessNotice"_s);
        return notice != nullptr && notice->isVisibleTo(&window);
    }));

    QAbstractButton* clean = scanUntilCleanable(window);
    ASSERT_NE(clean, nullptr);
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
    ASSERT_TRUE(TestSupport::waitFor([&] { return (undo = enabledButton(window, u"undoButton"_s)) != nullptr; }));
    const CleaningSession session = app.services().history.sessions().first();
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
    ASSERT_TRUE(TestSupport::waitFor([&] {
        const auto* notice = window.findChild<QWidget*>(u"restoreNotice"_s);
        return notice != nullptr && notice->isVisibleTo(&window);
    }));
    for (const QString& path : ticked)
        EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
    for (const RemovedFile& file : app.services().history.sessions().first().files)
        EXPECT_TRUE(file.restored) << file.originalPath.toStdString();
    app.finishCleanings();
    ::close(socket);
}

// A user keeps the oldest copy of a duplicated report: one copy goes to the demonstration Mac's Trash, the
// journal records it, and undoing the cleaning puts it back where it was.
TEST_F(EndToEnd, oneDuplicateCopyIsTrashedJournaledAndPutBack)
{
    const QString root = demo.root;
    const QString homeFolder = root + u"/Users/demo"_s;

    CompositionRoot& app = startApplication();
    MainWindow& window = showWindow();
    app.state().setSelection(ModuleID::duplicates);

    QAbstractButton* scan = enabledButton(window, u"scanButton"_s);
    ASSERT_NE(scan, nullptr);
    QTest::mouseClick(scan, Qt::LeftButton);
    ScanViewModel* duplicates = app.state().model(ModuleID::duplicates);
    ASSERT_NE(duplicates, nullptr);
    ASSERT_TRUE(TestSupport::waitFor([&] { return duplicates->phase() == ScanViewModel::Phase::results; }));
    ASSERT_EQ(duplicates->groups().size(), 1);
    const ScanGroup group = duplicates->groups().first();
    ASSERT_EQ(group.items.size(), 3);
    EXPECT_EQ(duplicates->selectedCount(), 0); // nothing is ticked by itself

    // The copy in Downloads: the oldest, in Documents, stays first and unticked.
    const ScanItem copy = group.items[1];
    ASSERT_EQ(copy.url, homeFolder + u"/Downloads/Rapport annuel 2023.pdf"_s);
    duplicates->toggleItem(copy.id, group.id);
    QAbstractButton* clean = nullptr;
    ASSERT_TRUE(TestSupport::waitFor([&] { return (clean = enabledButton(window, u"cleanButton"_s)) != nullptr; }));
    QTest::mouseClick(clean, Qt::LeftButton);
    ASSERT_TRUE(TestSupport::waitFor([&] { return enabledButton(window, u"undoButton"_s) != nullptr; }));

    EXPECT_FALSE(Platform::fileInfo(copy.url));
    EXPECT_TRUE(Platform::fileInfo(group.items[0].url));
    EXPECT_TRUE(Platform::fileInfo(group.items[2].url));
    std::optional<CleaningSession> session;
    for (const CleaningSession& candidate : app.services().history.sessions()) {
        if (candidate.moduleID == u"duplicates" && !session)
            session = candidate;
    }
    ASSERT_TRUE(session);
    ASSERT_EQ(session->files.size(), 1);
    EXPECT_EQ(session->files[0].originalPath, copy.url);
    ASSERT_TRUE(session->files[0].trashPath);
    EXPECT_TRUE(session->files[0].trashPath->startsWith(homeFolder + u"/.Trash/"_s));
    EXPECT_TRUE(Platform::fileInfo(*session->files[0].trashPath));

    QTest::mouseClick(enabledButton(window, u"undoButton"_s), Qt::LeftButton);
    ASSERT_TRUE(TestSupport::waitFor([&] { return Platform::fileInfo(copy.url).has_value(); }));
    EXPECT_FALSE(Platform::fileInfo(*session->files[0].trashPath));
}

// Every copy of the report ticked by hand: "Supprimer" asks first, and Escape ("Annuler") removes nothing. "Tout
// cocher" then ticks every copy but the oldest, which the cleaning leaves in place.
TEST_F(EndToEnd, theLastCopyOfADuplicateIsAskedAboutAndTickingAllKeepsTheOldest)
{
    CompositionRoot& app = startApplication();
    MainWindow& window = showWindow();
    app.state().setSelection(ModuleID::duplicates);
    QTest::mouseClick(enabledButton(window, u"scanButton"_s), Qt::LeftButton);
    ScanViewModel* duplicates = app.state().model(ModuleID::duplicates);
    ASSERT_NE(duplicates, nullptr);
    ASSERT_TRUE(TestSupport::waitFor([&] { return duplicates->phase() == ScanViewModel::Phase::results; }));
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
    ASSERT_TRUE(TestSupport::waitFor([&] { return (clean = enabledButton(window, u"cleanButton"_s)) != nullptr; }));
    QTest::mouseClick(clean, Qt::LeftButton);
    QMessageBox* question = nullptr;
    ASSERT_TRUE(TestSupport::waitFor([&] {
        for (QWidget* widget : QApplication::allWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
                question = box;
        }
        return question != nullptr;
    }));
    EXPECT_TRUE(question->informativeText().contains(u"«\u00A0Rapport annuel 2023.pdf\u00A0»"_s));
    EXPECT_TRUE(question->informativeText().contains(u"il n'en restera aucun"_s));
    QTest::keyClick(question, Qt::Key_Escape);
    QTest::qWait(200);
    EXPECT_EQ(duplicates->phase(), ScanViewModel::Phase::results);
    EXPECT_EQ(copiesLeft(), 3);

    QTest::mouseClick(enabledButton(window, u"selectAllButton"_s), Qt::LeftButton);
    EXPECT_FALSE(duplicates->groups().first().items.first().isSelected);
    ASSERT_TRUE(TestSupport::waitFor([&] { return (clean = enabledButton(window, u"cleanButton"_s)) != nullptr; }));
    QTest::mouseClick(clean, Qt::LeftButton);
    ASSERT_TRUE(TestSupport::waitFor([&] { return duplicates->phase() == ScanViewModel::Phase::finished; }));
    EXPECT_TRUE(Platform::fileInfo(group.items.first().url));
    EXPECT_EQ(copiesLeft(), 1);
}

// "Analyse intelligente" on the demonstration Mac, picked in the sidebar: one scan finds the junk, the trash items
// and the threats; "Tout nettoyer" cleans what is selected, the threats that only an administrator may remove
// through the prompt, and the report and the journal say so.
TEST_F(EndToEnd, theSmartScanCleansJunkTrashAndThreatsOnTheDemonstrationMac)
{
    {
        const TempTree probe(u"f 1\n"_s);
        QP_SET_ATTRIBUTE_OR_SKIP(TestSupport::setExtendedAttribute(probe.path(u"f"_s), u"user.probe"_s, "1"));
    }
    CompositionRoot& app = startApplication();
    MainWindow& window = showWindow();
    app.state().setSelection(ModuleID::trashBins);
    window.sidebar()->list()->setCurrentRow(1);
    ASSERT_EQ(app.state().selection(), ModuleID::smartScan);
    ASSERT_NE(qobject_cast<SmartScanView*>(window.detail()), nullptr);
    ScanViewModel* smart = app.state().model(ModuleID::smartScan);
    ASSERT_NE(smart, nullptr);
    EXPECT_EQ(smart->phase(), ScanViewModel::Phase::idle); // showing the screen started nothing

    // The screen scrolls: its content is laid out once the window has had its turn.
    QAbstractButton* scan = nullptr;
    ASSERT_TRUE(TestSupport::waitFor(
        [&] { return (scan = enabledButton(window, u"scanButton"_s)) != nullptr && !scan->rect().isEmpty(); }));
    QTest::mouseClick(scan, Qt::LeftButton);
    QAbstractButton* clean = nullptr;
    ASSERT_TRUE(TestSupport::waitFor([&] { return (clean = enabledButton(window, u"cleanButton"_s)) != nullptr; }));
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
    ASSERT_TRUE(TestSupport::waitFor([&] { return enabledButton(window, u"newScanButton"_s) != nullptr; }));
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
    ASSERT_FALSE(app.services().history.sessions().isEmpty());
    const CleaningSession session = app.services().history.sessions().first();
    EXPECT_EQ(session.moduleID, u"smartScan"_s);
    EXPECT_EQ(session.files.size(), selected);
}
