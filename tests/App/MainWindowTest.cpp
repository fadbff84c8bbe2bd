#include "App/MainWindow.h"

#include "App/AppState.h"
#include "App/DiskFooter.h"
#include "App/SidebarView.h"
#include "AppTestSupport.h"
#include "Core/FileUtils.h"
#include "Look/ElidedLabel.h"
#include "Look/StatTile.h"
#include "Look/Theme.h"
#include "MacFixtures.h"
#include "Platform/Workspace.h"
#include "RecordingWorkspace.h"
#include "Sandbox.h"
#include "Scan/Screen/ScanModuleView.h"
#include "Scan/Screen/ScanViewModel.h"
#include "Scan/SmartScan/SmartScanView.h"
#include "Scanners/ScannerFactory.h"
#include "WaitFor.h"

#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QStringList rowTexts(const QListWidget& list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts.append(list.item(i)->text());
    return texts;
}

} // namespace

TEST(Sidebar, listsTheModulesInTheirSections)
{
    AppTest::Kit kit;
    AppState state(kit.registry, kit.services.services);
    SidebarView sidebar(state);
    EXPECT_EQ(rowTexts(*sidebar.list()), (QStringList{u"Dedav Orud"_s,
                                                      u"Analyse intelligente"_s,
                                                      u"Nettoyage"_s,
                                                      u"Fichiers système"_s,
                                                      u"Xcode et simulateurs"_s,
                                                      u"Pièces jointes Mail"_s,
                                                      u"Corbeilles"_s,
                                                      u"Protection"_s,
                                                      u"Suppression de malwares"_s,
                                                      u"Confidentialité"_s,
                                                      u"Performance"_s,
                                                      u"Optimisation"_s,
                                                      u"Maintenance"_s,
                                                      u"Applications"_s,
                                                      u"Désinstalleur"_s,
                                                      u"Résidus d'apps disparues"_s,
                                                      u"Mises à jour"_s,
                                                      u"Mon fouillis"_s,
                                                      u"Fichiers volumineux et anciens"_s,
                                                      u"Doublons"_s,
                                                      u"Instantanés locaux"_s,
                                                      u"Broyeur"_s,
                                                      u"Carte d'espace"_s}));
    // Choosing a row selects its module; a heading keeps the current one.
    sidebar.list()->setCurrentRow(6);
    EXPECT_EQ(state.selection(), ModuleID::trashBins);
    sidebar.list()->setCurrentRow(7);
    EXPECT_EQ(state.selection(), ModuleID::trashBins);
}

TEST(Sidebar, badgesCountResultsOnlyWhileTheyAreShown)
{
    AppTest::Kit kit;
    AppState state(kit.registry, kit.services.services);
    EXPECT_EQ(SidebarView::badgeCount(state, ModuleID::trashBins), 0);
    ScanViewModel* trash = state.model(ModuleID::trashBins);
    ASSERT_NE(trash, nullptr);
    trash->scan();
    EXPECT_EQ(SidebarView::badgeCount(state, ModuleID::trashBins), 0); // scanning
    ASSERT_TRUE(TestSupport::waitFor([&] { return trash->phase() == ScanViewModel::Phase::results; }));
    EXPECT_EQ(SidebarView::badgeCount(state, ModuleID::trashBins), int(trash->totalItemCount()));
}

// After the smart scan cleaned them, the files system junk had found leave its results and its badge: what it
// still offers is what is still on the disk.
TEST(Sidebar, aCleaningByTheSmartScanTakesItsFilesOutOfSystemJunksBadge)
{
    TestSupport::LittleMac mac;
    mac.tree.add(u"home/Library/Caches/com.exemple.lecteur/cache.db 40960\n"
                 u"home/Library/Caches/com.exemple.atelier/index 20480\nhome/Library/Logs/exemple.log 8192\n"_s);
    AppTest::Kit kit;
    AppState state(kit.registry, kit.services.services);
    ScanViewModel* junk = state.model(ModuleID::systemJunk);
    ScanViewModel* smart = state.model(ModuleID::smartScan);
    ASSERT_NE(junk, nullptr);
    ASSERT_NE(smart, nullptr);
    junk->scan();
    ASSERT_TRUE(TestSupport::waitFor([&] { return junk->phase() == ScanViewModel::Phase::results; }));
    const int before = SidebarView::badgeCount(state, ModuleID::systemJunk);
    ASSERT_GT(before, 0);

    smart->scan();
    ASSERT_TRUE(TestSupport::waitFor([&] { return smart->phase() == ScanViewModel::Phase::results; }));
    ASSERT_GT(smart->selectedCount(), 0);
    smart->clean();
    ASSERT_TRUE(TestSupport::waitFor([&] { return smart->phase() == ScanViewModel::Phase::finished; }));
    ASSERT_GT(smart->removedCount(), 0);
    ASSERT_TRUE(TestSupport::waitFor([&] { return SidebarView::badgeCount(state, ModuleID::systemJunk) < before; }));
    EXPECT_EQ(junk->phase(), ScanViewModel::Phase::results);
    EXPECT_EQ(SidebarView::badgeCount(state, ModuleID::systemJunk), int(junk->totalItemCount()));
    for (const ScanGroup& group : junk->groups()) {
        for (const ScanItem& item : group.items)
            EXPECT_TRUE(TestSupport::exists(item.url)) << item.url.toStdString();
    }
}

