#include "Core/Shredding.h"

#include "Core/FileUtils.h"
#include "Platform/ErrorText.h"
#include "Platform/FileReading.h"
#include "Platform/SafeReach.h"
#include "Platform/SystemRoot.h"
#include "Platform/TestGuard.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

using namespace Qt::StringLiterals;

namespace Removal {

namespace {

constexpr qint64 kChunk = 1'048'576;

QString hardLinked()
{
    return u"Fichier lié à d'autres emplacements : non effacé."_s;
}

QString otherVolume()
{
    return u"L'élément se trouve sur un autre volume : non effacé."_s;
}

bool fillRandom(char* data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::getrandom(data + done, size - done, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

// Writes the passes over the open file's first `size` bytes; its length never changes.
std::optional<QString> overwriteOpen(int fd, qint64 size, int passes, const std::stop_token& stop)
{
    std::vector<char> chunk(std::size_t(std::min(size, kChunk)));
    const int count = std::max(1, passes);
    for (int pass = 0; pass < count; ++pass) {
        if (::lseek(fd, 0, SEEK_SET) != 0)
            return Platform::errorText(errno);
        const int pattern = pass % 3;
        if (pattern != 2)
            std::fill(chunk.begin(), chunk.end(), pattern == 0 ? '\0' : '\xff');
        qint64 written = 0;
        while (written < size) {
            if (stop.stop_requested())
                break;
            const std::size_t length = std::size_t(std::min(size - written, kChunk));
            if (pattern == 2 && !fillRandom(chunk.data(), length))
                return Platform::errorText(errno);
            if (!writeAll(fd, chunk.data(), length))
                return Platform::errorText(errno);
            written += qint64(length);
        }
        if (::fsync(fd) != 0)
            return Platform::errorText(errno);
    }
    return std::nullopt;
}

// Opens the regular file of the look for writing (see Platform::openRegularFile: a link is not followed, a
// FIFO or anything else put in its place since is never waited on); a read-only file the user owns gets its
// owner's write bit first.
int openForOverwrite(const Platform::RegularFileOpening& files, int parentFd, const char* name, const struct stat& st)
{
    const auto open = [&](int access) { return files.open(parentFd, name, access, &st, false, nullptr); };
    const int fd = open(O_WRONLY);
    if (fd >= 0 || errno != EACCES || st.st_uid != ::geteuid() || (st.st_mode & S_IWUSR))
        return fd;
    const int readFd = open(O_RDONLY);
    if (readFd < 0)
        return -1;
    const bool changed = ::fchmod(readFd, (st.st_mode & 07777) | S_IWUSR) == 0;
    ::close(readFd);
    if (!changed) {
        errno = EACCES;
        return -1;
    }
    return open(O_WRONLY);
}

std::optional<QString> overwriteAt(const Platform::RegularFileOpening& files, int parentFd, const char* name,
                                   const struct stat& st, int passes, const std::stop_token& stop)
{
    const int fd = openForOverwrite(files, parentFd, name, st);
    if (fd < 0)
        return Platform::openFailureText(errno);
    struct stat opened {
    };
    if (::fstat(fd, &opened) != 0) {
        const int error = errno;
        ::close(fd);
        return Platform::errorText(error);
    }
    std::optional<QString> failure = overwriteOpen(fd, qint64(opened.st_size), passes, stop);
    ::close(fd);
    return failure;
}

std::vector<std::string> childNames(int dirFd)
{
    std::vector<std::string> names;
    const int listFd = ::dup(dirFd);
    if (listFd < 0)
        return names;
    DIR* dir = ::fdopendir(listFd);
    if (dir == nullptr) {
        ::close(listFd);
        return names;
    }
    while (dirent* entry = ::readdir(dir)) {
        const char* n = entry->d_name;
        if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0')))
            continue;
        names.emplace_back(n);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// Shreds `name` inside the folder open at `parentFd`. `display` is its path, for a child's failure text.
std::optional<QString> shredAt(const Platform::RegularFileOpening& files, int parentFd, const std::string& name,
                               const QString& display, dev_t device, int passes, const std::stop_token& stop,
                               bool isChild)
{
    const auto failed = [&](const QString& reason) -> std::optional<QString> {
        if (!isChild)
            return reason;
        return FileUtils::abbreviatedPath(display) + u" : "_s + reason;
    };
    struct stat st {
    };
    if (::fstatat(parentFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return failed(Platform::errorText(errno));
    if (st.st_dev != device)
        return failed(otherVolume());

    if (S_ISDIR(st.st_mode)) {
        const int fd = ::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return failed(Platform::errorText(errno));
        std::optional<QString> firstFailure;
        for (const std::string& child : childNames(fd)) {
            const QString childPath = display + u'/' + QFile::decodeName(child.c_str());
            std::optional<QString> failure = shredAt(files, fd, child, childPath, device, passes, stop, true);
            if (failure && !firstFailure)
                firstFailure = std::move(failure);
        }
        ::close(fd);
        if (firstFailure)
            return firstFailure; // the folder stays: it is not empty
        if (::unlinkat(parentFd, name.c_str(), AT_REMOVEDIR) != 0)
            return failed(Platform::errorText(errno));
        return std::nullopt;
    }

    if (S_ISREG(st.st_mode)) {
        if (st.st_nlink > 1)
            return failed(hardLinked());
        if (st.st_size > 0) {
            if (std::optional<QString> failure = overwriteAt(files, parentFd, name.c_str(), st, passes, stop))
                return failed(*failure);
        }
    }
    // Links, and anything that is neither file nor folder, are unlinked as they are.
    if (::unlinkat(parentFd, name.c_str(), 0) != 0)
        return failed(Platform::errorText(errno));
    return std::nullopt;
}

// Reaches the item without passing a link (see Platform::SafeReach) and hands it to `act`.
template <class Act> std::optional<QString> withItem(const QString& path, Act&& act)
{
    const QString cleaned = Platform::absolutePath(path);
    if (cleaned == u"/")
        return Platform::errorText(EBUSY);
    if (auto refusal = Platform::TestGuard::check(cleaned, u"effacer définitivement"_s))
        return refusal;
    Platform::Reach reached = Platform::SafeReach().reach(path);
    if (reached.outcome != Platform::Reach::Outcome::Reached)
        return reached.failureText();
    return act(reached.item);
}

std::optional<QString> guardOf(const Platform::ReachedItem& item)
{
    for (const QString& place : {item.path(), item.actualPath()}) {
        if (auto refusal = Platform::TestGuard::check(place, u"effacer définitivement"_s))
            return refusal;
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> shred(const QString& path, int passes, std::stop_token stop,
                             const Platform::RegularFileOpening& files)
{
    return withItem(path, [&](const Platform::ReachedItem& item) { return shred(item, passes, stop, files); });
}

std::optional<QString> shred(const Platform::ReachedItem& item, int passes, std::stop_token stop,
                             const Platform::RegularFileOpening& files)
{
    if (auto refusal = guardOf(item))
        return refusal;
    return shredAt(files, item.parentFd(), item.name().toStdString(), item.path(), item.status().st_dev, passes, stop,
                   false);
}

std::optional<QString> overwriteContent(const QString& path, int passes, std::stop_token stop)
{
    return withItem(path, [&](const Platform::ReachedItem& item) -> std::optional<QString> {
        if (auto refusal = guardOf(item))
            return refusal;
        const struct stat& st = item.status();
        if (!S_ISREG(st.st_mode))
            return Platform::errorText(EINVAL);
        if (st.st_nlink > 1)
            return hardLinked();
        return overwriteAt(Platform::systemFileOpening(), item.parentFd(), item.name().constData(), st, passes, stop);
    });
}

} // namespace Removal
