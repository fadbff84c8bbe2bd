#include "Look/SpinnerRing.h"
#include "WaitFor.h"

#include <QTest>

#include <gtest/gtest.h>

TEST(SpinnerRing, turnsFromWhenItIsShownEvenWithReducedMotion)
{
    qputenv("QUORVANE_REDUCE_MOTION", "1");
    SpinnerRing spinner(12);
    spinner.resize(190, 190);
    EXPECT_FALSE(spinner.isTurning());
    EXPECT_EQ(spinner.angle(), 0);

    spinner.show();
    EXPECT_TRUE(spinner.isTurning());
    EXPECT_TRUE(TestSupport::waitFor([&] { return spinner.angle() > 0; }));
    qunsetenv("QUORVANE_REDUCE_MOTION");

    spinner.hide();
    EXPECT_FALSE(spinner.isTurning());
    spinner.show();
    EXPECT_TRUE(spinner.isTurning());
    EXPECT_DOUBLE_EQ(SpinnerRing::arcFraction * 360, 79.2);
}
