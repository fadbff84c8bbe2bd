#pragma once

#include <QString>
#include <QStringList>

#include <mutex>

#include "QtPrinters.h"

// The folder every test process works in. The test mains create it before anything else runs, point HOME,
// QUORVANE_ROOT and TMPDIR into it, mark the process as a test run and install the platform layer's guard,
// which fails the running test on any change outside it.
namespace TestSupport {

void prepareSandbox();
void removeSandbox();

QString sandbox();
QString home();       // $HOME inside the sandbox
QString systemRoot(); // $QUORVANE_ROOT inside the sandbox
QString temporary();  // $TMPDIR inside the sandbox

// Installs the stand-ins for the Mac's command-line tools (osascript, launchctl, rm) under the sandbox's
// system root, and links /bin/sh there so that tests can run shell commands through the process runner.
void installStandIns();

// The lines the launchctl stand-in recorded, each call's arguments as a list.
QList<QStringList> launchctlCalls();

// While alive, guard refusals are recorded here instead of failing the test, for tests of the guard.
class GuardRefusals final
{
public:
    GuardRefusals();
    ~GuardRefusals();
    GuardRefusals(const GuardRefusals&) = delete;
    GuardRefusals& operator=(const GuardRefusals&) = delete;

    QStringList messages() const;

private:
    mutable std::mutex m_mutex;
    QStringList m_messages;
};

} // namespace TestSupport
