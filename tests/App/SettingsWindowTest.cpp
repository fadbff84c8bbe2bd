#include "App/SettingsWindow.h"

#include "App/AppState.h"
#include "App/ExclusionsPane.h"
#include "App/ExclusionsPaneViewModel.h"
#include "App/GeneralPane.h"
#include "App/GeneralPaneViewModel.h"
#include "App/MainWindow.h"
#include "App/SchedulePane.h"
#include "App/SchedulePaneViewModel.h"
#include "AppTestSupport.h"
#include "Core/Formatters.h"
#include "LatchedScanner.h"
#include "Look/NoticeBanner.h"
#include "Look/StyledButton.h"
#include "RecordingNotifier.h"
#include "RecordingOpenPanel.h"
#include "RecordingWorkspace.h"
#include "Scan/Schedule/Scheduler.h"
#include "TempTree.h"
#include "WaitFor.h"

#include <cmath>
#include <limits>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// What a settings window needs in a test: services of its own, a scheduler over them whose scans the test holds
// and whose notifications are recorded, and the recording desktop.
struct SettingsKit {
    explicit SettingsKit(bool appBundle = true)
        : scheduler(kit.services.services, notifier, seams(appBundle)), services{kit.services.preferences,
                                                                                 kit.services.exclusions, scheduler,
                                                                                 workspace, openPanel}
    {
    }

    Scheduler::Seams seams(bool appBundle)
    {
        Scheduler::Seams result;
        result.now = [] { return QDateTime(QDate(2026, 12, 10), QTime(8, 30), Qt::UTC); };
        result.scanners = [this](ModuleID module, const Exclusions&) -> std::optional<ScannerPtr> {
            auto made = std::make_shared<TestSupport::LatchedScanner>(module);
            scans.append(made->control());
            return made;
        };
        result.disk = [] { return SystemInfo::Disk{1000, 900}; };
        result.runningAsAppBundle = [appBundle] { return appBundle; };
        return result;
    }

    Preferences& preferences() { return kit.services.preferences; }
    Exclusions& exclusions() { return kit.services.exclusions; }

    AppTest::Kit kit;
    TestSupport::RecordingNotifier notifier;
    TestSupport::RecordingWorkspace workspace;
    TestSupport::RecordingOpenPanel openPanel;
    QList<std::shared_ptr<TestSupport::LatchedScanner::Control>> scans;
    Scheduler scheduler;
    SettingsServices services;
};

// The rows and dividers of a settings page that show, top to bottom, as "row:<title>" and "divider".
QStringList shownElements(SettingsPane& pane)
{
    QStringList shown;
    QLayout* column = pane.widget()->layout();
    for (int i = 0; i < column->count(); ++i) {
        QWidget* element = column->itemAt(i)->widget();
        if (element == nullptr || element->isHidden())
            continue;
        if (auto* row = qobject_cast<SettingRow*>(element))
            shown << u"row:"_s + row->title();
        else if (element->metaObject()->className() == QByteArray("Divider"))
            shown << u"divider"_s;
        else if (auto* banner = qobject_cast<NoticeBanner*>(element))
            shown << u"banner:"_s + banner->objectName();
    }
    return shown;
}

QSet<QString> asSet(const QStringList& list)
{
    return QSet<QString>(list.begin(), list.end());
}

QAbstractButton* shownButton(QWidget& parent, const QString& name)
{
    auto* found = parent.findChild<QAbstractButton*>(name);
    return found != nullptr && !found->isHidden() ? found : nullptr;
}

void sendDrag(QWidget& target, QEvent::Type type, QMimeData& data)
{
    const QPointF inside(target.width() / 2.0, target.height() / 2.0);
    if (type == QEvent::DragEnter) {
        QDragEnterEvent event(inside.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &event);
    } else if (type == QEvent::Drop) {
        QDropEvent event(inside, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &event);
    } else {
        QDragLeaveEvent event;
        QApplication::sendEvent(&target, &event);
    }
}

QMimeData* fileDrag(const QStringList& paths)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

} // namespace

