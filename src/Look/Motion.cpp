#include "Look/Motion.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <QPointF>

namespace Motion {

namespace {

QEasingCurve bezier(QPointF first, QPointF second)
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(first, second, QPointF(1, 1));
    return curve;
}

} // namespace

QEasingCurve easeOut()
{
    return bezier(QPointF(0, 0), QPointF(0.58, 1));
}

QEasingCurve easeInOut()
{
    return bezier(QPointF(0.42, 0), QPointF(0.58, 1));
}

double springValue(const Spring& spring, double seconds)
{
    if (seconds <= 0)
        return 0;
    const double omega = 2 * std::numbers::pi / spring.response;
    const double zeta = std::clamp(spring.dampingFraction, 0.0, 1.0);
    const double decay = std::exp(-zeta * omega * seconds);
    if (zeta >= 1)
        return 1 - decay * (1 + omega * seconds);
    const double damped = omega * std::sqrt(1 - zeta * zeta);
    return 1 - decay * (std::cos(damped * seconds) + zeta * omega / damped * std::sin(damped * seconds));
}

int settleMilliseconds(const Spring& spring)
{
    const double omega = 2 * std::numbers::pi / spring.response;
    const double zeta = std::clamp(spring.dampingFraction, 0.05, 1.0);
    // The envelope e^(-ζωt) bounds the distance from 1 (times a factor near 1 for these dampings).
    return static_cast<int>(std::ceil(std::log(1000.0) / (zeta * omega) * 1000));
}

} // namespace Motion
