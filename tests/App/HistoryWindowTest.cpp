#include "App/HistoryWindow.h"

#include "App/AppState.h"
#include "App/MainWindow.h"
#include "AppTestSupport.h"
#include "Core/History.h"
#include "RecordingWorkspace.h"
#include "Scan/HistoryModel.h"
#include "Scan/HistoryView.h"
#include "TempTree.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(HistoryWindow, opensOnceAndStartsEmptyAtEachOpening)
{
    TempTree tree;
    History history(tree.path(u"history.json"_s));
    CleaningSession session;
    session.id = QUuid::createUuid();
    session.date = QDateTime::currentDateTimeUtc();
    session.moduleID = u"systemJunk"_s;
    session.freedBytes = 10;
    history.update([&](QList<CleaningSession>& list) { list.append(session); });
    TestSupport::RecordingWorkspace workspace;

    QPointer<QWidget> window = openHistoryWindow(history, workspace);
    ASSERT_FALSE(window.isNull());
    EXPECT_EQ(window->windowTitle(), u"Historique de nettoyage"_s);
    EXPECT_EQ(window->size(), QSize(720, 540));
    auto* view = window->findChild<HistoryView*>();
    ASSERT_NE(view, nullptr);
    EXPECT_GE(view->minimumSize().width(), 620);
    EXPECT_GE(view->minimumSize().height(), 460);
    view->model().toggle(session.id);

    EXPECT_EQ(openHistoryWindow(history, workspace), window.data()); // raised, not made again
    EXPECT_TRUE(view->model().isExpanded(session.id));

    window->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(historyWindow(), nullptr);
    QWidget* reopened = openHistoryWindow(history, workspace);
    EXPECT_TRUE(reopened->findChild<HistoryView*>()->model().expanded().isEmpty());
    delete reopened;
}

TEST(HistoryWindow, theMainWindowsFirstMenuHoldsItsCommand)
{
    AppTest::Kit kit;
    AppState state(kit.registry, kit.services.services);
    TestSupport::RecordingWorkspace workspace;
    MainWindow window(state, workspace);
    const QList<QAction*> menus = window.menuBar()->actions();
    ASSERT_FALSE(menus.isEmpty());
    EXPECT_EQ(menus.first()->text(), u"Quorvane Pro"_s);
    QAction* item = window.historyAction();
    EXPECT_TRUE(menus.first()->menu()->actions().contains(item));
    EXPECT_EQ(item->text(), u"Historique de nettoyage"_s);
    EXPECT_EQ(item->shortcut(), QKeySequence(u"Ctrl+Y"_s));
    EXPECT_EQ(item->shortcutContext(), Qt::ApplicationShortcut);
}

TEST(HistoryWindow, ctrlYWorksFromAnyWindowEvenWithTheMainWindowClosed)
{
    AppTest::Kit kit;
    AppState state(kit.registry, kit.services.services);
    TestSupport::RecordingWorkspace workspace;
    MainWindow window(state, workspace);
    window.show();
    int triggered = 0;
    QObject::connect(window.historyAction(), &QAction::triggered, [&] { ++triggered; });
    TempTree tree;
    History history(tree.path(u"history.json"_s));
    QWidget* other = openHistoryWindow(history, workspace, window.historyAction());
    QApplication::setActiveWindow(other);
    QTest::keyClick(other, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(triggered, 1);
    window.close(); // the main window closed, the history window alone
    QApplication::setActiveWindow(other);
    QTest::keyClick(other, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(triggered, 2);
    delete other;
}