// One window of three tabs at 620 × 460, raised as it stands while open, back on the first tab at each opening.
TEST(SettingsWindow, opensOneWindowOnTheFirstTabAndRaisesIt)
{
    QPointer<QWidget> opened; // holds the window while it is open, as the composition root does
    SettingsKit kit;
    QPointer<QWidget> window = openSettingsWindow(opened, kit.services);
    ASSERT_FALSE(window.isNull());
    EXPECT_EQ(opened.data(), window.data());
    EXPECT_EQ(window->size(), QSize(620, 460));
    auto* view = window->findChild<SettingsView*>();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->count(), 3);
    EXPECT_EQ(view->tabText(0), u"Général"_s);
    EXPECT_EQ(view->tabText(1), u"Planification"_s);
    EXPECT_EQ(view->tabText(2), u"Exclusions"_s);
    EXPECT_EQ(view->currentIndex(), 0);
    EXPECT_EQ(window->windowTitle(), u"Général"_s);

    view->setCurrentIndex(2);
    EXPECT_EQ(openSettingsWindow(opened, kit.services), window.data()); // raised, not made again
    EXPECT_EQ(view->currentIndex(), 2);

    window->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(opened.data(), nullptr);
    QWidget* reopened = openSettingsWindow(opened, kit.services);
    EXPECT_EQ(reopened->findChild<SettingsView*>()->currentIndex(), 0);
    delete reopened;
}

// Escape and the platform's close shortcut close the window, whichever page shows.
TEST(SettingsWindow, closesWithEscapeAndCtrlW)
{
    QPointer<QWidget> opened; // holds the window while it is open, as the composition root does
    SettingsKit kit;
    for (const QKeyCombination key : {QKeyCombination(Qt::Key_Escape), Qt::CTRL | Qt::Key_W}) {
        QPointer<QWidget> window = openSettingsWindow(opened, kit.services);
        auto* view = window->findChild<SettingsView*>();
        view->setCurrentIndex(2);
        QApplication::setActiveWindow(window);
        QTest::keyClick(view->currentWidget(), key.key(), key.keyboardModifiers());
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(window.isNull()) << key.toCombined();
        EXPECT_EQ(opened.data(), nullptr);
        delete window.data();
    }
}

