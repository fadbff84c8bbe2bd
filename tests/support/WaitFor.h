#pragma once

#include <functional>

#include <QTest>

namespace TestSupport {

// How long a test waits for something that must happen: long enough for a scan or a cleaning on a loaded machine
// under the sanitizers, short enough that a hang fails its own case rather than the run's time limit.
inline constexpr int waitBound = 30000;

// Runs the event loop until `condition` holds, at most `milliseconds`; whether it held.
inline bool waitFor(const std::function<bool()>& condition, int milliseconds = waitBound)
{
    return QTest::qWaitFor(condition, milliseconds);
}

} // namespace TestSupport
