#include "Platform/FileReading.h"

#include "Platform/ErrorText.h"
#include "Platform/OpenFolder.h"
#include "Platform/SystemRoot.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QFile>

namespace Platform {

int openRegularFile(int folderFd, const char* name, int access, const struct stat* expected, bool followLink,
                    struct stat* seen)
{
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

RegularFileOpening::~RegularFileOpening() = default;

const RegularFileOpening& systemFileOpening()
{
    class System final : public RegularFileOpening
    {
    public:
        int open(int folderFd, const char* name, int access, const struct stat* expected, bool followLink,
                 struct stat* seen) const override
        {
            return openRegularFile(folderFd, name, access, expected, followLink, seen);
        }
    };
    static const System system;
    return system;
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
    const QByteArray name = QFile::encodeName(absolutePath(path));
    struct stat st {
    };
    const int fd = openRegularFile(AT_FDCWD, name.constData(), O_RDONLY, nullptr, false, &st);
    if (fd < 0)
        return std::nullopt;
    CheckedReader reader(fd);
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
    return qint64(done);
}

qint64 CheckedReader::at(char* buffer, std::size_t length, qint64 offset)
{
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

ReadableFile::~ReadableFile() = default;

FileReads::~FileReads() = default;

const FileReads& systemFileReads()
{
    class System final : public FileReads
    {
    public:
        std::unique_ptr<ReadableFile> open(const QString& path, quint64 device, quint64 inode,
                                           qint64 size) const override
        {
            std::optional<CheckedReader> reader = CheckedReader::open(path, device, inode, size);
            if (!reader)
                return nullptr;
            return std::make_unique<CheckedReader>(std::move(*reader));
        }
    };
    static const System system;
    return system;
}

} // namespace Platform
