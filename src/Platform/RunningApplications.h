#pragma once

#include <QList>
#include <QString>

// The stand-in for the system's list of running applications. An application is a process of this user whose
// program lies in the "Contents/MacOS" folder of a "….app" bundle, as a Mac application's does; it is known by
// that bundle. Nothing is cached: every call reads the processes as they now stand.
namespace Platform {

// How an application shows itself: in the Dock (regular), only in the menu bar (accessory: LSUIElement), or
// not at all (prohibited: LSBackgroundOnly).
enum class ActivationPolicy { regular = 0, accessory = 1, prohibited = 2 };

// One running application. The record grows with what its callers need of it (a name to show, how it appears
// to the user); each field is read from the process and its bundle when the list is made.
struct RunningApplication {
    int processID = 0;
    QString bundlePath;       // the "….app" folder holding the program
    QString bundleIdentifier; // its CFBundleIdentifier, case kept; empty when the bundle declares none
    // CFBundleDisplayName, else CFBundleName, else the bundle's name without ".app".
    QString localizedName{};
    ActivationPolicy activationPolicy = ActivationPolicy::regular;

    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

// Whether a program belongs to this system, the one rule for every reading of processes: its path lies under the
// system root or the user's home. On a Mac, whose root is "/", every program does; under a demonstration Mac,
// another one's programs (a test's, a second copy's) run on the same machine but are not this system's.
bool isSystemProgram(const QString& program);

// The applications running now, by process number. A process of another user, one outside a bundle or outside
// both the system root and the home folder, one that ends meanwhile and one whose program was deleted or cannot be read
// is not listed.
QList<RunningApplication> runningApplications();

// Sends the polite request to quit (SIGTERM) to that application's process and returns at once, never waiting
// for it to end. The process is looked at again first and left alone unless it is still this user's and still
// runs the program of that bundle, so a process number taken over since the list was made is never signalled.
// False when nothing was sent.
bool terminate(const RunningApplication& application);

// The running applications as their callers see them: the list and the request to quit. The callers that ask
// (an uninstall, the heavy applications' "Quitter") receive one from whoever builds them, the system's own by
// default; tests hand one that answers from a script and writes down what it was asked to quit. Callable from any
// thread.
class ApplicationProcesses
{
public:
    virtual ~ApplicationProcesses();

    // As runningApplications().
    virtual QList<RunningApplication> running() const = 0;
    // As terminate().
    virtual bool terminate(const RunningApplication& application) const = 0;

protected:
    ApplicationProcesses() = default;
    ApplicationProcesses(const ApplicationProcesses&) = default;
    ApplicationProcesses& operator=(const ApplicationProcesses&) = default;
};

// The system's: the processes as they now stand, signalled for real. It keeps no state.
const ApplicationProcesses& systemApplications();

} // namespace Platform
