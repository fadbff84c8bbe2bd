#include "Platform/CodeSigning.h"

#include "Platform/OpenFolder.h"
#include "Platform/Sha256.h"

#include <array>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QFile>

using namespace Qt::StringLiterals;

namespace Platform::CodeSigning {

namespace {

constexpr const char* kAttribute = "user.quorvane.codesign";
constexpr qsizetype kDigestLength = 64;

// A record is short; anything longer is not one.
constexpr ssize_t kRecordLimit = 256;

class FileDescriptor final
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

bool isLowerHex(const QByteArray& text)
{
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

// The digest of the whole file, read from its start; nothing on a read error.
std::optional<QString> contentDigest(int fd)
{
    Sha256 hasher;
    std::array<char, 1 << 16> buffer{};
    off_t offset = 0;
    while (true) {
        const ssize_t read = ::pread(fd, buffer.data(), buffer.size(), offset);
        if (read < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (read == 0)
            break;
        hasher.add(buffer.data(), std::size_t(read));
        offset += read;
    }
    return hasher.finishHex();
}

} // namespace

Status status(const QString& path)
{
    // Non-blocking, so that a FIFO in the program's place cannot hold the scan.
    const FileDescriptor file(
        openWithoutAccessDate(AT_FDCWD, QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0)
        return Status::unreadable;
    struct stat st {
    };
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return Status::unreadable;

    QByteArray value(kRecordLimit + 1, Qt::Uninitialized);
    const ssize_t size = ::fgetxattr(file.get(), kAttribute, value.data(), size_t(value.size()));
    if (size < 0)
        return errno == ERANGE ? Status::invalid : Status::unsignedCode;
    value.truncate(size);

    const qsizetype blank = value.indexOf(' ');
    if (blank < 0)
        return Status::invalid;
    const QByteArray authority = value.left(blank);
    const QByteArray digest = value.mid(blank + 1);
    if (digest.size() != kDigestLength || !isLowerHex(digest))
        return Status::invalid;
    Status signedStatus;
    if (authority == "apple")
        signedStatus = Status::appleSigned;
    else if (authority == "notarized")
        signedStatus = Status::notarized;
    else if (authority == "developerID")
        signedStatus = Status::developerID;
    else if (authority == "adhoc")
        signedStatus = Status::noAuthority;
    else
        return Status::invalid;

    const std::optional<QString> actual = contentDigest(file.get());
    if (!actual)
        return Status::unreadable;
    return *actual == QLatin1StringView(digest) ? signedStatus : Status::invalid;
}

QString attributeName()
{
    return QString::fromLatin1(kAttribute);
}

QByteArray record(const QString& authority, const QByteArray& content)
{
    return authority.toUtf8() + ' ' + Sha256::hex(content).toLatin1();
}

} // namespace Platform::CodeSigning