TEST(SettingsWindow, itsCommandStandsRightAboveTheHistoryItem)
{
    AppTest::Kit kit;
    AppState state(kit.registry, kit.services.services);
    TestSupport::RecordingWorkspace workspace;
    MainWindow window(state, workspace);
    const QList<QAction*> items = window.menuBar()->actions().first()->menu()->actions();
    const qsizetype settings = items.indexOf(window.settingsAction());
    ASSERT_GE(settings, 0);
    EXPECT_EQ(items.value(settings + 1), window.historyAction());
    EXPECT_EQ(window.settingsAction()->text(), u"Réglages…"_s);
    EXPECT_EQ(window.settingsAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    EXPECT_EQ(window.settingsAction()->shortcutContext(), Qt::ApplicationShortcut);
    EXPECT_TRUE(window.commands().contains(window.settingsAction()));
}

// The threshold row shows under its toggle only while the warning is on; its percentage is truncated and held to
// 0…100 whatever was stored, the slider stands at its nearest end, and nothing is written until the user moves it.
TEST(GeneralPane, theThresholdRowTruncatesAndHoldsWhatWasStored)
{
    SettingsKit kit;
    GeneralPaneViewModel model(kit.preferences(), kit.scheduler);
    GeneralPane pane(model);
    EXPECT_EQ(shownElements(pane),
              (QStringList{u"row:Afficher l'icône dans la barre de menus"_s, u"divider"_s,
                           u"row:Filet de sécurité avant chaque nettoyage"_s, u"divider"_s,
                           u"row:Prévenir quand le disque se remplit"_s, u"row:Seuil d'alerte"_s}));
    pane.findChild<QCheckBox*>(u"diskPressureToggle"_s)->click();
    EXPECT_FALSE(kit.preferences().notifiesOnDiskPressure());
    EXPECT_EQ(shownElements(pane), (QStringList{u"row:Afficher l'icône dans la barre de menus"_s, u"divider"_s,
                                                u"row:Filet de sécurité avant chaque nettoyage"_s, u"divider"_s,
                                                u"row:Prévenir quand le disque se remplit"_s}));
    pane.findChild<QCheckBox*>(u"diskPressureToggle"_s)->click();
    EXPECT_FALSE(pane.thresholdRow()->isHidden());

    // However long its explanation, a row keeps 40 points between its texts and its control.
    pane.resize(SettingsView::windowWidth, SettingsView::windowHeight);
    pane.show();
    for (SettingRow* row : pane.findChildren<SettingRow*>()) {
        for (const QString& text : {u"settingTitle"_s, u"settingDetail"_s}) {
            EXPECT_GE(row->control()->x() - row->findChild<QWidget*>(text)->geometry().right() - 1, 40)
                << row->title().toStdString();
        }
    }

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const struct {
        double stored;
        int percent;
        int slider;
    } cases[] = {{0.6, 60, 60}, {0.98, 98, 98},      {0.85, 85, 85},     {0.6599999999999999, 65, 66},
                 {0.5, 50, 60}, {0.995, 99, 98},     {1.5, 100, 98},     {1e300, 100, 98},
                 {-3, 0, 60},   {infinity, 100, 98}, {-infinity, 0, 60}, {nan, 0, 60}};
    for (const auto& entry : cases) {
        kit.preferences().setDiskThreshold(entry.stored);
        EXPECT_EQ(pane.thresholdRow()->detail(), u"À "_s + QString::number(entry.percent) + u" % de remplissage."_s)
            << entry.stored;
        EXPECT_EQ(pane.slider()->value(), entry.slider) << entry.stored;
        const double kept = kit.preferences().diskThreshold();
        EXPECT_TRUE(kept == entry.stored || (std::isnan(kept) && std::isnan(entry.stored))) << entry.stored;
    }

    // The slider runs from 0.6 to 0.98 in hundredths, and moving it writes at once.
    EXPECT_EQ(pane.slider()->minimum(), 60);
    EXPECT_EQ(pane.slider()->maximum(), 98);
    EXPECT_EQ(pane.slider()->singleStep(), 1);
    pane.slider()->setValue(73);
    EXPECT_DOUBLE_EQ(kit.preferences().diskThreshold(), 0.73);
    EXPECT_EQ(pane.thresholdRow()->detail(), u"À 73 % de remplissage."_s);
    for (int hundredths = 60; hundredths <= 98; ++hundredths) {
        pane.slider()->setValue(hundredths);
        EXPECT_EQ(GeneralPaneViewModel::thresholdPercent(kit.preferences().diskThreshold()), hundredths);
    }

    // The other toggles write their own preference.
    pane.findChild<QCheckBox*>(u"menuBarItemToggle"_s)->click();
    pane.findChild<QCheckBox*>(u"snapshotToggle"_s)->click();
    EXPECT_FALSE(kit.preferences().showsMenuBarItem());
    EXPECT_FALSE(kit.preferences().takesSnapshotBeforeCleaning());
}

// The banner says when notifications cannot be delivered, and then nothing asks for permission.
TEST(GeneralPane, outsideTheInstalledBundleItWarnsAndAsksNothing)
{
    SettingsKit outside(false);
    GeneralPaneViewModel model(outside.preferences(), outside.scheduler);
    GeneralPane pane(model);
    EXPECT_EQ(shownElements(pane).last(), u"banner:notificationsBanner"_s);
    outside.preferences().setNotifiesOnDiskPressure(false);
    pane.findChild<QCheckBox*>(u"diskPressureToggle"_s)->click();
    EXPECT_TRUE(outside.preferences().notifiesOnDiskPressure());
    EXPECT_EQ(outside.notifier.authorizationRequests, 0);

    SettingsKit installed(true);
    GeneralPaneViewModel installedModel(installed.preferences(), installed.scheduler);
    GeneralPane installedPane(installedModel);
    EXPECT_TRUE(installedPane.banner()->isHidden());
}

// Permission is asked at most once per process, whichever pane or the scheduler comes first, and only for a
// schedule whose results are notified.
TEST(SettingsPanes, askForNotificationPermissionOnceAcrossThePanes)
{
    SettingsKit kit;
    kit.preferences().setNotifiesOnDiskPressure(false);
    kit.preferences().setNotifiesAfterScheduledRun(false);
    GeneralPaneViewModel generalModel(kit.preferences(), kit.scheduler);
    GeneralPane general(generalModel);
    SchedulePaneViewModel scheduleModel(kit.preferences(), kit.scheduler, kit.workspace);
    SchedulePane schedule(scheduleModel);
    auto* diskPressure = general.findChild<QCheckBox*>(u"diskPressureToggle"_s);
    auto* scheduled = schedule.findChild<QCheckBox*>(u"scheduleToggle"_s);

    scheduled->click(); // results not notified: nothing to ask
    EXPECT_TRUE(kit.preferences().scheduleEnabled());
    EXPECT_EQ(kit.notifier.authorizationRequests, 0);
    scheduled->click();
    schedule.findChild<QCheckBox*>(u"notifyAfterRunToggle"_s)->click(); // carries no request of its own
    EXPECT_EQ(kit.notifier.authorizationRequests, 0);

    diskPressure->click();
    EXPECT_EQ(kit.notifier.authorizationRequests, 1);
    EXPECT_TRUE(kit.scheduler.notificationAuthorizationRequested());
    diskPressure->click();
    diskPressure->click();
    scheduled->click();
    kit.scheduler.notify(u"disk-pressure"_s, u"Titre"_s, u"Texte"_s);
    EXPECT_EQ(kit.notifier.authorizationRequests, 1);

    // The scheduler asked first: the panes ask nothing more.
    SettingsKit second;
    second.preferences().setNotifiesOnDiskPressure(false);
    second.scheduler.notify(u"disk-pressure"_s, u"Titre"_s, u"Texte"_s);
    GeneralPaneViewModel secondModel(second.preferences(), second.scheduler);
    secondModel.setNotifiesOnDiskPressure(true);
    EXPECT_EQ(second.notifier.authorizationRequests, 1);
}

// The pickers offer exactly their entries; a stored module they do not offer chooses none and is kept.
TEST(SchedulePane, pickersOfferTheirEntriesAndWriteAtOnce)
{
    SettingsKit kit;
    SchedulePaneViewModel model(kit.preferences(), kit.scheduler, kit.workspace);
    SchedulePane pane(model);
    const auto entries = [](QComboBox* picker) {
        QStringList texts;
        for (int i = 0; i < picker->count(); ++i)
            texts << picker->itemText(i);
        return texts;
    };
    EXPECT_EQ(entries(pane.intervalPicker()), (QStringList{u"Chaque jour"_s, u"Chaque semaine"_s, u"Chaque mois"_s}));
    EXPECT_EQ(entries(pane.modulePicker()),
              (QStringList{u"Analyse intelligente"_s, u"Fichiers système"_s, title(ModuleID::trashBins),
                           title(ModuleID::mailAttachments)}));
    EXPECT_EQ(pane.intervalPicker()->currentIndex(), 1); // weekly
    EXPECT_EQ(pane.modulePicker()->currentIndex(), 1);   // systemJunk

    pane.intervalPicker()->setCurrentIndex(2);
    emit pane.intervalPicker()->activated(2);
    EXPECT_EQ(kit.preferences().scheduleInterval(), Preferences::Interval::monthly);
    emit pane.modulePicker()->activated(2);
    EXPECT_EQ(kit.preferences().scheduleModule(), ModuleID::trashBins);

    kit.preferences().setScheduleModule(ModuleID::privacy);
    EXPECT_EQ(pane.modulePicker()->currentIndex(), -1);
    EXPECT_EQ(pane.modulePicker()->placeholderText(), title(ModuleID::privacy)); // the box names what runs
    EXPECT_EQ(kit.preferences().scheduleModule(), ModuleID::privacy);

    // With the schedule off, the next run is none and every other control still stores its value.
    EXPECT_EQ(pane.enabledRow()->detail(), u"Aucune exécution prévue."_s);
    pane.findChild<QCheckBox*>(u"scheduleCleansToggle"_s)->click();
    EXPECT_TRUE(kit.preferences().scheduleCleans());
    EXPECT_TRUE(pane.intervalPicker()->isEnabled());
    pane.findChild<QCheckBox*>(u"scheduleToggle"_s)->click();
    EXPECT_EQ(pane.enabledRow()->detail(),
              u"Prochaine exécution : "_s + DateTimeFormatter::mediumDateShortTime().string(kit.scheduler.now()));
    EXPECT_EQ(pane.outcomeRow()->detail(), u"Aucune exécution planifiée depuis le lancement."_s);

    pane.findChild<QAbstractButton*>(u"openShortcutsButton"_s)->click();
    EXPECT_EQ(kit.workspace.applicationsOpened, QStringList{u"/System/Applications/Shortcuts.app"_s});
}

// While a run is under way the button says so and cannot be pressed, and the scheduler starts no second run; at
// its end the outcome replaces the fallback and the next run moves on by one interval.
TEST(SchedulePane, runNowWhileARunIsUnderWay)
{
    SettingsKit kit;
    kit.preferences().setScheduleEnabled(true);
    kit.preferences().setScheduleInterval(Preferences::Interval::daily);
    SchedulePaneViewModel model(kit.preferences(), kit.scheduler, kit.workspace);
    SchedulePane pane(model);
    StyledButton* run = pane.runNowButton();
    EXPECT_EQ(run->text(), u"Exécuter maintenant"_s);
    EXPECT_TRUE(run->isEnabled());

    run->click();
    EXPECT_EQ(run->text(), u"Exécution en cours…"_s);
    EXPECT_FALSE(run->isEnabled());
    run->click();
    model.runNow();
    ASSERT_EQ(kit.scans.size(), 1);

    QSignalSpy finished(&kit.scheduler, &Scheduler::runFinished);
    kit.scans.first()->release();
    ASSERT_TRUE(finished.wait(TestSupport::waitBound));
    EXPECT_EQ(run->text(), u"Exécuter maintenant"_s);
    EXPECT_TRUE(run->isEnabled());
    ASSERT_TRUE(kit.scheduler.lastOutcome().has_value());
    EXPECT_EQ(pane.outcomeRow()->detail(), *kit.scheduler.lastOutcome());
    EXPECT_EQ(pane.enabledRow()->detail(),
              u"Prochaine exécution : "_s +
                  DateTimeFormatter::mediumDateShortTime().string(kit.scheduler.now().addDays(1)));
    EXPECT_EQ(kit.scans.size(), 1);
}

// "Ajouter…" asks the open panel for files and folders together; what the list refuses ("/", a covered path)
// leaves it as it was, a folder over existing entries replaces them, and a cancel changes nothing.
TEST(ExclusionsPane, theChooserAddsRefusesAndReplaces)
{
    SettingsKit kit;
    TempTree tree(u"Projets/a/\nProjets/b/\n\"notes\\n2024.txt\"\nautre/\n"_s);
    ExclusionsPaneViewModel model(kit.exclusions(), kit.openPanel, kit.workspace);
    ExclusionsPane pane(model, kit.workspace);
    pane.resize(620, 400);
    EXPECT_FALSE(pane.emptyState()->isHidden());
    EXPECT_EQ(shownButton(pane, u"removeAllButton"_s), nullptr);
    EXPECT_EQ(shownButton(pane, u"removeSelectedButton"_s), nullptr);
    EXPECT_TRUE(pane.countLabel()->isHidden());

    const QString a = tree.path(u"Projets/a"_s);
    const QString b = tree.path(u"Projets/b"_s);
    const QString odd = tree.path(u"notes\n2024.txt"_s);
    kit.openPanel.script = {{a, odd}, {u"/"_s}, {a + u"/x"_s}, {}, {tree.path(u"Projets"_s), b}};
    QAbstractButton* add = shownButton(pane, u"addExclusionButton"_s);
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->text(), u"Ajouter…"_s);
    add->click();
    ASSERT_EQ(kit.openPanel.requests.size(), 1);
    const Platform::OpenPanel::Request& request = kit.openPanel.requests.first();
    EXPECT_EQ(request.mode, Platform::OpenPanel::Mode::filesAndFolders);
    EXPECT_EQ(request.prompt, u"Exclure"_s);
    EXPECT_EQ(request.message, u"Choisissez ce que l'application ne doit plus jamais proposer."_s);
    EXPECT_EQ(asSet(kit.exclusions().paths()), (QSet<QString>{a, odd}));
    EXPECT_TRUE(pane.emptyState()->isHidden());
    EXPECT_EQ(pane.countLabel()->text(), u"2 emplacements"_s);
    EXPECT_NE(shownButton(pane, u"removeAllButton"_s), nullptr);

    for (int refused = 0; refused < 3; ++refused) { // "/", a path under an entry, a cancel
        add->click();
        EXPECT_EQ(kit.exclusions().paths().size(), 2);
    }
    add->click(); // the parent of "a", with "b" beside it
    EXPECT_EQ(asSet(kit.exclusions().paths()), (QSet<QString>{tree.path(u"Projets"_s), odd}));
    EXPECT_EQ(kit.openPanel.requests.size(), 5);
}

