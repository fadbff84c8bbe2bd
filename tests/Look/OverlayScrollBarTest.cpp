#include "Look/OverlayScrollBar.h"
#include "WaitFor.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using TestSupport::waitFor;

// The bar lies over the content: the content keeps its width whether the bar is needed or not, and the thumb
// follows and drives the position.
TEST(OverlayScrollBar, liesOverTheContentAndDrivesThePosition)
{
    QListWidget list;
    list.setFrameShape(QFrame::NoFrame);
    list.resize(200, 200);
    list.addItem(u"seule"_s);
    auto* bar = OverlayScrollBar::install(&list);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list, TestSupport::waitBound));
    const int contentWidth = list.viewport()->width();
    EXPECT_EQ(contentWidth, list.width());
    EXPECT_FALSE(bar->isVisible());

    for (int i = 0; i < 200; ++i)
        list.addItem(u"ligne %1"_s.arg(i));
    waitFor([&] { return bar->isVisible(); });
    EXPECT_EQ(list.viewport()->width(), contentWidth);
    EXPECT_EQ(list.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->geometry().right(), list.viewport()->geometry().right());
    EXPECT_LE(bar->width(), OverlayScrollBar::thickness);

    QScrollBar* position = list.verticalScrollBar();
    // The wheel still scrolls the content, whose own bar is hidden.
    QWheelEvent wheel(QPointF(50, 50), list.viewport()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(list.viewport(), &wheel);
    EXPECT_GT(position->value(), 0);
    position->setValue(0);
    const QRect thumb = bar->thumbRect();
    ASSERT_FALSE(thumb.isEmpty());
    EXPECT_EQ(thumb.top(), 2);
    QTest::mousePress(bar, Qt::LeftButton, {}, thumb.center());
    QTest::mouseMove(bar, QPoint(thumb.center().x(), bar->height() - 1));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(thumb.center().x(), bar->height() - 1));
    EXPECT_EQ(position->value(), position->maximum());
    EXPECT_EQ(bar->thumbRect().bottom(), bar->height() - 3);

    // A click on the track above the thumb pages up.
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, 5));
    EXPECT_EQ(position->value(), position->maximum() - position->pageStep());
}

// Installed once for the application, the bar comes to every scroll area as it is first shown, a list made later
// included, once each; a combo box's popup list keeps the platform's look.
TEST(OverlayScrollBar, installedEverywhereReachesEachNewScrollArea)
{
    OverlayScrollBar::installEverywhere();
    OverlayScrollBar::installEverywhere();
    QWidget window;
    auto* column = new QVBoxLayout(&window);
    auto* list = new QListWidget;
    column->addWidget(list);
    auto* combo = new QComboBox;
    combo->addItems({u"un"_s, u"deux"_s});
    column->addWidget(combo);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, TestSupport::waitBound));
    auto* later = new QListWidget;
    column->addWidget(later);
    later->show();
    OverlayScrollBar::install(later);

    for (QListWidget* area : {list, later}) {
        EXPECT_EQ(area->findChildren<OverlayScrollBar*>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
        EXPECT_EQ(area->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    }
    combo->showPopup();
    EXPECT_TRUE(combo->view()->findChildren<OverlayScrollBar*>().isEmpty());
    combo->hidePopup();
}
