#pragma once

#include <QString>

#include <cstddef>
#include <memory>
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

// openRegularFile() where something could be swapped in between a look at the file and its opening. The shredder
// opens each file it overwrites through one, the system's by default; tests hand one that changes the folder at
// that very moment, which no rival process can be timed to hit. Callable from any thread.
class RegularFileOpening
{
public:
    virtual ~RegularFileOpening();

    // As openRegularFile().
    virtual int open(int folderFd, const char* name, int access, const struct stat* expected, bool followLink,
                     struct stat* seen) const = 0;

protected:
    RegularFileOpening() = default;
    RegularFileOpening(const RegularFileOpening&) = default;
    RegularFileOpening& operator=(const RegularFileOpening&) = default;
};

// The system's: openRegularFile() itself. It keeps no state.
const RegularFileOpening& systemFileOpening();

// Why openRegularFile failed, in French: "L'élément a été remplacé depuis l'examen." for ESTALE, EINVAL,
// ENXIO (what a non-blocking opening of a FIFO without a reader gives) and ELOOP (a link met where a link is not
// followed), the usual text of errno otherwise.
QString openFailureText(int error);

// A file open for reading, as a reader of many files reads it.
class ReadableFile
{
public:
    virtual ~ReadableFile();

    // Reads up to `length` bytes from the current position (next()) or from `offset` (at()), retrying
    // interrupted and short reads until `length` bytes or the end: the count read, 0 at the end, −1 on error.
    virtual qint64 next(char* buffer, std::size_t length) = 0;
    virtual qint64 at(char* buffer, std::size_t length, qint64 offset) = 0;

    // Tells the system the file will be read once from start to end.
    virtual void expectSequentialRead() = 0;

protected:
    ReadableFile() = default;
    ReadableFile(const ReadableFile&) = default;
    ReadableFile& operator=(const ReadableFile&) = default;
};

// A file opened for reading only when it is still the regular file a walk described: a link is not
// followed, a named pipe or device is never waited on, and a file replaced (another identity) or resized
// since is not opened. Closed when the value goes.
class CheckedReader final : public ReadableFile
{
public:
    // `device` and `inode` as FileInfo gives them; `size` the logical length the walk found.
    static std::optional<CheckedReader> open(const QString& path, quint64 device, quint64 inode, qint64 size);

    CheckedReader(CheckedReader&& other) noexcept : ReadableFile(other), m_fd(std::exchange(other.m_fd, -1)) {}
    CheckedReader& operator=(CheckedReader&& other) noexcept;
    CheckedReader(const CheckedReader&) = delete;
    CheckedReader& operator=(const CheckedReader&) = delete;
    ~CheckedReader() override;

    qint64 next(char* buffer, std::size_t length) override;
    qint64 at(char* buffer, std::size_t length, qint64 offset) override;
    void expectSequentialRead() override;

private:
    explicit CheckedReader(int fd) : m_fd(fd) {}

    int m_fd = -1;
};

// How a reader of many files opens them. The duplicates scanner receives one when it is made, the system's by
// default; tests hand one whose reads fail or end early where they say, which no file on disk does on demand.
// Callable from any thread.
class FileReads
{
public:
    virtual ~FileReads();

    // As CheckedReader::open(): nothing where it gives nothing.
    virtual std::unique_ptr<ReadableFile> open(const QString& path, quint64 device, quint64 inode,
                                               qint64 size) const = 0;

protected:
    FileReads() = default;
    FileReads(const FileReads&) = default;
    FileReads& operator=(const FileReads&) = default;
};

// The system's: CheckedReader itself. It keeps no state.
const FileReads& systemFileReads();

} // namespace Platform
