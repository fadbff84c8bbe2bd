#include "Platform/FileContents.h"

#include "Platform/OpenFolder.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

namespace Platform {

std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes)
{
    const int fd = openWithoutAccessDate(AT_FDCWD, QFile::encodeName(path).constData(),
                                         O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<QByteArray> content;
    struct stat st {
    };
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= maxBytes) {
        // Read to the end, but never past the limit: the file may grow while it is read.
        QByteArray bytes;
        char buffer[16384];
        while (true) {
            const ssize_t read = ::read(fd, buffer, sizeof buffer);
            if (read < 0 && errno == EINTR)
                continue;
            if (read < 0 || bytes.size() + read > maxBytes) {
                bytes.clear();
                break;
            }
            if (read == 0) {
                content = std::move(bytes);
                break;
            }
            bytes.append(buffer, read);
        }
    }
    ::close(fd);
    return content;
}

} // namespace Platform
