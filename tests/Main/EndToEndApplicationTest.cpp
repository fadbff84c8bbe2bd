#include "DemoMacApplication.h"

#include "App/AppState.h"
#include "App/HistoryWindow.h"
#include "App/MenuBarExtra.h"
#include "App/MenuBarPanel.h"
#include "App/SchedulePane.h"
#include "App/SettingsWindow.h"
#include "App/SingleInstance.h"
#include "Core/Preferences.h"
#include "Look/ModuleHeader.h"
#include "Look/OverlayScrollBar.h"
#include "Look/StyledButton.h"
#include "Look/TextLabel.h"
#include "Performance/OptimizationView.h"
#include "Sandbox.h"
#include "Scan/Schedule/Scheduler.h"
#include "Scan/SmartScan/SmartScanView.h"
#include "ScopedEnvironment.h"
#include "Tools/AppDetail.h"
#include "Tools/ShredderView.h"
#include "Tools/UninstallerView.h"
#include "WaitFor.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTranslator>

using namespace Qt::StringLiterals;

// The application as a whole: its windows, its menu-bar panel, a second copy, its shortcuts, its texts and the
// screens' shared look.

// "Ouvrir une catégorie" from the command line while the program runs: the new copy hands the module to the
// running one, which shows it and brings its window forward; the new copy quits.
TEST_F(EndToEnd, openingACategoryChangesTheRunningCopysSelection)
{
    const QString runtime = TestSupport::temporary() + u"/runtime"_s;
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const TestSupport::ScopedEnvironment runtimeFolder("XDG_RUNTIME_DIR", runtime);
    CompositionRoot& app = startApplication();
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
    ASSERT_TRUE(copy.waitForStarted(TestSupport::waitBound));
    EXPECT_TRUE(activated.wait(TestSupport::waitBound));
    ASSERT_TRUE(copy.waitForFinished(TestSupport::waitBound));
    EXPECT_EQ(copy.exitCode(), 0);
    EXPECT_EQ(app.state().selection(), ModuleID::leftovers);
    EXPECT_TRUE(app.window().isVisible());
}

// "Réglages…" on the demonstration Mac: Ctrl+, opens one settings window on its first tab; pressed again there, or
// asked for by the menu-bar panel, it brings that same window forward as it stands. Its run-now button reaches the
// run's scheduler, and the outcome row shows what the run said.
TEST_F(EndToEnd, ctrlCommaOpensOneSettingsWindowAndRaisesItAgain)
{
    CompositionRoot& app = startApplication();
    MainWindow& window = showWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window, TestSupport::waitBound));
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
    ASSERT_TRUE(QTest::qWaitForWindowActive(settings, TestSupport::waitBound));
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
    ASSERT_TRUE(TestSupport::waitFor([&] { return !app.scheduler().isRunning(); }));
    ASSERT_TRUE(app.scheduler().lastOutcome().has_value());
    EXPECT_TRUE(app.scheduler().lastOutcome()->startsWith(u"Fichiers système : "_s));
    EXPECT_EQ(pane->outcomeRow()->detail(), *app.scheduler().lastOutcome());
    EXPECT_EQ(pane->runNowButton()->text(), u"Exécuter maintenant"_s);

    settings->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(settings.isNull());
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window, TestSupport::waitBound));
    QTest::keyClick(&window, Qt::Key_Comma, Qt::ControlModifier);
    ASSERT_NE(app.settingsWindow(), nullptr);
    EXPECT_EQ(app.settingsWindow()->findChild<SettingsView*>()->currentIndex(), 0);
    EXPECT_EQ(openSettings(), 1);
}

// The run's menu-bar panel: its rows open the run's windows through the one opener (the main window, which starts
// the monitor and the scheduler's loop, then the one history window), its "Quitter" takes the menus' quit path,
// and its icon follows the preference.
TEST_F(EndToEnd, theMenuBarPanelOpensTheRunsWindowsAndItsIconFollowsThePreference)
{
    CompositionRoot& app = startApplication();
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

    Preferences& preferences = app.services().preferences;
    for (const bool shows : {false, true, false}) {
        preferences.setShowsMenuBarItem(shows);
        EXPECT_EQ(app.menuBarExtra().isShown(), shows);
    }
}

