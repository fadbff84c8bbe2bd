#pragma once

#include <QString>

#include <cstddef>
#include <functional>
#include <optional>
#include <utility>

namespace Platform {

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