TEST(DiskFooter, figuresFollowTheUsedFraction)
{
    struct Case {
        qint64 total;
        qint64 free;
        int percent;
        bool nearlyFull;
        QString sizes;
    };
    const Case cases[] = {
        {0, 0, 0, false, u"0 Ko disponibles sur 0 Ko"_s},
        {1000'000'000, 100'000'000, 90, false, u"100 Mo disponibles sur 1 Go"_s},
        {1000'000'000, 99'000'000, 90, true, u"99 Mo disponibles sur 1 Go"_s},
        {100'000, 50, 99, true, u"1 Ko disponibles sur 100 Ko"_s},
        {100, 200, 0, false, u"1 Ko disponibles sur 1 Ko"_s},
        {500, 0, 100, true, u"0 Ko disponibles sur 1 Ko"_s},
    };
    for (const Case& c : cases) {
        SystemSnapshot snapshot;
        snapshot.diskTotal = c.total;
        snapshot.diskFree = c.free;
        const DiskFooter::Figures f = DiskFooter::figures(snapshot);
        EXPECT_EQ(f.percent, c.percent) << c.total << " " << c.free;
        EXPECT_EQ(f.nearlyFull, c.nearlyFull) << c.total << " " << c.free;
        EXPECT_EQ(f.percentText, QString::number(c.percent) + u" %"_s);
        EXPECT_EQ(f.sizesText, c.sizes);
    }
    EXPECT_EQ(DiskFooter::barWidth(200, 0.0), 4.0);
    EXPECT_EQ(DiskFooter::barWidth(200, 0.5), 100.0);
}

TEST(MainWindow, routesTheSelectionAndScanScreensKeepTheirResults)
{
    AppTest::Kit kit;
    AppState state(kit.registry, kit.services.services);
    TestSupport::RecordingWorkspace workspace;
    MainWindow window(state, workspace);
    state.setSelection(ModuleID::trashBins);
    auto* screen = qobject_cast<ScanModuleView*>(window.detail());
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->module(), ModuleID::trashBins);
    ScanViewModel* model = screen->model();
    ASSERT_NE(model, nullptr);
    model->scan();
    ASSERT_TRUE(TestSupport::waitFor([&] { return model->phase() == ScanViewModel::Phase::results; }));

    state.setSelection(ModuleID::shredder);
    auto* tool = qobject_cast<ScanModuleView*>(window.detail());
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(tool->model(), nullptr); // its own screen comes later: the module says it is not there yet

    state.setSelection(ModuleID::trashBins);
    auto* again = qobject_cast<ScanModuleView*>(window.detail());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->model(), model);
    EXPECT_EQ(again->model()->phase(), ScanViewModel::Phase::results);
}

TEST(MainWindow, theSmartScanOpensItsDashboardOverTheAppWideModel)
{
    AppTest::Kit kit;
    AppState state(kit.registry, kit.services.services);
    TestSupport::RecordingWorkspace workspace;
    MainWindow window(state, workspace);
    auto* dashboard = qobject_cast<SmartScanView*>(window.detail());
    ASSERT_NE(dashboard, nullptr);
    EXPECT_EQ(&dashboard->model(), state.model(ModuleID::smartScan));
    EXPECT_EQ(dashboard->model().phase(), ScanViewModel::Phase::idle);

    // The figures column follows the monitor's readings.
    window.show();
    auto* storage = dashboard->findChild<StatTile*>(u"storageTile"_s);
    ASSERT_NE(storage, nullptr);
    state.refresh();
    EXPECT_EQ(storage->fields().value, FileUtils::byteFormatter().string(state.snapshot().diskFree));

    state.setSelection(ModuleID::trashBins);
    state.setSelection(ModuleID::smartScan);
    auto* again = qobject_cast<SmartScanView*>(window.detail());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(&again->model(), state.model(ModuleID::smartScan));
}

