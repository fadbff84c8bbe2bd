#include "App/MenuBarPanel.h"

#include "App/AppState.h"
#include "App/MenuBarExtra.h"
#include "AppTestSupport.h"
#include "LatchedScanner.h"
#include "Scan/Screen/ScanViewModel.h"
#include "WaitFor.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

CleaningSession session(qint64 freed)
{
    CleaningSession result;
    result.id = QUuid::createUuid();
    result.date = QDateTime::currentDateTimeUtc();
    result.freedBytes = freed;
    return result;
}

QList<QAbstractButton*> rows(const MenuBarPanel& panel)
{
    return panel.findChildren<QAbstractButton*>(u"panelAction"_s);
}

} // namespace

TEST(MenuBarPanel, theJournalLineFollowsTheNumberOfSessions)
{
    AppTest::Kit kit;
    History& history = kit.services.history;
    EXPECT_EQ(MenuBarPanel::journalLine(history), u"Aucun nettoyage enregistré"_s);
    history.update([](QList<CleaningSession>& sessions) { sessions << session(0); });
    EXPECT_EQ(MenuBarPanel::journalLine(history), u"0 Ko libérés au total"_s);
    history.update([](QList<CleaningSession>& sessions) { sessions << session(1500000); });
    EXPECT_EQ(MenuBarPanel::journalLine(history), u"1,5 Mo libérés au total"_s);

    // The panel shows the journal as it changes.
    AppState state(kit.registry, kit.services.services);
    MenuBarPanel panel(
        state, history, [](const QString&) {}, [] {});
    history.update([](QList<CleaningSession>& sessions) { sessions.clear(); });
    EXPECT_EQ(panel.shownJournalLine(), u"Aucun nettoyage enregistré"_s);
}

TEST(MenuBarPanel, diskFigures)
{
    const struct {
        qint64 total;
        qint64 free;
        int percent;
        bool coral;
        double used;
        QString freeText;
    } cases[] = {
        {100, 5, 95, true, 0.95, u"1 Ko disponibles"_s},         {1000, 100, 90, false, 0.9, u"1 Ko disponibles"_s},
        {10000, 1001, 89, false, 0.8999, u"1 Ko disponibles"_s}, {0, 0, 0, false, 0, u"0 Ko disponibles"_s},
        {1000, 5000, 0, false, 0, u"5 Ko disponibles"_s},        {-10, 3000000, 0, false, 0, u"3 Mo disponibles"_s},
    };
    for (const auto& c : cases) {
        SystemSnapshot snapshot;
        snapshot.diskTotal = c.total;
        snapshot.diskFree = c.free;
        const MenuBarPanel::DiskFigures figures = MenuBarPanel::diskFigures(snapshot);
        EXPECT_EQ(figures.percent, c.percent) << c.total << ' ' << c.free;
        EXPECT_EQ(figures.percentText, QString::number(c.percent) + u" %"_s);
        EXPECT_EQ(figures.nearlyFull, c.coral) << c.total << ' ' << c.free;
        EXPECT_DOUBLE_EQ(figures.used, c.used);
        EXPECT_EQ(figures.freeText, c.freeText);
    }
}

// The rows in order; the smart scan starts once and a busy model is left alone; quitting goes through the
// function given; showing the panel takes a new reading first.
TEST(MenuBarPanel, theRowsOpenWindowsStartTheSmartScanAndQuit)
{
    AppTest::Kit kit;
    auto scanner = std::make_shared<TestSupport::LatchedScanner>(ModuleID::smartScan);
    int scans = 0;
    kit.registry.setScanner(ModuleID::smartScan, [&](ModuleID, const Exclusions&) -> std::optional<ScannerPtr> {
        ++scans;
        return scanner;
    });
    AppState state(kit.registry, kit.services.services);
    state.setSelection(ModuleID::privacy);
    QStringList opened;
    int quits = 0;
    MenuBarPanel panel(
        state, kit.services.history, [&](const QString& id) { opened << id; }, [&] { ++quits; });
    const QList<QAbstractButton*> buttons = rows(panel);
    QStringList titles;
    for (const QAbstractButton* row : buttons)
        titles << row->text();
    ASSERT_EQ(titles, (QStringList{u"Ouvrir la fenêtre"_s, u"Lancer une analyse intelligente"_s,
                                   u"Historique de nettoyage"_s, u"Quitter Quorvane Pro"_s}));
    EXPECT_EQ(panel.width(), MenuBarPanel::panelWidth);

    buttons[0]->click();
    buttons[2]->click();
    EXPECT_EQ(opened, (QStringList{u"main"_s, u"history"_s}));
    EXPECT_EQ(state.selection(), ModuleID::privacy);

    buttons[1]->click();
    EXPECT_EQ(state.selection(), ModuleID::smartScan);
    ScanViewModel* model = state.model(ModuleID::smartScan);
    ASSERT_NE(model, nullptr);
    EXPECT_TRUE(model->isBusy());
    const int made = scans;
    buttons[1]->click(); // busy: selects and opens again, starts nothing
    EXPECT_EQ(scans, made);
    EXPECT_EQ(opened.count(u"main"_s), 3);
    EXPECT_EQ(quits, 0);
    buttons[3]->click();
    EXPECT_EQ(quits, 1);
    scanner->control()->release();
    ASSERT_TRUE(TestSupport::waitFor([&] { return !model->isBusy(); }));

    QSignalSpy read(&state, &AppState::snapshotChanged);
    panel.show();
    EXPECT_EQ(read.count(), 1);
}

TEST(MenuBarExtra, theIconFollowsThePreference)
{
    AppTest::Kit kit;
    AppState state(kit.registry, kit.services.services);
    MenuBarPanel panel(
        state, kit.services.history, [](const QString&) {}, [] {});
    Preferences& preferences = kit.services.preferences;
    preferences.setShowsMenuBarItem(true);
    MenuBarExtra extra(preferences, panel);
    // Without a tray (offscreen, xvfb) nothing could bring a windowless program back, so it ends with its windows.
    const bool tray = QSystemTrayIcon::isSystemTrayAvailable();
    EXPECT_TRUE(extra.isShown());
    EXPECT_EQ(QApplication::quitOnLastWindowClosed(), !tray);
    EXPECT_TRUE(panel.windowFlags().testFlag(Qt::FramelessWindowHint));
    for (const bool shows : {false, true, false, false, true}) {
        preferences.setShowsMenuBarItem(shows);
        EXPECT_EQ(extra.isShown(), shows);
        EXPECT_EQ(QApplication::quitOnLastWindowClosed(), !(shows && tray));
    }
    extra.showPanel(QPoint(40, 40));
    EXPECT_TRUE(panel.isVisible());
    preferences.setShowsMenuBarItem(false);
    EXPECT_FALSE(panel.isVisible());
    QApplication::setQuitOnLastWindowClosed(true);
}

TEST(MenuBarPanel, onlyTheRowUnderThePointerIsHighlighted)
{
    AppTest::Kit kit;
    AppState state(kit.registry, kit.services.services);
    MenuBarPanel panel(
        state, kit.services.history, [](const QString&) {}, [] {});
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel, TestSupport::waitBound));
    const QList<QAbstractButton*> buttons = rows(panel);
    for (int under : {1, 3, 0}) {
        QTest::mouseMove(buttons[under], buttons[under]->rect().center());
        for (int i = 0; i < buttons.size(); ++i)
            EXPECT_EQ(buttons[i]->property("hovering").toBool(), i == under) << under << ' ' << i;
    }
}
