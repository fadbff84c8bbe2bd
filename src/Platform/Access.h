#pragma once

#include <QString>

namespace Platform {

// Whether the user running the program may write into `folder` (create or remove entries in it).
// Every caller that chooses between the user's own rights and administrator rights asks this. On a Mac the
// system's /Library and /System belong to root; a demonstration Mac's belong to whoever laid it out, so
// under a system root other than "/" their folders answer as the Mac's would: not writable.
bool userCanWrite(const QString& folder);

// The user id of the running process.
unsigned userID();

// The user's short name: the home folder's name when the home lies in the system root's /Users, else the
// account's name; empty when neither is known.
QString userShortName();

// Who may write where, as the removal engine asks it to choose between the Trash and administrator rights. The
// engine receives one when it is made, the system's own by default; tests hand one that answers as they say: they
// run as root on CI, where every folder is writable, and the administrator path must still be exercised. Callable
// from any thread.
class WriteAccess
{
public:
    virtual ~WriteAccess();

    // As userCanWrite().
    virtual bool userCanWrite(const QString& folder) const = 0;

protected:
    WriteAccess() = default;
    WriteAccess(const WriteAccess&) = default;
    WriteAccess& operator=(const WriteAccess&) = default;
};

// The system's: userCanWrite() itself. It keeps no state.
const WriteAccess& systemWriteAccess();

} // namespace Platform