TEST(MainWindow, theMonitorRunsWhileTheWindowIsShown)
{
    AppTest::Kit kit;
    AppState state(kit.registry, kit.services.services);
    TestSupport::RecordingWorkspace workspace;
    MainWindow window(state, workspace);
    EXPECT_FALSE(state.isMonitoring());
    window.show();
    EXPECT_TRUE(state.isMonitoring());
    window.hide();
    EXPECT_FALSE(state.isMonitoring());
    window.show();
    EXPECT_TRUE(state.isMonitoring());
}

// A count badge beside the longest title leaves it whole, up to three digits, at the default and the smallest
// window.
TEST(Sidebar, titlesStayWholeBesideAThreeDigitCount)
{
    AppTest::Kit kit;
    AppState state(kit.registry, kit.services.services);
    TestSupport::RecordingWorkspace workspace;
    MainWindow window(state, workspace);
    window.show();
    for (const QSize size : {window.size(), window.minimumSize()}) {
        window.resize(size);
        QCoreApplication::processEvents();
        const QListWidget& list = *window.sidebar()->list();
        for (int row = 0; row < list.count(); ++row) {
            const QListWidgetItem* item = list.item(row);
            if (item->flags() == Qt::NoItemFlags)
                continue;
            const qreal room =
                list.visualItemRect(item).width() - SidebarView::titleLeading - SidebarView::badgeRoom(999);
            EXPECT_LE(QFontMetricsF(SidebarView::titleFont()).horizontalAdvance(item->text()), room)
                << item->text().toStdString() << " at " << size.width();
        }
    }
}

