#include "Look/LookMenu.h"

#include "Look/Paint.h"
#include "WaitFor.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// Where windows have no alpha channel (here, the offscreen platform) the menu is held to its rounded shape.
TEST(LookMenu, isMaskedToItsRoundedShapeWhereWindowsHaveNoAlpha)
{
    ASSERT_FALSE(Paint::composesTranslucentWindows());
    LookMenu menu;
    menu.addAction(u"Afficher dans le Finder"_s);
    menu.addSeparator();
    menu.addAction(u"Exclure de toutes les analyses"_s);
    menu.popup(QPoint(50, 50));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu, TestSupport::waitBound));
    const QRegion mask = menu.mask();
    const QRect frame = menu.rect();
    for (const QPoint corner : {frame.topLeft(), frame.topRight(), frame.bottomLeft(), frame.bottomRight()})
        EXPECT_FALSE(mask.contains(corner)) << corner.x() << ", " << corner.y();
    EXPECT_TRUE(mask.contains(frame.center()));
    EXPECT_EQ(menu.font().pixelSize(), 13);
    menu.close();
}