// Drops take local files and folders only, and outline the pane only while such a drag hovers.
TEST(ExclusionsPane, dropsTakeLocalFilesOnly)
{
    SettingsKit kit;
    TempTree tree(u"un/\ndeux/\ntrois.txt\n"_s);
    ExclusionsPaneViewModel model(kit.exclusions(), kit.openPanel, kit.workspace);
    ExclusionsPane pane(model, kit.workspace);
    pane.resize(620, 400);
    pane.show();

    QMimeData text;
    text.setText(u"/etc"_s);
    text.setUrls({QUrl(u"https://example.org/a"_s)});
    sendDrag(pane, QEvent::DragEnter, text);
    EXPECT_FALSE(pane.isTargeted());
    sendDrag(pane, QEvent::Drop, text);
    EXPECT_TRUE(kit.exclusions().paths().isEmpty());

    std::unique_ptr<QMimeData> two(fileDrag({tree.path(u"un"_s), tree.path(u"deux"_s)}));
    sendDrag(pane, QEvent::DragEnter, *two);
    EXPECT_TRUE(pane.isTargeted());
    EXPECT_FALSE(pane.findChild<QWidget*>(u"dropOutline"_s)->isHidden());
    sendDrag(pane, QEvent::DragLeave, *two);
    EXPECT_FALSE(pane.isTargeted());
    EXPECT_TRUE(pane.findChild<QWidget*>(u"dropOutline"_s)->isHidden());
    sendDrag(pane, QEvent::DragEnter, *two);
    sendDrag(pane, QEvent::Drop, *two);
    EXPECT_FALSE(pane.isTargeted());
    EXPECT_EQ(kit.exclusions().paths(), (QStringList{tree.path(u"deux"_s), tree.path(u"un"_s)}));

    // The root and a covered path are refused without a word; a file beside them is taken.
    std::unique_ptr<QMimeData> mixed(fileDrag({u"/"_s, tree.path(u"un/sous"_s), tree.path(u"trois.txt"_s)}));
    sendDrag(pane, QEvent::DragEnter, *mixed);
    sendDrag(pane, QEvent::Drop, *mixed);
    EXPECT_EQ(kit.exclusions().paths().size(), 3);
    EXPECT_TRUE(kit.exclusions().paths().contains(tree.path(u"trois.txt"_s)));
}

