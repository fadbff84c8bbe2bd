#pragma once

#include <QEasingCurve>

// The Mac's animation curves, for Qt's animation classes.
namespace Motion {

QEasingCurve easeOut();   // the platform's ease-out: cubic Bézier (0, 0) (0.58, 1)
QEasingCurve easeInOut(); // the platform's ease-in-out: cubic Bézier (0.42, 0) (0.58, 1)

// A spring that starts at rest at 0 and settles on 1, as the platform's spring(response:dampingFraction:)
// moves a value: `response` is the period of the undamped spring in seconds. Under-damped springs overshoot 1.
struct Spring {
    double response = 0.55;
    double dampingFraction = 0.68;
};

// The spring's position `seconds` after it was let go.
double springValue(const Spring& spring, double seconds);

// How long the spring takes to come within a thousandth of 1 for good, in milliseconds.
int settleMilliseconds(const Spring& spring);

} // namespace Motion
