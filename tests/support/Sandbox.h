#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <mutex>

#include "QtPrinters.h"

// The folder every test process works in. The test mains create it before anything else runs, point HOME,
// QUORVANE_ROOT and TMPDIR into it, mark the process as a test run and install the platform layer's guard,
// which fails the running test on any change outside it.
//
// A test that must run a child process outside the test-runner mark (XCTestConfigurationFilePath unset)
// gives it childEnvironment(): the child's main then adopts that folder as its sandbox (QP_TEST_SANDBOX),
// checks that HOME, QUORVANE_ROOT and TMPDIR lie inside it and installs the guard over it. The adopted
// folder belongs to the parent and is not removed by the child.
namespace TestSupport {

void prepareSandbox();
void removeSandbox();

// The environment of a child whose sandbox is `folder` (inside this process's sandbox): the folders home,
// root and tmp are made in it for HOME, QUORVANE_ROOT and TMPDIR, and the test-runner mark is removed.
QProcessEnvironment childEnvironment(const QString& folder);

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