// Every module's screen, and the history and settings windows, scroll with the look's thin bar; every module's
// header stands at one place, so the title does not move from one screen to the next.
TEST_F(EndToEnd, everyScreenSharesOneHeaderPlaceAndOneScrollBar)
{
    CompositionRoot& app = startApplication();
    MainWindow& window = showWindow({1100, 760});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, TestSupport::waitBound));
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
            ASSERT_TRUE(TestSupport::waitFor([&] {
                auto* list = screen->findChild<QWidget*>(u"appList"_s);
                return list && list->isVisible();
            }));
        }
        TestSupport::settle();
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
        TestSupport::settle();
        EXPECT_EQ(classicBars(settings), QStringList()) << tab;
    }
}

// At the smallest window, every module's header has one height with its title at one place, and no text on a
// screen is cut: a label narrower than its text shortens it with "…" or wraps it within its own height, and every
// button has its whole width inside the window. The uninstaller is seen with an application chosen, its detail
// and its buttons beside the list.
TEST_F(EndToEnd, atTheSmallestWindowHeadersKeepOneHeightAndNoTextIsCut)
{
    CompositionRoot& app = startApplication();
    MainWindow& window = showWindow({940, 640});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, TestSupport::waitBound));
    ASSERT_EQ(window.size(), window.minimumSize());
    const auto cutTexts = [&](QWidget* screen) {
        QStringList cut;
        for (QLabel* label : TestSupport::allShown<QLabel>(*screen)) {
            const QString text = label->text();
            if (text.trimmed().isEmpty() || label->textFormat() == Qt::RichText ||
                (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text)))
                continue;
            if (auto* eliding = qobject_cast<TextLabel*>(label); eliding && eliding->elideMode() != Qt::ElideNone)
                continue;
            const QRect room = label->contentsRect();
            const QFontMetrics metrics = label->fontMetrics();
            const bool fits =
                label->wordWrap()
                    ? metrics.boundingRect(QRect(0, 0, room.width(), 100000), Qt::TextWordWrap, text).height() <=
                          room.height()
                    : metrics.horizontalAdvance(text) <= room.width();
            if (!fits)
                cut << text;
        }
        for (StyledButton* button : TestSupport::allShown<StyledButton>(*screen)) {
            const QRect frame(button->mapTo(&window, QPoint()), button->size());
            if (button->width() < button->sizeHint().width() || !window.rect().contains(frame))
                cut << button->text();
        }
        return cut;
    };

    std::optional<int> height;
    std::optional<QRect> titleAt;
    for (ModuleID module : Modules::allModules()) {
        SCOPED_TRACE(toRaw(module).toStdString());
        app.state().setSelection(module);
        QWidget* screen = window.detail();
        ASSERT_NE(screen, nullptr);
        if (module == ModuleID::uninstaller) {
            auto* view = qobject_cast<UninstallerView*>(screen);
            ASSERT_NE(view, nullptr);
            QListView* list = nullptr;
            ASSERT_TRUE(TestSupport::waitFor([&] {
                list = screen->findChild<QListView*>(u"appList"_s);
                return list && list->isVisible() && list->model()->rowCount() > 0;
            }));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualRect(list->model()->index(0, 0)).center());
            ASSERT_TRUE(TestSupport::waitFor([&] { return view->detail() && view->detail()->isVisible(); }));
        }
        const auto* header = screen->findChild<ModuleHeader*>();
        ASSERT_NE(header, nullptr);
        const auto* title = header->findChild<TextLabel*>(u"moduleTitle"_s);
        ASSERT_NE(title, nullptr);
        ASSERT_TRUE(TestSupport::waitFor([&] { return title->isVisible() && title->width() > 0; }));
        QCoreApplication::processEvents();
        EXPECT_EQ(header->height(), height.value_or(header->height()));
        height = header->height();
        const QRect at(title->mapTo(&window, QPoint()), QSize(1, title->height()));
        EXPECT_EQ(at, titleAt.value_or(at));
        titleAt = at;
        EXPECT_EQ(cutTexts(screen), QStringList());
    }
}

// Qt's own texts speak French in the program: the folder chooser of the disk map and the shredder, and the list of
// the chooser that adds exclusions, title their parts in French rather than "Look in:" and "Name".
TEST_F(EndToEnd, qtsOwnTextsAreFrench)
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
