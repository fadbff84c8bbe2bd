#pragma once

#include <chrono>
#include <functional>

#include <QCoreApplication>
#include <QTest>

namespace TestSupport {

// How long a test waits for something that must happen, a child process's end included: as long as ctest lets one
// case run (its TIMEOUT in cmake/AddProjectTest.cmake), so that a loaded machine is never taken for a hang. A
// real hang still fails at that limit.
inline constexpr int waitBound = 300000;
// The same bound for the standard library's waits (a future's, a condition variable's).
inline constexpr std::chrono::milliseconds waitSpan{waitBound};

// Runs the event loop until `condition` holds, at most `milliseconds`; whether it held.
inline bool waitFor(const std::function<bool()>& condition, int milliseconds = waitBound)
{
    return QTest::qWaitFor(condition, milliseconds);
}

// Lets the event loop deliver what is already posted and what that posts in turn (a layout, a resize, a
// zero-delay timer), for a number of rounds rather than a time, so that a loaded machine cannot cut it short.
// For a screen to settle where no state says it has.
inline void settle(int rounds = 8)
{
    for (int round = 0; round < rounds; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

} // namespace TestSupport
