#include "Platform/FileReading.h"

#include "Platform/ErrorText.h"
#include "Platform/OpenFolder.h"
#include "Platform/SystemRoot.h"

#include <atomic>
#include <cerrno>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QFile>

namespace Platform {

namespace {

std::atomic<bool> faultSet{false};
std::mutex faultMutex;
std::function<CheckedReader::Fault(const QString&, qint64)> faultAnswer;

std::atomic<bool> openHookSet{false};
std::mutex openHookMutex;
std::function<void(int, const char*)> openHook;

} // namespace

int openRegularFile(int folderFd, const char* name, int access, const struct stat* expected, bool followLink,
                    struct stat* seen)
{
    if (openHookSet.load()) {
        std::function<void(int, const char*)> hook;
        {
            const std::lock_guard lock(openHookMutex);
            hook = openHook;
        }
        if (hook)
            hook(folderFd, name);
    }
    int flags = access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    if (!followLink)
        flags |= O_NOFOLLOW;
    const int fd = openWithoutAccessDate(folderFd, name, flags);
    if (fd < 0)
        return -1;
    const auto fail = [fd](int error) {
        ::close(fd);
        errno = error;
        return -1;
    };
    struct stat st {
    };
    if (::fstat(fd, &st) != 0)
        return fail(errno);
    if (!S_ISREG(st.st_mode))
        return fail(EINVAL);
    if (expected && (st.st_dev != expected->st_dev || st.st_ino != expected->st_ino))
        return fail(ESTALE);
    const int status = ::fcntl(fd, F_GETFL);
    if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0)
        return fail(errno);
    if (seen)
        *seen = st;
    return fd;
}

void setOpenHookForTests(std::function<void(int folderFd, const char* name)> hook)
{
    const std::lock_guard lock(openHookMutex);
    openHookSet = bool(hook);
    openHook = std::move(hook);
}

QString openFailureText(int error)
{
    // ENXIO: a FIFO no one reads, a device; ELOOP: a link, which the opening does not follow, where the file was.
    if (error == ESTALE || error == EINVAL || error == ENXIO || error == ELOOP)
        return QStringLiteral("L'élément a été remplacé depuis l'examen.");
    return errorText(error);
}

std::optional<CheckedReader> CheckedReader::open(const QString& path, quint64 device, quint64 inode, qint64 size)
{
    QString absolute = absolutePath(path);
    const QByteArray name = QFile::encodeName(absolute);
    struct stat st {
    };
    const int fd = openRegularFile(AT_FDCWD, name.constData(), O_RDONLY, nullptr, false, &st);
    if (fd < 0)
        return std::nullopt;
    CheckedReader reader(fd, std::move(absolute));
    // The same encoding of the device as FileInfo's.
    const quint64 openedDevice = (quint64(major(st.st_dev)) << 32) | minor(st.st_dev);
    if (openedDevice != device || quint64(st.st_ino) != inode || qint64(st.st_size) != size)
        return std::nullopt;
    return reader;
}

CheckedReader& CheckedReader::operator=(CheckedReader&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_position = other.m_position;
        m_path = std::move(other.m_path);
    }
    return *this;
}

CheckedReader::~CheckedReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

qint64 CheckedReader::next(char* buffer, std::size_t length)
{
    if (const Fault fault = faultAt(m_position); fault != Fault::none)
        return fault == Fault::error ? -1 : 0;
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::read(m_fd, buffer + done, length - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += std::size_t(n);
    }
    m_position += qint64(done);
    return qint64(done);
}

qint64 CheckedReader::at(char* buffer, std::size_t length, qint64 offset)
{
    if (const Fault fault = faultAt(offset); fault != Fault::none)
        return fault == Fault::error ? -1 : 0;
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(m_fd, buffer + done, length - done, off_t(offset) + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += std::size_t(n);
    }
    return qint64(done);
}

void CheckedReader::expectSequentialRead()
{
    ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
}

CheckedReader::Fault CheckedReader::faultAt(qint64 offset) const
{
    if (!faultSet.load(std::memory_order_acquire))
        return Fault::none;
    const std::lock_guard lock(faultMutex);
    return faultAnswer ? faultAnswer(m_path, offset) : Fault::none;
}

void CheckedReader::setFaultForTests(std::function<Fault(const QString& path, qint64 offset)> fault)
{
    const std::lock_guard lock(faultMutex);
    faultSet.store(bool(fault), std::memory_order_release);
    faultAnswer = std::move(fault);
}

} // namespace Platform
