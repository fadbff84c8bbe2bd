#include "Look/Motion.h"

#include <gtest/gtest.h>

TEST(Motion, curvesMatchThePlatformsTimingFunctions)
{
    const QEasingCurve out = Motion::easeOut();
    const QEasingCurve inOut = Motion::easeInOut();
    EXPECT_NEAR(out.valueForProgress(0), 0, 1e-6);
    EXPECT_NEAR(out.valueForProgress(1), 1, 1e-6);
    // Cubic Bézier (0, 0) (0.58, 1) at half time is about 0.69 of the way (CSS "ease-out").
    EXPECT_NEAR(out.valueForProgress(0.5), 0.69, 0.02);
    EXPECT_NEAR(inOut.valueForProgress(0.5), 0.5, 1e-3);
    EXPECT_LT(inOut.valueForProgress(0.2), 0.2);
}

TEST(Motion, springStartsAtRestOvershootsAndSettles)
{
    const Motion::Spring spring{0.55, 0.68};
    EXPECT_EQ(Motion::springValue(spring, 0), 0);
    EXPECT_NEAR(Motion::springValue(spring, 0.001), 0, 1e-3);
    double peak = 0;
    for (double t = 0; t < 1; t += 0.01)
        peak = std::max(peak, Motion::springValue(spring, t));
    EXPECT_GT(peak, 1.0);
    EXPECT_LT(peak, 1.1);
    const int settle = Motion::settleMilliseconds(spring);
    EXPECT_GT(settle, 500);
    EXPECT_LT(settle, 1500);
    EXPECT_NEAR(Motion::springValue(spring, settle / 1000.0), 1, 2e-3);
    EXPECT_NEAR(Motion::springValue({0.5, 1.0}, 2), 1, 1e-6) << "critical damping does not overshoot";
}
