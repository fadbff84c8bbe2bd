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

namespace {

constexpr std::size_t kListingStep = 32 * 1024;

// Room for one more entry of the longest name.
constexpr std::size_t kEntryRoom = sizeof(struct dirent64) + 256;

// One step of the listing into `buffer`: the bytes read, 0 at the end, or −errno.
long readStep(int fd, char* buffer, std::size_t size = kListingStep)
{
    while (true) {
        const long read = ::syscall(SYS_getdents64, fd, buffer, size);
        if (read >= 0 || errno != EINTR)
            return read < 0 ? -errno : read;
    }
}

// Calls `each` for the names of one step, "." and ".." left out; false once `each` asked to stop.
template <class Each> bool forEachName(const char* buffer, long length, Each&& each)
{
    for (long offset = 0; offset < length;) {
        const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + offset);
        offset += entry->d_reclen;
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        if (!each(name, entry->d_type))
            return false;
    }
    return true;
}

} // namespace

int readFolderNames(int fd, const std::function<bool(const char* name, unsigned char type)>& each)
{
    // The listing read straight from the descriptor, in large steps: no second descriptor and no stream to set up,
    // which on a folder of five files would cost as much as reading it.
    alignas(8) char buffer[kListingStep];
    long read = 0;
    while ((read = readStep(fd, buffer)) > 0) {
        if (!forEachName(buffer, read, each))
            return 0;
    }
    return int(-read);
}

int readFolderNames(int fd, const std::function<void(std::size_t count)>& reserve,
                    const std::function<bool(const char* name, unsigned char type)>& each)
{
    const auto counted = [](const char* buffer, long length) {
        std::size_t count = 0;
        forEachName(buffer, length, [&count](const char*, unsigned char) { return ++count, true; });
        return count;
    };
    alignas(8) char buffer[kListingStep];
    const long first = readStep(fd, buffer);
    if (first <= 0) {
        reserve(0);
        return int(-first);
    }
    // The common case: the whole folder came in one step, which the rest of the buffer finds out.
    const auto room = kListingStep - std::size_t(first);
    long read = room >= kEntryRoom ? readStep(fd, buffer + first, room) : 1;
    if (read <= 0) {
        reserve(counted(buffer, first));
        forEachName(buffer, first, each);
        return int(-read);
    }
    // A large folder: counted to its end first, then read again from its start.
    std::size_t count = counted(buffer, first) + (room >= kEntryRoom ? counted(buffer + first, read) : 0);
    while ((read = readStep(fd, buffer)) > 0)
        count += counted(buffer, read);
    if (read < 0 || ::lseek(fd, 0, SEEK_SET) != 0)
        return read < 0 ? int(-read) : errno; // neither counted nor read again: not read whole
    reserve(count);
    while ((read = readStep(fd, buffer)) > 0) {
        if (!forEachName(buffer, read, each))
            return 0;
    }
    return int(-read);
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
