#include "Platform/OpenFolder.h"

#include <cerrno>

#include <fcntl.h>

namespace Platform {

int openFolderForReading(int parentFd, const char* name)
{
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    const int fd = ::openat(parentFd, name, flags | O_NOATIME);
    if (fd >= 0 || errno != EPERM)
        return fd;
    return ::openat(parentFd, name, flags); // another user's folder: its access date may move
}

} // namespace Platform