// A click selects a row and shows "Retirer", which removes exactly that path; a row's own button and "Tout
// retirer" remove too, and leave "Retirer" hidden. A path deleted since stays listed, marked absent.
TEST(ExclusionsPane, rowsAreSelectedRemovedAndMarkedAbsent)
{
    SettingsKit kit;
    TempTree tree(u"un/\ndeux/\ntrois/\n"_s);
    for (const QString& name : {u"un"_s, u"deux"_s, u"trois"_s, u"parti"_s})
        kit.exclusions().add(tree.path(name));
    ExclusionsPaneViewModel model(kit.exclusions(), kit.openPanel, kit.workspace);
    ExclusionsPane pane(model, kit.workspace);
    pane.resize(620, 400);
    pane.show();
    ASSERT_EQ(pane.list()->rows().size(), 4);
    // The name and path stand clear of the icon painted at the row's leading edge, 11 points after it.
    for (ExclusionRow* row : pane.list()->rows()) {
        for (const QString& line : {u"exclusionName"_s, u"exclusionPlace"_s})
            EXPECT_EQ(row->findChild<QWidget*>(line)->x(), 14 + 18 + 11) << row->path().toStdString();
    }

    ExclusionRow* gone = pane.list()->row(tree.path(u"parti"_s));
    ASSERT_NE(gone, nullptr);
    EXPECT_FALSE(gone->exists());
    EXPECT_FALSE(gone->findChild<QLabel*>(u"absentLabel"_s)->isHidden());
    EXPECT_GE(gone->findChild<QLabel*>(u"absentLabel"_s)->x() -
                  gone->findChild<QWidget*>(u"exclusionPlace"_s)->geometry().right() - 1,
              30);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(gone, &enter);
    auto* reveal = gone->findChild<QAbstractButton*>(u"revealButton"_s);
    EXPECT_FALSE(reveal->isHidden());
    EXPECT_FALSE(reveal->isEnabled());
    EXPECT_TRUE(pane.list()->row(tree.path(u"un"_s))->findChild<QLabel*>(u"absentLabel"_s)->isHidden());
    ExclusionRow* trois = pane.list()->row(tree.path(u"trois"_s));
    QApplication::sendEvent(trois, &enter);
    trois->findChild<QAbstractButton*>(u"revealButton"_s)->click();
    EXPECT_EQ(kit.workspace.revealed, QStringList{tree.path(u"trois"_s)});
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(trois, &leave);
    EXPECT_TRUE(trois->findChild<QAbstractButton*>(u"revealButton"_s)->isHidden());
    EXPECT_TRUE(trois->findChild<QAbstractButton*>(u"unexcludeButton"_s)->isHidden());

    QTest::mouseClick(pane.list()->row(tree.path(u"deux"_s)), Qt::LeftButton);
    EXPECT_EQ(model.selection(), tree.path(u"deux"_s));
    EXPECT_TRUE(pane.list()->row(tree.path(u"deux"_s))->isSelected());
    QAbstractButton* removeSelected = shownButton(pane, u"removeSelectedButton"_s);
    ASSERT_NE(removeSelected, nullptr);
    removeSelected->click();
    EXPECT_FALSE(kit.exclusions().paths().contains(tree.path(u"deux"_s)));
    EXPECT_EQ(kit.exclusions().paths().size(), 3);
    EXPECT_EQ(shownButton(pane, u"removeSelectedButton"_s), nullptr);
    EXPECT_EQ(pane.countLabel()->text(), u"3 emplacements"_s);

    // The selected row removed by its own button: "Retirer" hides, though the selection stays.
    QTest::mouseClick(pane.list()->row(tree.path(u"un"_s)), Qt::LeftButton);
    ExclusionRow* un = pane.list()->row(tree.path(u"un"_s));
    QApplication::sendEvent(un, &enter);
    un->findChild<QAbstractButton*>(u"unexcludeButton"_s)->click();
    QTest::qWait(0);
    EXPECT_FALSE(kit.exclusions().paths().contains(tree.path(u"un"_s)));
    EXPECT_EQ(model.selection(), tree.path(u"un"_s));
    EXPECT_EQ(shownButton(pane, u"removeSelectedButton"_s), nullptr);
    EXPECT_EQ(pane.countLabel()->text(), u"2 emplacements"_s);

    shownButton(pane, u"removeAllButton"_s)->click();
    EXPECT_TRUE(kit.exclusions().paths().isEmpty());
    EXPECT_FALSE(pane.emptyState()->isHidden());
    EXPECT_TRUE(pane.countLabel()->isHidden());
}

