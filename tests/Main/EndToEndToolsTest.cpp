#include "DemoMacApplication.h"

#include "App/AppState.h"
#include "App/HistoryWindow.h"
#include "Core/FileUtils.h"
#include "Core/History.h"
#include "Developer/XcodeRows.h"
#include "Developer/XcodeView.h"
#include "Developer/XcodeViewModel.h"
#include "Look/ElidedLabel.h"
#include "Look/FileChooser.h"
#include "Look/NoticeBanner.h"
#include "Look/StyledButton.h"
#include "Scan/History/HistoryView.h"
#include "TempTree.h"
#include "Tools/AppDetail.h"
#include "Tools/ShredderDropZone.h"
#include "Tools/ShredderView.h"
#include "Tools/ShredderViewModel.h"
#include "Tools/SnapshotsView.h"
#include "Tools/SpaceMapView.h"
#include "Tools/SpaceMapViewModel.h"
#include "Tools/SpaceNode.h"
#include "Tools/Treemap.h"
#include "Tools/TreemapCanvas.h"
#include "Tools/UninstallerView.h"
#include "Tools/UninstallerViewModel.h"
#include "WaitFor.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QSet>
#include <QTest>
#include <QTreeView>
#include <QUrl>

using namespace Qt::StringLiterals;
using TestSupport::enabledButton;
using TestSupport::waitFor;

// The tools on the demonstration Mac: the disk map, the local snapshots, the shredder, the uninstaller and the
// developer cleanup.

// "Carte d'espace" from the sidebar: the home folder is measured, a tile's click enters its folder, "Remonter"
// comes back, and a second measurement stops when asked.
TEST_F(EndToEnd, theSpaceMapMeasuresAndWalksTheDemonstrationHome)
{
    CompositionRoot& app = startApplication(Look::qtDefault);
    MainWindow& window = showWindow({1120, 720});
    app.state().setSelection(ModuleID::spaceMap);
    auto* view = qobject_cast<SpaceMapView*>(window.detail());
    ASSERT_NE(view, nullptr);
    SpaceMapViewModel& model = view->model();

    QAbstractButton* start = enabledButton(window, u"startButton"_s);
    ASSERT_NE(start, nullptr);
    QTest::mouseClick(start, Qt::LeftButton);
    ASSERT_TRUE(TestSupport::waitFor([&] { return model.current() != nullptr; }));
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
    QAbstractButton* up = enabledButton(window, u"upButton"_s);
    ASSERT_NE(up, nullptr);
    QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(model.current(), home);

    QAbstractButton* again = enabledButton(window, u"homeButton"_s);
    ASSERT_NE(again, nullptr);
    QTest::mouseClick(again, Qt::LeftButton);
    EXPECT_TRUE(model.isScanning());
    QAbstractButton* stop = enabledButton(window, u"stopButton"_s);
    ASSERT_NE(stop, nullptr);
    QTest::mouseClick(stop, Qt::LeftButton);
    ASSERT_TRUE(TestSupport::waitFor([&] { return model.progress() == 1.0; }));
    EXPECT_EQ(model.current(), nullptr);
    EXPECT_NE(enabledButton(window, u"startButton"_s), nullptr);
}

// "Choisir un dossier…" in the disk map opens the chooser of our own on the Mac's home, listing its folders under
// French titles, wherever the program was started from.
TEST_F(EndToEnd, theSpaceMapsChooserOpensOnTheMacsHomeInFrench)
{
    CompositionRoot& app = startApplication(Look::qtDefault);
    MainWindow& window = showWindow();
    app.state().setSelection(ModuleID::spaceMap);
    QAbstractButton* choose = enabledButton(window, u"chooseButton"_s);
    ASSERT_NE(choose, nullptr);
    QTest::mouseClick(choose, Qt::LeftButton);
    FileChooser* chooser = nullptr;
    ASSERT_TRUE(TestSupport::waitFor([&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* candidate = qobject_cast<FileChooser*>(widget); candidate && candidate->isVisible())
                chooser = candidate;
        }
        return chooser != nullptr;
    }));
    EXPECT_EQ(chooser->directory(), demo.path(u"/Users/demo"_s));
    ASSERT_TRUE(
        TestSupport::waitFor([&] { return chooser->model()->index(demo.path(u"/Users/demo/Documents"_s)).isValid(); }));
    QStringList titles;
    for (const int column : {0, 1, 3})
        titles << chooser->list()->model()->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(titles, (QStringList{u"Nom"_s, u"Taille"_s, u"Date de modification"_s}));
    chooser->reject();
}

