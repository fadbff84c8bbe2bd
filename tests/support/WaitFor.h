#pragma once

#include <functional>

#include <QTest>

namespace TestSupport {

// How long a test waits for something that must happen, a child process's end included: as long as ctest lets one
// case run (its TIMEOUT in cmake/AddProjectTest.cmake), so that a loaded machine is never taken for a hang. A
// real hang still fails at that limit.
inline constexpr int waitBound = 300000;

// Runs the event loop until `condition` holds, at most `milliseconds`; whether it held.
inline bool waitFor(const std::function<bool()>& condition, int milliseconds = waitBound)
{
    return QTest::qWaitFor(condition, milliseconds);
}

} // namespace TestSupport
