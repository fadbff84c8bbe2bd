#include "Platform/OpenFolder.h"

#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace Platform {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

} // namespace

int openWithoutAccessDate(int parentFd, const char* name, int flags)
{
    const int fd = ::openat(parentFd, name, flags | O_NOATIME);
    if (fd >= 0 || errno != EPERM)
        return fd;
    return ::openat(parentFd, name, flags); // another user's entry: its access date may move
}

int openFolderForReading(int parentFd, const char* name)
{
    return openWithoutAccessDate(parentFd, name, kFolderFlags);
}

int readFolderNames(int fd, const std::function<bool(const char* name, unsigned char type)>& each)
{
    // The listing read straight from the descriptor, in large steps: no second descriptor and no stream to set up,
    // which on a folder of five files would cost as much as reading it.
    alignas(8) char buffer[32 * 1024];
    while (true) {
        const long read = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (read == 0)
            return 0;
        if (read < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        for (long offset = 0; offset < read;) {
            const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + offset);
            offset += entry->d_reclen;
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;
            if (!each(name, entry->d_type))
                return 0;
        }
    }
}

int reopenParent(int childFd, dev_t device, ino_t inode)
{
    const int fd = openFolderForReading(childFd, "..");
    if (fd < 0)
        return -1;
    struct stat st {
    };
    if (::fstat(fd, &st) != 0 || st.st_dev != device || st.st_ino != inode) {
        ::close(fd);
        return -1; // moved meanwhile: its remaining entries are no longer reachable from here
    }
    return fd;
}

bool lostPart(int error)
{
    return error != ENOENT && error != ENOTDIR && error != ELOOP;
}

} // namespace Platform