// "Instantanés locaux" from the sidebar: the demonstration Mac's snapshots newest first, one deleted from its
// row and the rest with "Tout supprimer", each behind the authorisation prompt; the stand-in's store ends empty
// and the screen says so.
TEST_F(EndToEnd, localSnapshotsAreListedAndDeletedOnTheDemonstrationMac)
{
    CompositionRoot& app = startApplication(Look::qtDefault);
    MainWindow& window = showWindow({1120, 720});
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
    ASSERT_TRUE(TestSupport::waitFor([&] { return rowNames().size() == 4; }));
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
    ASSERT_TRUE(TestSupport::waitFor([&] { return rowNames().size() == 3; }));
    EXPECT_FALSE(rowNames().contains(u"com.apple.TimeMachine.2025-03-14-091500.local"_s));
    EXPECT_FALSE(
        QFile::exists(demo.path(u"/private/var/db/fake-snapshots/com.apple.TimeMachine.2025-03-14-091500.local"_s)));

    QAbstractButton* all = enabledButton(window, u"deleteAllButton"_s);
    ASSERT_NE(all, nullptr);
    QTest::mouseClick(all, Qt::LeftButton);
    ASSERT_TRUE(TestSupport::waitFor([&] {
        const auto* empty = view->findChild<QWidget*>(u"emptyState"_s);
        return empty != nullptr && empty->isVisibleTo(view);
    }));
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
TEST_F(EndToEnd, theShredderOverwritesWhatIsDroppedAndJournalsIt)
{
    CompositionRoot& app = startApplication(Look::qtDefault);
    MainWindow& window = showWindow();
    app.state().setSelection(ModuleID::shredder);
    auto* view = qobject_cast<ShredderView*>(window.detail());
    ASSERT_NE(view, nullptr);
    auto* model = view->findChild<ShredderViewModel*>();
    ASSERT_NE(model, nullptr);

    const QString folder = demo.path(u"/Users/demo/Documents/À broyer"_s);
    const QString file = demo.path(u"/Users/demo/Documents/à broyer seul.txt"_s);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(folder), QUrl::fromLocalFile(file)});
    // Dropped on the drop zone, the one place that takes files.
    auto* zone = view->findChild<ShredderDropZone*>();
    ASSERT_NE(zone, nullptr);
    const QPoint inside = zone->rect().center();
    QDragEnterEvent enter(inside, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(zone, &enter);
    QDropEvent drop(QPointF(inside), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(zone, &drop);
    ASSERT_EQ(model->items().size(), 2);
    ASSERT_TRUE(TestSupport::waitFor([&] { return model->canShred(); }));

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
    ASSERT_TRUE(TestSupport::waitFor([&] {
        for (QWidget* widget : QApplication::allWidgets()) {
            if (auto* candidate = qobject_cast<QMessageBox*>(widget))
                box = candidate;
        }
        return box != nullptr;
    }));
    EXPECT_EQ(box->informativeText(), u"%1 seront écrasés en 3 passes puis supprimés définitivement."_s.arg(
                                          FileUtils::byteFormatter().string(model->totalSize())));
    QAbstractButton* confirm = nullptr;
    for (QAbstractButton* candidate : box->buttons()) {
        if (candidate->text() == u"Broyer"_s)
            confirm = candidate;
    }
    ASSERT_NE(confirm, nullptr);
    confirm->click();
    ASSERT_TRUE(TestSupport::waitFor([&] { return model->shreddedCount() > 0 && !model->isShredding(); }));

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

    app.services().history.waitUntilIdle();
    QFile journal(app.services().history.fileURL());
    ASSERT_TRUE(journal.open(QIODevice::ReadOnly));
    EXPECT_EQ(journal.readAll().count("\"shredder\""), 1);
}

// "Désinstalleur" from the sidebar on the demonstration Mac: the list leaves Apple's application out and its
// filters find the large and the long-unused ones; Studio Vidéo shows its installer's traces and goes to the Trash
// with its data, journaled and put back from the history window. Veilleur, open and ignoring the request to quit,
// keeps all of its files and the screen says why. (Only Veilleur runs: other tests start and quit an Ondine of
// their own, which a running one here would disturb.)
TEST_F(EndToEnd, anApplicationIsUninstalledWithItsDataJournaledAndPutBack)
{
    const QString studioURL = demo.path(u"/Applications/Studio Vidéo.app"_s);
    const QString veilleurURL = demo.path(u"/Applications/Veilleur.app"_s);
    QProcess veilleur;
    veilleur.start(u"/bin/sh"_s,
                   {u"-c"_s, u"trap '' TERM; exec \"$0\" 600"_s, veilleurURL + u"/Contents/MacOS/Veilleur"_s});
    ASSERT_TRUE(veilleur.waitForStarted(TestSupport::waitBound));
    const auto stop = qScopeGuard([&] {
        veilleur.kill();
        veilleur.waitForFinished(TestSupport::waitBound);
    });

    CompositionRoot& app = startApplication();
    MainWindow& window = showWindow({1280, 900});
    app.state().setSelection(ModuleID::uninstaller);
    auto* view = qobject_cast<UninstallerView*>(window.detail());
    ASSERT_NE(view, nullptr);
    UninstallerViewModel& model = view->model();
    ASSERT_TRUE(TestSupport::waitFor([&] { return !model.isLoading() && !model.apps().isEmpty(); }));

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
    QTest::mouseClick(enabledButton(window, u"filter_large"_s), Qt::LeftButton);
    EXPECT_EQ(shownNames(), QStringList{u"Studio Vidéo"_s});
    QTest::mouseClick(enabledButton(window, u"filter_unused"_s), Qt::LeftButton);
    EXPECT_EQ(shownNames(), QStringList{u"Archiviste"_s});
    QTest::mouseClick(enabledButton(window, u"filter_all"_s), Qt::LeftButton);

    // Studio Vidéo: found, selected, its receipt read.
    auto* search = view->findChild<QLineEdit*>(u"searchField"_s);
    ASSERT_NE(search, nullptr);
    QTest::keyClicks(search, u"studio"_s);
    ASSERT_EQ(shownNames(), QStringList{u"Studio Vidéo"_s});
    auto* list = view->findChild<QListView*>(u"appList"_s);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
    ASSERT_TRUE(
        TestSupport::waitFor([&] { return view->detail() && view->detail()->app().name == u"Studio Vidéo"_s; }));
    QLabel* summary = nullptr;
    ASSERT_TRUE(TestSupport::waitFor(
        [&] { return (summary = view->detail()->findChild<QLabel*>(u"traceSummary"_s)) != nullptr; }));
    EXPECT_EQ(summary->text(), u"3 fichiers, dont 1 hors du bundle"_s);
    const InstalledApp chosen = view->detail()->app();
    QSet<QString> goes{studioURL};
    for (const ScanItem& item : chosen.leftovers)
        goes.insert(item.url);
    EXPECT_EQ(goes.size(), 4); // its support folder, its container and its settings

    const auto answer = [&](bool running) {
        QMessageBox* box = nullptr;
        ASSERT_TRUE(TestSupport::waitFor([&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* candidate = qobject_cast<QMessageBox*>(widget); candidate && candidate->isVisible())
                    box = candidate;
            }
            return box != nullptr;
        }));
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
    QTest::mouseClick(enabledButton(window, u"uninstallButton"_s), Qt::LeftButton);
    answer(false);
    ASSERT_TRUE(TestSupport::waitFor([&] { return model.uninstallsRunning() == 0; }));
    for (const QString& path : goes)
        EXPECT_FALSE(TestSupport::exists(path)) << path.toStdString();
    EXPECT_TRUE(TestSupport::exists(demo.path(u"/usr/local/lib/libstudiovideo.dylib"_s)));
    EXPECT_EQ(view->findChild<NoticeBanner*>(u"uninstallNotice"_s), nullptr);
    for (const InstalledApp& left : model.apps())
        EXPECT_NE(left.name, u"Studio Vidéo"_s);
    EXPECT_EQ(shownNames(), QStringList());

    app.services().history.waitUntilIdle();
    ASSERT_FALSE(app.services().history.sessions().isEmpty());
    const CleaningSession session = app.services().history.sessions().first();
    EXPECT_EQ(session.moduleID, u"uninstaller"_s);
    QSet<QString> journaled;
    for (const RemovedFile& file : session.files) {
        journaled.insert(file.originalPath);
        ASSERT_TRUE(file.trashPath.has_value());
        EXPECT_TRUE(file.trashPath->startsWith(demo.path(u"/Users/demo/.Trash/"_s))) << file.trashPath->toStdString();
    }
    EXPECT_EQ(journaled, goes);
    QFile journal(app.services().history.fileURL());
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
    ASSERT_TRUE(TestSupport::waitFor([&] { return view->detail() && view->detail()->app().name == u"Veilleur"_s; }));
    const qsizetype sessions = app.services().history.sessions().size();
    QTest::mouseClick(enabledButton(window, u"uninstallButton"_s), Qt::LeftButton);
    answer(true);
    ASSERT_TRUE(TestSupport::waitFor([&] { return model.uninstallsRunning() == 0; }));
    EXPECT_EQ(veilleur.state(), QProcess::Running);
    EXPECT_TRUE(TestSupport::exists(veilleurURL + u"/Contents/MacOS/Veilleur"_s));
    EXPECT_TRUE(TestSupport::exists(demo.path(u"/Users/demo/Library/Application Support/fr.veilleur.app"_s)));
    NoticeBanner* banner = nullptr;
    ASSERT_TRUE(TestSupport::waitFor([&] {
        banner = view->findChild<NoticeBanner*>(u"uninstallNotice"_s);
        return banner != nullptr && banner->isVisibleTo(view);
    }));
    ASSERT_NE(view->detail(), nullptr);
    EXPECT_EQ(view->detail()->app().name, u"Veilleur"_s);
    app.services().history.waitUntilIdle();
    EXPECT_EQ(app.services().history.sessions().size(), sessions);
}

