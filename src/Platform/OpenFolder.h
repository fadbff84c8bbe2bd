#pragma once

// Opens the folder `name` (relative to the folder open at `parentFd`, or to the working folder with AT_FDCWD;
// an absolute path ignores it) for listing, never through a link, closed on exec. Where the system allows it
// (the folder is the user's own, or the program is privileged), the folder is opened so that reading it does
// not move its access date: the walks of the program would otherwise make every folder look just used.
// Returns the descriptor, or -1 with errno set.
namespace Platform {

int openFolderForReading(int parentFd, const char* name);

} // namespace Platform