// At the smallest window, a row's name and detail that do not fit end in "…" within their width, a name holding
// a line feed stays on one line, and the sidebar still shows every title whole.
TEST(MainWindow, textsAreShortenedNeverCutAtTheSmallestWindow)
{
    const QString longName = u"Rapport trimestriel des ventes régionales du grand quart nord-est, version finale "
                             u"relue, corrigée et validée par la direction (copie 3).pdf"_s;
    const QString twoLines = u"première ligne\nseconde ligne.txt"_s;
    for (const QString& name : {longName, twoLines}) {
        QFile file(TestSupport::home() + u"/.Trash/"_s + name);
        ASSERT_TRUE(QDir().mkpath(TestSupport::home() + u"/.Trash"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(8192, 'q'));
    }
    AppTest::Kit kit;
    AppState state(kit.registry, kit.services.services);
    TestSupport::RecordingWorkspace workspace;
    MainWindow window(state, workspace);
    window.show();
    for (int row = 0; row < window.sidebar()->list()->count(); ++row) {
        const QListWidgetItem* item = window.sidebar()->list()->item(row);
        if (item->flags() == Qt::NoItemFlags)
            continue; // a section heading
        const qreal room = window.sidebar()->list()->visualItemRect(item).width() - SidebarView::titleLeading -
                           SidebarView::titleTrailing;
        EXPECT_LE(QFontMetricsF(SidebarView::titleFont()).horizontalAdvance(item->text()), room)
            << item->text().toStdString();
    }

    window.resize(window.minimumSize());
    EXPECT_EQ(window.size(), QSize(940, 640));
    state.setSelection(ModuleID::trashBins);
    auto* screen = qobject_cast<ScanModuleView*>(window.detail());
    ASSERT_NE(screen, nullptr);
    ScanViewModel* model = screen->model();
    model->scan();
    ASSERT_TRUE(TestSupport::waitFor([&] { return model->phase() == ScanViewModel::Phase::results; }));
    for (const ScanGroup& group : model->groups()) {
        if (!group.isExpanded)
            model->toggleExpanded(group.id);
    }
    TestSupport::settle();

    int checked = 0;
    for (const char16_t* objectName : {u"itemName", u"itemDetail"}) {
        for (ElidedLabel* label : window.findChildren<ElidedLabel*>(QString::fromUtf16(objectName))) {
            if (!label->isVisibleTo(&window) || label->text().isEmpty())
                continue;
            SCOPED_TRACE(label->text().toStdString());
            const QString shown = label->shownText();
            EXPECT_LE(QFontMetricsF(label->font()).horizontalAdvance(shown), label->width());
            EXPECT_LE(label->mapTo(&window, QPoint(label->width(), 0)).x(), window.width());
            EXPECT_FALSE(shown.contains(u'\n'));
            if (label->text().contains(u'\n')) {
                EXPECT_TRUE(shown.contains(u'\u240a')); // the line feed shows as a visible mark
                ++checked;
            }
            if (label->text().contains(u"Rapport trimestriel"_s)) {
                EXPECT_TRUE(shown.contains(u'…'));
                EXPECT_LT(shown.size(), label->text().size());
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 4); // the name and the detail of each of the two items
    // Nothing else on the screen runs past the window's edge either.
    for (const QWidget* text : window.findChildren<QWidget*>()) {
        if ((qobject_cast<const QLabel*>(text) || qobject_cast<const ElidedLabel*>(text)) &&
            text->isVisibleTo(&window)) {
            EXPECT_LE(text->mapTo(&window, QPoint(text->width(), 0)).x(), window.width())
                << text->objectName().toStdString();
        }
    }
}

TEST(MainWindow, aToolScreenAndItsModelAreNewAtEachVisit)
{
    AppTest::Kit kit;
    int made = 0;
    kit.registry.setModel(ModuleID::spaceMap, Modules::Lifetime::visit, [&made](const Modules::ModelContext&) {
        auto model = std::make_unique<QObject>();
        model->setObjectName(u"visit%1"_s.arg(++made));
        return model;
    });
    kit.registry.setScreen(ModuleID::spaceMap, [](const Modules::ScreenContext& context) -> QWidget* {
        auto* screen = new QWidget;
        screen->setProperty("model", QVariant::fromValue(context.model));
        return screen;
    });
    AppState state(kit.registry, kit.services.services);
    TestSupport::RecordingWorkspace workspace;
    MainWindow window(state, workspace);

    state.setSelection(ModuleID::spaceMap);
    QPointer<QWidget> first = window.detail();
    ASSERT_NE(first, nullptr);
    QPointer<QObject> firstModel = first->property("model").value<QObject*>();
    ASSERT_NE(firstModel, nullptr);
    EXPECT_EQ(firstModel->objectName(), u"visit1"_s);
    EXPECT_EQ(state.viewModel(ModuleID::spaceMap), nullptr); // not kept by the app-wide state

    state.setSelection(ModuleID::trashBins);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(firstModel.isNull()); // the visit's model went with its screen

    state.setSelection(ModuleID::spaceMap);
    QObject* second = window.detail()->property("model").value<QObject*>();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->objectName(), u"visit2"_s);
}

// The menus: "Quorvane Pro" then "Analyse", no "Nouveau" anywhere; Ctrl+1 to Ctrl+4 only change the selection,
// from the main window or from any other window carrying the commands; the Full Disk Access item goes through
// the workspace.
TEST(MainWindow, theMenusAndTheirShortcuts)
{
    AppTest::Kit kit;
    AppState state(kit.registry, kit.services.services);
    TestSupport::RecordingWorkspace workspace;
    MainWindow window(state, workspace);
    QStringList menus;
    QStringList items;
    for (QAction* menu : window.menuBar()->actions()) {
        menus << menu->text();
        for (QAction* item : menu->menu()->actions())
            items << (item->isSeparator() ? u"—"_s : item->text() + u' ' + item->shortcut().toString());
    }
    EXPECT_EQ(menus, (QStringList{u"Quorvane Pro"_s, u"Analyse"_s}));
    EXPECT_EQ(
        items,
        (QStringList{u"Réglages… Ctrl+,"_s, u"Historique de nettoyage Ctrl+Y"_s, u"Quitter Quorvane Pro Ctrl+Q"_s,
                     u"Analyse intelligente Ctrl+1"_s, u"Fichiers système Ctrl+2"_s, u"Xcode et simulateurs Ctrl+3"_s,
                     u"Désinstalleur Ctrl+4"_s, u"—"_s, u"Ouvrir les réglages d'Accès complet au disque "_s}));

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window, TestSupport::waitBound));
    const std::pair<Qt::Key, ModuleID> keys[] = {{Qt::Key_2, ModuleID::systemJunk},
                                                 {Qt::Key_3, ModuleID::xcodeJunk},
                                                 {Qt::Key_4, ModuleID::uninstaller},
                                                 {Qt::Key_1, ModuleID::smartScan}};
    for (const auto& [key, module] : keys) {
        QTest::keyClick(&window, key, Qt::ControlModifier);
        EXPECT_EQ(state.selection(), module);
        EXPECT_EQ(window.detail()->isVisible(), true);
    }
    window.close();
    QWidget other;
    other.addActions(window.commands());
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other, TestSupport::waitBound));
    QTest::keyClick(&other, Qt::Key_4, Qt::ControlModifier);
    EXPECT_EQ(state.selection(), ModuleID::uninstaller);
    EXPECT_FALSE(window.isVisible());

    window.findChild<QAction*>(u"fullDiskAccessAction"_s)->trigger();
    EXPECT_EQ(workspace.opened, QStringList{Platform::fullDiskAccessSettingsURL()});
}