// A long list makes only the rows near what shows, and makes the others as the list scrolls to them.
TEST(ExclusionsPane, aLongListMakesItsRowsAsTheyShow)
{
    SettingsKit kit;
    QStringList many;
    for (int i = 0; i < 400; ++i)
        many << u"/Users/demo/dossier-%1"_s.arg(i, 3, 10, QChar(u'0'));
    kit.exclusions().persist(Exclusions::normalize(many));
    ExclusionsPaneViewModel model(kit.exclusions(), kit.openPanel, kit.workspace);
    ExclusionsPane pane(model, kit.workspace);
    pane.resize(620, 400);
    pane.show();
    const qsizetype made = pane.list()->rows().size();
    EXPECT_GT(made, 0);
    EXPECT_LT(made, 60);
    EXPECT_EQ(pane.list()->rows().first()->path(), u"/Users/demo/dossier-000"_s);
    EXPECT_EQ(pane.countLabel()->text(), u"400 emplacements"_s);
    EXPECT_EQ(pane.list()->rows().first()->width(), pane.list()->viewport()->width()); // clear of the scroll bar

    QScrollBar* bar = pane.list()->verticalScrollBar();
    bar->setValue(bar->maximum());
    EXPECT_EQ(pane.list()->rows().last()->path(), u"/Users/demo/dossier-399"_s);
    EXPECT_EQ(pane.list()->row(u"/Users/demo/dossier-000"_s), nullptr);
}
