#include "Platform/FileSystem.h"

#include "Platform/OpenFolder.h"
#include "Platform/SystemRoot.h"
#include "Platform/TreeWalk.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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
    std::vector<std::string> names;
    const int error = readFolderNames(dirFd, [&names](const char* name, unsigned char) {
        if (nameSurvivesDecoding(name))
            names.emplace_back(name);
        return true;
    });
    if (error != 0 && errorNumber)
        *errorNumber = error;
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

std::vector<LeanEntry> readLean(int fd, int* errorNumber);

// Folders open at once along one walk, the root included; the others are closed and reopened when the walk
// comes back to them, so that a tree of any depth fits in any descriptor limit.
constexpr size_t kOpenFolders = 16;

// A folder on the walk's stack. Its entries are read at once, so its descriptor is needed only to open
// its subfolders; while it is closed, `device` and `inode` let the reopening check it is the same folder.
struct Frame {
    int fd = -1;
    dev_t device = 0;
    ino_t inode = 0;
    std::vector<RawEntry> entries;
    size_t next = 0;
};

// Pre-order with an explicit stack, so that the depth of a tree costs memory, not thread stack.
bool walkFrom(int rootFd, const QString& rootPath, const WalkVisitor& visit, const std::stop_token& stop,
              bool& complete)
{
    std::vector<Frame> stack;
    std::vector<QString> paths; // beside the frames: one folder's path each
    size_t openCount = 0;
    size_t firstOpen = 1; // frames above this one (the root excepted) are closed
    const auto push = [&](int fd, const QString& path) {
        Frame frame;
        frame.fd = fd;
        struct stat st {
        };
        if (::fstat(fd, &st) == 0) {
            frame.device = st.st_dev;
            frame.inode = st.st_ino;
        }
        int error = 0;
        frame.entries = readFolder(fd, path, &error);
        if (error != 0)
            complete = false;
        stack.push_back(std::move(frame));
        paths.push_back(path);
        if (++openCount <= kOpenFolders)
            return;
        firstOpen = std::max<size_t>(firstOpen, 1);
        while (stack[firstOpen].fd < 0)
            ++firstOpen;
        ::close(stack[firstOpen].fd);
        stack[firstOpen].fd = -1;
        --openCount;
    };
    const auto pop = [&] {
        Frame& done = stack.back();
        if (stack.size() > 1) {
            Frame& parent = stack[stack.size() - 2];
            // Reopened even when it has nothing left to open: it is the way back to the folders above it.
            if (parent.fd < 0) {
                parent.fd = reopenParent(done.fd, parent.device, parent.inode);
                if (parent.fd < 0) {
                    complete = false;
                    parent.next = parent.entries.size();
                } else {
                    ++openCount;
                    firstOpen = std::min(firstOpen, stack.size() - 2);
                }
            }
        }
        if (done.fd >= 0) {
            ::close(done.fd);
            --openCount;
        }
        stack.pop_back();
        paths.pop_back();
    };
    push(rootFd, rootPath);
    bool finished = true;
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.entries.size()) {
            pop();
            continue;
        }
        if (stop.stop_requested()) {
            finished = false;
            break;
        }
        const RawEntry& entry = top.entries[top.next++];
        const WalkStep step = visit(entry.info, int(stack.size()));
        if (step == WalkStep::SkipDescendants || !entry.info.isDirectory())
            continue;
        const int childFd = openFolderForReading(top.fd, entry.name.c_str());
        if (childFd < 0) {
            if (lostPart(errno))
                complete = false;
            continue; // unreadable, replaced by a link, or gone: passed over
        }
        push(childFd, entry.info.path);
    }
    for (Frame& frame : stack) {
        if (frame.fd >= 0)
            ::close(frame.fd);
    }
    return finished && !stop.stop_requested();
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

std::vector<LeanEntry> listFolderLean(const QString& folder, int* errorNumber)
{
    const int fd = openFolderForReading(AT_FDCWD, QFile::encodeName(absolutePath(folder)).constData());
    if (fd < 0) {
        if (errorNumber)
            *errorNumber = errno;
        return {};
    }
    std::vector<LeanEntry> entries = readLean(fd, errorNumber);
    ::close(fd);
    return entries;
}

OpenedFolder::OpenedFolder(const QString& path)
    : m_fd(openFolderForReading(AT_FDCWD, QFile::encodeName(absolutePath(path)).constData()))
{
}

