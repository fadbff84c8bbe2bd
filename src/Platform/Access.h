#pragma once

#include <QString>

#include <functional>

namespace Platform {

// Whether the user running the program may write into `folder` (create or remove entries in it).
// Every caller that chooses between the user's own rights and administrator rights asks this.
bool userCanWrite(const QString& folder);

// The user id of the running process.
unsigned userID();

// Replaces the answer of userCanWrite() until reset with an empty function. Tests use it: they run as root
// on CI, where every folder is writable, and the administrator path must still be exercised.
void setUserCanWriteOverride(std::function<bool(const QString& folder)> answer);

} // namespace Platform
