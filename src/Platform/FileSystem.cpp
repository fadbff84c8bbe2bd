#include "Platform/FileSystem.h"

#include "Platform/OpenFolder.h"
#include "Platform/SystemRoot.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace Platform {

namespace {

QDateTime toDateTime(const struct statx_timestamp& t)
{
    return QDateTime::fromMSecsSinceEpoch(t.tv_sec * 1000 + t.tv_nsec / 1000000, Qt::UTC);
}

EntryKind kindOf(quint32 mode)
{
    if (S_ISREG(mode))
        return EntryKind::Regular;
    if (S_ISDIR(mode))
        return EntryKind::Directory;
    if (S_ISLNK(mode))
        return EntryKind::Symlink;
    return EntryKind::Other;
}

// statx relative to a folder descriptor, never following a link.
bool statAt(int dirFd, const char* name, FileInfo& info, int* errorNumber)
{
    struct statx st {
    };
    if (::statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_BASIC_STATS | STATX_BTIME, &st) != 0) {
        if (errorNumber)
            *errorNumber = errno;
        return false;
    }
    info.kind = kindOf(st.stx_mode);
    info.logicalSize = qint64(st.stx_size);
    info.allocatedSize = qint64(st.stx_blocks) * 512;
    info.device = (quint64(st.stx_dev_major) << 32) | st.stx_dev_minor;
    info.inode = st.stx_ino;
    info.mode = st.stx_mode;
    info.ownerID = st.stx_uid;
    info.linkCount = st.stx_nlink;
    info.modified = toDateTime(st.stx_mtime);
    info.accessed = toDateTime(st.stx_atime);
    info.statusChanged = toDateTime(st.stx_ctime);
    if (st.stx_mask & STATX_BTIME)
        info.created = toDateTime(st.stx_btime);
    else
        info.created.reset();
    return true;
}

QString joined(const QString& folder, const QString& name)
{
    return folder == u"/" ? QString(u'/' + name) : QString(folder + u'/' + name);
}

struct RawEntry {
    std::string name;
    FileInfo info;
};

// Reads one open folder's decodable entries with their details, sorted by name bytes. Takes ownership of
// nothing: `dirFd` stays open for the caller.
std::vector<RawEntry> readFolder(int dirFd, const QString& folderPath, int* errorNumber)
{
    std::vector<RawEntry> entries;
    const int listFd = ::dup(dirFd);
    if (listFd < 0) {
        if (errorNumber)
            *errorNumber = errno;
        return entries;
    }
    DIR* dir = ::fdopendir(listFd);
    if (dir == nullptr) {
        if (errorNumber)
            *errorNumber = errno;
        ::close(listFd);
        return entries;
    }
    std::vector<std::string> names;
    while (dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        if (!nameSurvivesDecoding(name))
            continue;
        names.emplace_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    // A name removed and made again while the folder is read may be returned twice.
    names.erase(std::unique(names.begin(), names.end()), names.end());
    entries.reserve(names.size());
    for (std::string& name : names) {
        RawEntry raw;
        if (!statAt(dirFd, name.c_str(), raw.info, nullptr))
            continue; // vanished meanwhile
        raw.info.name = QFile::decodeName(name.c_str());
        raw.info.path = joined(folderPath, raw.info.name);
        raw.name = std::move(name);
        entries.push_back(std::move(raw));
    }
    return entries;
}

int openFolder(int parentFd, const char* name)
{
    return openFolderForReading(parentFd, name);
}

// Returns false when stopped.
bool walkFolder(int dirFd, const QString& folderPath, int depth, const WalkVisitor& visit, const std::stop_token& stop)
{
    std::vector<RawEntry> entries = readFolder(dirFd, folderPath, nullptr);
    for (RawEntry& entry : entries) {
        if (stop.stop_requested())
            return false;
        const WalkStep step = visit(entry.info, depth);
        if (step == WalkStep::SkipDescendants || !entry.info.isDirectory())
            continue;
        const int childFd = openFolder(dirFd, entry.name.c_str());
        if (childFd < 0)
            continue; // unreadable, replaced by a link, or gone: passed over
        const bool finished = walkFolder(childFd, entry.info.path, depth + 1, visit, stop);
        ::close(childFd);
        if (!finished)
            return false;
    }
    return !stop.stop_requested();
}

} // namespace

bool nameSurvivesDecoding(const char* name)
{
    bool ascii = true;
    for (const char* c = name; *c; ++c) {
        if (static_cast<unsigned char>(*c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return true;
    return QFile::encodeName(QFile::decodeName(name)) == QByteArrayView(name);
}

std::optional<FileInfo> fileInfo(const QString& path, int* errorNumber)
{
    FileInfo info;
    const QString cleaned = absolutePath(path);
    if (!statAt(AT_FDCWD, QFile::encodeName(cleaned).constData(), info, errorNumber))
        return std::nullopt;
    info.path = cleaned;
    info.name = cleaned == u"/" ? cleaned : cleaned.section(u'/', -1);
    return info;
}

std::vector<FileInfo> listFolder(const QString& folder, int* errorNumber)
{
    std::vector<FileInfo> result;
    const QString cleaned = absolutePath(folder);
    const int fd = openFolderForReading(AT_FDCWD, QFile::encodeName(cleaned).constData());
    if (fd < 0) {
        if (errorNumber)
            *errorNumber = errno;
        return result;
    }
    std::vector<RawEntry> entries = readFolder(fd, cleaned, errorNumber);
    ::close(fd);
    result.reserve(entries.size());
    for (RawEntry& entry : entries)
        result.push_back(std::move(entry.info));
    return result;
}

bool walkTree(const QString& root, const WalkVisitor& visit, std::stop_token stop)
{
    const QString cleaned = absolutePath(root);
    const int fd = openFolderForReading(AT_FDCWD, QFile::encodeName(cleaned).constData());
    if (fd < 0)
        return !stop.stop_requested();
    const bool finished = walkFolder(fd, cleaned, 1, visit, stop);
    ::close(fd);
    return finished;
}

bool isPackage(const QString& path)
{
    // The Mac's bundle types and the document packages of its common applications.
    static constexpr QLatin1StringView extensions[] = {
        QLatin1StringView("app"),         QLatin1StringView("appex"),         QLatin1StringView("bundle"),
        QLatin1StringView("component"),   QLatin1StringView("dsym"),          QLatin1StringView("fcpbundle"),
        QLatin1StringView("framework"),   QLatin1StringView("imovielibrary"), QLatin1StringView("kext"),
        QLatin1StringView("key"),         QLatin1StringView("logicx"),        QLatin1StringView("band"),
        QLatin1StringView("mdimporter"),  QLatin1StringView("musiclibrary"),  QLatin1StringView("numbers"),
        QLatin1StringView("pages"),       QLatin1StringView("photoslibrary"), QLatin1StringView("playground"),
        QLatin1StringView("plugin"),      QLatin1StringView("prefpane"),      QLatin1StringView("qlgenerator"),
        QLatin1StringView("rtfd"),        QLatin1StringView("saver"),         QLatin1StringView("sparsebundle"),
        QLatin1StringView("tvlibrary"),   QLatin1StringView("xcarchive"),     QLatin1StringView("xcodeproj"),
        QLatin1StringView("xcworkspace"), QLatin1StringView("xpc"),
    };
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot <= slash + 1 || dot == path.size() - 1)
        return false; // no extension, or a hidden name such as ".app"
    const QStringView extension = QStringView(path).mid(dot + 1);
    for (QLatin1StringView known : extensions)
        if (extension.compare(known, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace Platform
