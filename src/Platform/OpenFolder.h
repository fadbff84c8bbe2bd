#pragma once

#include <functional>

#include <sys/types.h>

// Opening what the program only reads. Where the system allows it (the entry is the user's own, or the program
// is privileged), an entry is opened so that reading it does not move its access date: the walks, the measures
// and the inventory's reads would otherwise make every folder and every application look just used.
namespace Platform {

// openat() with `flags`, adding O_NOATIME where it is allowed and retrying without it where it is not (EPERM):
// another user's entry may then have its access date moved. Returns the descriptor, or -1 with errno set.
int openWithoutAccessDate(int parentFd, const char* name, int flags);

// Opens the folder `name` (relative to the folder open at `parentFd`, or to the working folder with AT_FDCWD;
// an absolute path ignores it) for listing, never through a link, closed on exec, without moving its access
// date where allowed. Returns the descriptor, or -1 with errno set.
int openFolderForReading(int parentFd, const char* name);

// The one step of reading a folder that the walks share: calls `each` with every entry's name and the type the
// listing gives (DT_UNKNOWN where the file system gives none), "." and ".." left out, in the listing's order,
// until `each` returns false. Reads from the descriptor's position: pass a folder just opened, read once. The
// folder stays open. Returns 0, or the errno that kept the folder from being read whole.
int readFolderNames(int fd, const std::function<bool(const char* name, unsigned char type)>& each);
// The same, for a caller that keeps every name: `reserve` first hears how many there are (a folder larger than one
// step of reading is counted to its end and read again from its start), so that its list is made once, at its
// size, and a folder of many thousand names is never held twice while the list grows.
int readFolderNames(int fd, const std::function<void(std::size_t count)>& reserve,
                    const std::function<bool(const char* name, unsigned char type)>& each);

// For the walks: the folder above the one open at `childFd`, opened through "..", when it is still the
// folder with that device and inode; -1 otherwise.
int reopenParent(int childFd, dev_t device, ino_t inode);

// Whether a failure (an errno) to open or read a folder means a part of a tree went unread, rather than the
// entry having gone or become something else (a link, a file) since it was listed.
bool lostPart(int error);

} // namespace Platform
