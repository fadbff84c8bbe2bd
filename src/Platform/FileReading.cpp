#include "Platform/FileReading.h"

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

} // namespace

std::optional<CheckedReader> CheckedReader::open(const QString& path, quint64 device, quint64 inode, qint64 size)
{
    QString absolute = absolutePath(path);
    const QByteArray name = QFile::encodeName(absolute);
    const int fd =
        openWithoutAccessDate(AT_FDCWD, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    CheckedReader reader(fd, std::move(absolute));
    struct stat st {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
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