// "Xcode et simulateurs" on the demonstration Mac: the screen lists what the xcrun stand-in and the archives
// folder hold, the recommendation picks what has gone unused, and "Supprimer" deletes the simulators through
// the tool, puts the old archives in that Mac's Trash, journals the run and shows what is left.
TEST_F(EndToEnd, xcodeCleanupFindsTheDemoMacsSimulatorsAndCleansThem)
{
    CompositionRoot& app = startApplication();
    MainWindow& window = showWindow({1120, 900});
    app.state().setSelection(ModuleID::xcodeJunk);
    auto* view = qobject_cast<XcodeView*>(window.detail());
    ASSERT_NE(view, nullptr);
    XcodeViewModel* model = view->model();
    ASSERT_NE(model, nullptr);
    QAbstractButton* recommended = nullptr;
    ASSERT_TRUE(
        TestSupport::waitFor([&] { return (recommended = enabledButton(window, u"recommendedButton"_s)) != nullptr; }));
    const XcodeService::Inventory& found = model->inventory();
    EXPECT_EQ(found.devices.size(), 6);
    EXPECT_EQ(found.runtimes.size(), 4);
    EXPECT_EQ(found.archives.size(), 3) << "neither the loose archive nor the capitalised one";
    ASSERT_EQ(view->sections().size(), 3);
    waitFor([&] { return view->findChildren<SelectableRow*>(u"deviceRow"_s).size() == 6; });
    EXPECT_EQ(view->findChildren<SelectableRow*>(u"deviceRow"_s).size(), 6);

    QTest::mouseClick(recommended, Qt::LeftButton);
    const QString devices = demo.path(u"/Library/Developer/CoreSimulator/StandIn/devices/"_s);
    const QString runtimes = demo.path(u"/Library/Developer/CoreSimulator/StandIn/runtimes/"_s);
    const QSet<QString> gone{u"0B5E7C1A-3D2F-4E8B-9A6C-1F0E2D3C4B5A"_s, u"A1B2C3D4-E5F6-4788-99AA-BBCCDDEEFF00"_s,
                             u"7E8D9C0B-1A2B-4C3D-8E4F-5A6B7C8D9E0F"_s};
    EXPECT_EQ(model->selectedDevices(), gone);
    EXPECT_EQ(model->selectedRuntimes(), QSet<QString>{u"4D1B2C3A-0E5F-4A6B-9C8D-7E6F5A4B3C21"_s});
    EXPECT_EQ(model->selectedArchives().size(), 2);

    QAbstractButton* remove = enabledButton(window, u"removeButton"_s);
    ASSERT_NE(remove, nullptr);
    QTest::mouseClick(remove, Qt::LeftButton);
    ASSERT_TRUE(TestSupport::waitFor([&] { return !model->isWorking() && !model->isLoading(); }));

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

    ASSERT_TRUE(TestSupport::waitFor([&] { return !app.services().history.sessions().isEmpty(); }));
    const CleaningSession& session = app.services().history.sessions().first();
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
    waitFor([&] { return view->findChildren<SelectableRow*>(u"deviceRow"_s).size() == 3; });
    EXPECT_EQ(view->findChildren<SelectableRow*>(u"deviceRow"_s).size(), 3);
    auto* result = view->findChild<QLabel*>(u"resultLineText"_s);
    ASSERT_NE(result, nullptr);
    EXPECT_TRUE(result->isVisibleTo(view));
    EXPECT_TRUE(result->text().endsWith(u" récupérés."_s));
}
