#pragma once

#include <QString>

#include <functional>

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

// Replaces the answer of userCanWrite() until reset with an empty function. Tests use it: they run as root
// on CI, where every folder is writable, and the administrator path must still be exercised.
void setUserCanWriteOverride(std::function<bool(const QString& folder)> answer);

} // namespace Platform