OpenedFolder::~OpenedFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::optional<LeanEntry> OpenedFolder::look(const char* name) const
{
    struct stat st {
    };
    if (m_fd < 0 || ::fstatat(m_fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    LeanEntry entry;
    entry.name = name;
    entry.kind = kindOf(st.st_mode);
    entry.allocatedSize = qint64(st.st_blocks) * 512;
    entry.logicalSize = qint64(st.st_size);
    entry.modifiedMSecs = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    entry.device = (quint64(major(st.st_dev)) << 32) | minor(st.st_dev);
    entry.inode = st.st_ino;
    entry.linkCount = st.st_nlink;
    return entry;
}

std::vector<QString> listFolderPaths(const QString& folder, int* errorNumber)
{
    std::vector<QString> result;
    const QString cleaned = absolutePath(folder);
    const int fd = openFolderForReading(AT_FDCWD, QFile::encodeName(cleaned).constData());
    if (fd < 0) {
        if (errorNumber)
            *errorNumber = errno;
        return result;
    }
    std::vector<std::string> names;
    const int error = readFolderNames(fd, [&names](const char* name, unsigned char) {
        if (nameSurvivesDecoding(name))
            names.emplace_back(name);
        return true;
    });
    ::close(fd);
    if (error != 0 && errorNumber)
        *errorNumber = error;
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    result.reserve(names.size());
    for (const std::string& name : names)
        result.push_back(joined(cleaned, QFile::decodeName(name.c_str())));
    return result;
}

bool walkTree(const QString& root, const WalkVisitor& visit, std::stop_token stop, bool* complete)
{
    bool whole = true;
    const QString cleaned = absolutePath(root);
    const int fd = openFolderForReading(AT_FDCWD, QFile::encodeName(cleaned).constData());
    if (fd < 0) {
        if (complete)
            *complete = !lostPart(errno);
        return !stop.stop_requested();
    }
    const bool finished = walkFrom(fd, cleaned, visit, stop, whole);
    if (complete)
        *complete = whole;
    return finished;
}

namespace {

// The lean listing of the folder open at `fd`, which stays open.
std::vector<LeanEntry> readLean(int fd, int* errorNumber)
{
    // One list from the start, the kind parked in `linkCount` until the look below: a folder of many thousand
    // names is held once, not as names and then entries.
    std::vector<LeanEntry> entries;
    const auto reserve = [&entries](std::size_t count) { entries.reserve(count); };
    const int error = readFolderNames(fd, reserve, [&entries](const char* name, unsigned char type) {
        if (nameSurvivesDecoding(name)) {
            LeanEntry& entry = entries.emplace_back();
            entry.name = name;
            entry.linkCount = type;
        }
        return true;
    });
    if (error != 0 && errorNumber)
        *errorNumber = error;
    const auto byName = [](const LeanEntry& a, const LeanEntry& b) { return a.name < b.name; };
    std::sort(entries.begin(), entries.end(), byName);
    // A name removed and made again while the folder is read may be returned twice.
    entries.erase(std::unique(entries.begin(), entries.end(),
                              [](const LeanEntry& a, const LeanEntry& b) { return a.name == b.name; }),
                  entries.end());
    std::size_t kept = 0;
    for (LeanEntry& entry : entries) {
        const auto type = static_cast<unsigned char>(entry.linkCount);
        entry.linkCount = 0;
        switch (type) {
        case DT_DIR:
            entry.kind = EntryKind::Directory;
            break;
        case DT_LNK:
            entry.kind = EntryKind::Symlink;
            break;
        case DT_REG:
        case DT_UNKNOWN: {
            struct stat st {
            };
            if (::fstatat(fd, entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue; // vanished meanwhile
            entry.kind = kindOf(st.st_mode);
            if (entry.kind == EntryKind::Regular) {
                entry.allocatedSize = qint64(st.st_blocks) * 512;
                entry.logicalSize = qint64(st.st_size);
                entry.modifiedMSecs = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
                entry.device = (quint64(major(st.st_dev)) << 32) | minor(st.st_dev);
                entry.inode = st.st_ino;
                entry.linkCount = st.st_nlink;
            }
            break;
        }
        default:
            break;
        }
        if (&entries[kept] != &entry)
            entries[kept] = std::move(entry);
        ++kept;
    }
    entries.resize(kept);
    return entries;
}

} // namespace

// What the side-by-side walk takes from one folder: its lean listing, shown to the visitor, and the folders
// the visitor enters, numbered for the walk's order.
class SideBySideWalk final
{
public:
    static constexpr bool kPaths = true;

    SideBySideWalk(const FolderVisitor& visit, std::stop_token stop, WalkOrder& order)
        : m_visit(visit), m_stop(std::move(stop)), m_order(order)
    {
    }

    int read(int fd, std::string_view path, std::uint32_t id, std::vector<TreeWalk::Subfolder>& subfolders,
             long& counted)
    {
        if (m_stop.stop_requested())
            return ECANCELED;
        int error = 0;
        std::vector<LeanEntry> entries = readLean(fd, &error);
        counted += long(entries.size());
        std::vector<char> enter(entries.size(), 0);
        m_visit(WalkedFolder{path, id, entries}, enter);
        std::uint32_t entered = 0;
        for (std::size_t i = 0; i < entries.size(); ++i)
            entered += enter[i] && entries[i].kind == EntryKind::Directory ? 1 : 0;
        if (entered == 0)
            return error;
        std::uint32_t next = m_order.enter(id, entered);
        subfolders.reserve(entered);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (enter[i] && entries[i].kind == EntryKind::Directory)
                subfolders.push_back({std::move(entries[i].name), next++});
        }
        return error;
    }

    static void finish(WalkOrder& order) { order.finish(); }

private:
    const FolderVisitor& m_visit;
    std::stop_token m_stop;
    WalkOrder& m_order;
};

QString WalkedFolder::path() const
{
    return QFile::decodeName(QByteArray::fromRawData(rawPath.data(), qsizetype(rawPath.size())));
}

std::uint32_t WalkOrder::enter(std::uint32_t parent, std::uint32_t count)
{
    const std::lock_guard lock(m_mutex);
    const auto first = std::uint32_t(m_parents.size());
    m_parents.resize(m_parents.size() + count, parent);
    return first;
}

void WalkOrder::finish()
{
    const std::size_t folders = m_parents.size();
    m_first.assign(folders, 0);
    m_count.assign(folders, 0);
    for (std::uint32_t id = std::uint32_t(folders) - 1; id >= 1; --id) {
        m_first[m_parents[id]] = id;
        ++m_count[m_parents[id]];
    }
    // Depth first from the root, each folder's own in their order, with an explicit stack.
    m_rank.assign(folders, 0);
    m_end.assign(folders, 0);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> stack{{0, 0}}; // a folder, and its next one to enter
    std::uint32_t rank = 0;
    m_rank[0] = rank++;
    while (!stack.empty()) {
        auto& [folder, next] = stack.back();
        if (next == m_count[folder]) {
            m_end[folder] = rank;
            stack.pop_back();
            continue;
        }
        const std::uint32_t child = m_first[folder] + next++;
        m_rank[child] = rank++;
        stack.emplace_back(child, 0);
    }
}

std::uint64_t WalkOrder::key(std::uint32_t folder, std::uint32_t foldersBefore) const
{
    // Placed just before the next folder walkTree() meets: the folder entered after it, or the first one past
    // everything below its own folder. Entries placed at one point lie in folders one above the other; the
    // deeper folder's come first.
    const std::uint32_t at = foldersBefore < m_count[folder] ? m_rank[m_first[folder] + foldersBefore] : m_end[folder];
    return (std::uint64_t(at) << 32) | std::uint32_t(~m_rank[folder]);
}

namespace {

bool walkFromRoot(const QString& root, const FolderVisitor& visit, std::stop_token stop, WalkOrder& order,
                  bool* complete)
{
    const QString cleaned = absolutePath(root);
    QByteArray rawRoot = QFile::encodeName(cleaned);
    const int rootFd = openFolderForReading(AT_FDCWD, rawRoot.constData());
    if (rootFd < 0) {
        if (complete)
            *complete = !lostPart(errno);
        SideBySideWalk::finish(order);
        return !stop.stop_requested();
    }
    SideBySideWalk reader(visit, stop, order);
    const bool whole = TreeWalk::walk(reader, rootFd, rawRoot.toStdString(), 0, stop);
    SideBySideWalk::finish(order);
    if (complete)
        *complete = whole;
    return !stop.stop_requested();
}

} // namespace

bool walkTreeSideBySide(const QString& root, const FolderVisitor& visit, std::stop_token stop, WalkOrder* order,
                        bool* complete)
{
    if (order)
        return walkFromRoot(root, visit, std::move(stop), *order, complete);
    WalkOrder unused;
    return walkFromRoot(root, visit, std::move(stop), unused, complete);
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

ItemIdentity identityOf(const FileInfo& info)
{
    return {info.device, info.inode, info.kind};
}

ItemIdentity identityOf(const struct stat& status)
{
    return {(quint64(major(status.st_dev)) << 32) | minor(status.st_dev), quint64(status.st_ino),
            kindOf(quint32(status.st_mode))};
}

} // namespace Platform
