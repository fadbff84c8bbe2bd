#include "App/HistoryWindow.h"

#include "App/AppState.h"
#include "App/MainWindow.h"
#include "AppTestSupport.h"
#include "Core/History.h"
#include "Core/WorkInFlight.h"
#include "Look/StyledButton.h"
#include "RecordingWorkspace.h"
#include "Scan/History/HistoryView.h"
#include "Scan/History/HistoryViewModel.h"
#include "TempTree.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(HistoryWindow, opensOnceAndStartsEmptyAtEachOpening)
{
    QPointer<QWidget> opened; // holds the window while it is open, as the composition root does
    TempTree tree;
    History history(tree.path(u"history.json"_s));
    CleaningSession session;
    session.id = QUuid::createUuid();
    session.date = QDateTime::currentDateTimeUtc();
    session.moduleID = u"systemJunk"_s;
    session.freedBytes = 10;
    history.update([&](QList<CleaningSession>& list) { list.append(session); });
    TestSupport::RecordingWorkspace workspace;
    WorkInFlight inFlight;

    QPointer<QWidget> window = openHistoryWindow(opened, history, inFlight, workspace);
    ASSERT_FALSE(window.isNull());
    EXPECT_EQ(window->windowTitle(), u"Historique de nettoyage"_s);
    EXPECT_EQ(window->size(), QSize(720, 540));
    auto* view = window->findChild<HistoryView*>();
    ASSERT_NE(view, nullptr);
    EXPECT_GE(view->minimumSize().width(), 620);
    EXPECT_GE(view->minimumSize().height(), 460);
    view->model().toggle(session.id);

    EXPECT_EQ(openHistoryWindow(opened, history, inFlight, workspace), window.data()); // raised, not made again
    EXPECT_TRUE(view->model().isExpanded(session.id));

    window->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(opened.data(), nullptr);
    QWidget* reopened = openHistoryWindow(opened, history, inFlight, workspace);
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
    QPointer<QWidget> opened; // holds the window while it is open, as the composition root does
    AppTest::Kit kit;
    AppState state(kit.registry, kit.services.services);
    TestSupport::RecordingWorkspace workspace;
    WorkInFlight inFlight;
    MainWindow window(state, workspace);
    window.show();
    int triggered = 0;
    QObject::connect(window.historyAction(), &QAction::triggered, [&] { ++triggered; });
    TempTree tree;
    History history(tree.path(u"history.json"_s));
    QWidget* other = openHistoryWindow(opened, history, inFlight, workspace, window.historyAction());
    QApplication::setActiveWindow(other);
    QTest::keyClick(other, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(triggered, 1);
    window.close(); // the main window closed, the history window alone
    QApplication::setActiveWindow(other);
    QTest::keyClick(other, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(triggered, 2);
    delete other;
}

// At its own size and at its smallest, with a card holding failures, what came back and both ways back, nothing
// scrolls sideways and no text of a fixed width is cut: titles and counts give way first.
TEST(HistoryWindow, everyFigureShowsWholeAtTheWindowsOwnSizes)
{
    QPointer<QWidget> opened; // holds the window while it is open, as the composition root does
    TempTree tree(u"trash/a.bin 10\nhome/b.bin 300000\n"_s);
    History history(tree.path(u"history.json"_s));
    CleaningSession busy;
    busy.id = QUuid::createUuid();
    busy.date = QDateTime::currentDateTimeUtc().addDays(-3);
    busy.moduleID = u"systemJunk"_s;
    busy.moduleTitle = u"Fichiers indésirables du système et journaux"_s;
    busy.freedBytes = 1'023'456'789;
    busy.failureCount = 3;
    busy.snapshotStamp = u"2026-12-07-101500"_s;
    busy.files = {
        RemovedFile{QUuid::createUuid(), tree.path(u"home/a.bin"_s), tree.path(u"trash/a.bin"_s), 28'700'000, false},
        RemovedFile{QUuid::createUuid(), tree.path(u"home/b.bin"_s), std::nullopt, 995'000'000, false}};
    CleaningSession small = busy;
    small.id = QUuid::createUuid();
    small.moduleID = u"mailAttachments"_s;
    small.moduleTitle = u"Pièces jointes de Mail"_s;
    small.freedBytes = 1'500'000;
    history.update([&](QList<CleaningSession>& list) { list += {busy, small}; });
    TestSupport::RecordingWorkspace workspace;
    WorkInFlight inFlight;

    QWidget* window = openHistoryWindow(opened, history, inFlight, workspace);
    auto* view = window->findChild<HistoryView*>();
    ASSERT_NE(view, nullptr);
    QElapsedTimer timer;
    timer.start();
    while (view->model().isMeasuring() && timer.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_FALSE(view->model().isMeasuring());
    view->model().toggle(busy.id);
    SessionCard* card = view->card(busy.id);
    ASSERT_NE(card, nullptr);
    ASSERT_TRUE(card->restoreButton()->isVisibleTo(view));
    ASSERT_TRUE(card->snapshotButton()->isVisibleTo(view));
    ASSERT_TRUE(card->details().contains(u"3 échecs"_s));
    ASSERT_TRUE(card->details().last().endsWith(u" revenus"_s));
    ASSERT_TRUE(view->aftermath()->isVisibleTo(view));

    for (const QSize size : {QSize(720, 540), window->minimumSizeHint()}) {
        SCOPED_TRACE(size.width());
        window->resize(size);
        QApplication::processEvents();
        QScrollArea* scroll = view->scrollArea();
        EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible());
        EXPECT_LE(scroll->widget()->width(), scroll->viewport()->width());
        for (QLabel* label : view->findChildren<QLabel*>()) {
            if (!label->isVisibleTo(view) || label->wordWrap() || label->text().isEmpty())
                continue;
            EXPECT_GE(label->contentsRect().width(), label->fontMetrics().horizontalAdvance(label->text()))
                << label->text().toStdString();
        }
        // The rows draw their size at their trailing edge: the list must lie within the window.
        FileList* rows = card->fileList();
        ASSERT_NE(rows, nullptr);
        EXPECT_LE(rows->mapTo(window, QPoint(rows->width(), 0)).x(), window->width());
        for (StyledButton* button : {card->restoreButton(), card->snapshotButton()})
            EXPECT_GE(button->width(), button->sizeHint().width());
    }
    EXPECT_EQ(card->freedLabel()->text(), HistoryViewModel::byteText(1'023'456'789));
    delete window;
}

// Escape and the platform's close shortcut close the window, as the desktop's own windows do.
TEST(HistoryWindow, closesWithEscapeAndCtrlW)
{
    QPointer<QWidget> opened; // holds the window while it is open, as the composition root does
    TempTree tree;
    History history(tree.path(u"history.json"_s));
    TestSupport::RecordingWorkspace workspace;
    WorkInFlight inFlight;
    for (const QKeyCombination key : {QKeyCombination(Qt::Key_Escape), Qt::CTRL | Qt::Key_W}) {
        QPointer<QWidget> window = openHistoryWindow(opened, history, inFlight, workspace);
        QApplication::setActiveWindow(window);
        QTest::keyClick(window->findChild<HistoryView*>(), key.key(), key.keyboardModifiers());
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(window.isNull()) << key.toCombined();
        EXPECT_EQ(opened.data(), nullptr);
        delete window.data();
    }
}
