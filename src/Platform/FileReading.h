#pragma once

#include <QString>

#include <cstddef>
#include <functional>
#include <optional>
#include <utility>

struct stat;

namespace Platform {

// Opens `name` (relative to the folder open at `folderFd`, or AT_FDCWD for a path) for `access` (O_RDONLY or
// O_WRONLY) only when it is a regular file, and never waits: the opening is non-blocking, so that a named pipe
// or device put in the file's place cannot hold the caller, a link is not followed unless `followLink`, and
// when `expected` is given the file must be that one (device and inode); the file's access date is left as it
// was where the system allows it. The descriptor returned is blocking
// again; otherwise -1, with errno set (EINVAL for anything but a regular file, ESTALE for another file).
// `seen`, when given, receives what the opened file's look gave.
int openRegularFile(int folderFd, const char* name, int access, const struct stat* expected = nullptr,
                    bool followLink = false, struct stat* seen = nullptr);

// Tests run `hook` just before each such opening, with its folder and name (until reset with an empty one).
void setOpenHookForTests(std::function<void(int folderFd, const char* name)> hook);

// Why openRegularFile failed, in French: "L'élément a été remplacé depuis l'examen." for ESTALE, EINVAL,
// ENXIO (what a non-blocking opening of a FIFO without a reader gives) and ELOOP (a link met where a link is not
// followed), the usual text of errno otherwise.
QString openFailureText(int error);

// A file opened for reading only when it is still the regular file a walk described: a link is not
// followed, a named pipe or device is never waited on, and a file replaced (another identity) or resized
// since is not opened. Closed when the value goes.
class CheckedReader final
{
public:
    // `device` and `inode` as FileInfo gives them; `size` the logical length the walk found.
    static std::optional<CheckedReader> open(const QString& path, quint64 device, quint64 inode, qint64 size);

    CheckedReader(CheckedReader&& other) noexcept
        : m_fd(std::exchange(other.m_fd, -1)), m_position(other.m_position), m_path(std::move(other.m_path))
    {
    }
    CheckedReader& operator=(CheckedReader&& other) noexcept;
    CheckedReader(const CheckedReader&) = delete;
    CheckedReader& operator=(const CheckedReader&) = delete;
    ~CheckedReader();

    // Reads up to `length` bytes from the current position (next()) or from `offset` (at()), retrying
    // interrupted and short reads until `length` bytes or the end: the count read, 0 at the end, −1 on error.
    qint64 next(char* buffer, std::size_t length);
    qint64 at(char* buffer, std::size_t length, qint64 offset);

    // Tells the system the file will be read once from start to end.
    void expectSequentialRead();

    // Tests make a read of a chosen file fail, or meet the end early, from an offset on, until reset with an
    // empty function.
    enum class Fault { none, error, end };
    static void setFaultForTests(std::function<Fault(const QString& path, qint64 offset)> fault);

private:
    CheckedReader(int fd, QString path) : m_fd(fd), m_path(std::move(path)) {}
    Fault faultAt(qint64 offset) const;

    int m_fd = -1;
    qint64 m_position = 0;
    QString m_path;
};

} // namespace Platform
