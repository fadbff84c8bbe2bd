#pragma once

#include <sys/types.h>

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

// Reading the file system. Every walk of the system goes through walkTree(): it works with
// directory-relative calls, never follows a symbolic link, and never yields an entry whose name cannot be
// represented faithfully as a QString (such an entry could not be named again without risking another
// file in its place).
namespace Platform {

enum class EntryKind { Regular, Directory, Symlink, Other };

struct FileInfo {
    QString path; // absolute, cleaned
    QString name; // last component
    EntryKind kind = EntryKind::Other;
    qint64 logicalSize = 0;
    qint64 allocatedSize = 0; // st_blocks × 512
    quint64 device = 0;
    quint64 inode = 0;
    quint32 mode = 0; // permission bits and file type, as st_mode
    quint32 ownerID = 0;
    quint64 linkCount = 0;
    QDateTime modified;
    QDateTime accessed;
    QDateTime statusChanged;
    std::optional<QDateTime> created; // absent where the file system keeps no birth time

    bool isRegular() const { return kind == EntryKind::Regular; }
    bool isDirectory() const { return kind == EntryKind::Directory; }
    bool isSymlink() const { return kind == EntryKind::Symlink; }
};

// The entry at `path` itself (a link is described, not followed); nothing when it cannot be read.
// `errorNumber`, when given, receives errno on failure.
std::optional<FileInfo> fileInfo(const QString& path, int* errorNumber = nullptr);

// Whether a raw file name decodes to a QString that encodes back to the same bytes.
bool nameSurvivesDecoding(const char* name);

// The entries of one folder, sorted by name in byte order, without "." and "..". An entry whose name does
// not survive decoding is left out. An unreadable folder gives an empty list and sets `errorNumber`.
std::vector<FileInfo> listFolder(const QString& folder, int* errorNumber = nullptr);

// The paths of one folder's entries, in the same order and with the same names left out as listFolder(),
// without looking at each entry: for callers that look at the entries themselves.
std::vector<QString> listFolderPaths(const QString& folder, int* errorNumber = nullptr);

enum class WalkStep { Continue, SkipDescendants };

// Called for every entry below the root (not the root itself), parents before children; `depth` is 1 for
// the root's own entries. Return SkipDescendants to leave a folder's contents out.
using WalkVisitor = std::function<WalkStep(const FileInfo& entry, int depth)>;

// Walks the tree below `root` in pre-order, each folder's entries in byte order of their names. Links are
// yielded as links and never entered; unreadable folders are passed over, and `complete`, when given, then
// says false (a folder that went away or became a link meanwhile does not count). Any depth and path length
// is walked, with a bounded number of open descriptors. Returns false when `stop` ended the walk early
// (checked between entries), true otherwise.
bool walkTree(const QString& root, const WalkVisitor& visit, std::stop_token stop = {}, bool* complete = nullptr);

// One entry of a folder as the lean listings give it: its name, what the listing tells of it, and for a regular
// file what one look at it gives. Folders, links and other entries are not looked at (their sizes stay 0).
struct LeanEntry {
    std::string name; // the raw name; it survives decoding
    EntryKind kind = EntryKind::Other;
    qint64 allocatedSize = 0; // regular files only: st_blocks × 512
    qint64 logicalSize = 0;   // regular files only: st_size
    qint64 modifiedMSecs = 0; // regular files only: since the epoch, UTC
    quint64 device = 0;       // regular files only, as FileInfo gives them
    quint64 inode = 0;
    quint64 linkCount = 0;
};

// The entries of one folder, in the same order and with the same names left out as listFolder(), for walks
// that keep little of each: no path or dates built, and no look at folders. An unreadable folder gives an empty
// list and sets `errorNumber`.
std::vector<LeanEntry> listFolderLean(const QString& folder, int* errorNumber = nullptr);

// A folder held open so that many of its entries can be looked at by name, relative to it, without the path
// being walked again for each. The folder is opened by its path (the last component not followed), once.
class OpenedFolder final
{
public:
    explicit OpenedFolder(const QString& path);
    ~OpenedFolder();
    OpenedFolder(const OpenedFolder&) = delete;
    OpenedFolder& operator=(const OpenedFolder&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // The entry `name` (raw bytes) of the folder, a link described and not followed: its kind, allocated size
    // and, for every kind, its modification date; nothing when it cannot be read.
    std::optional<LeanEntry> look(const char* name) const;

private:
    int m_fd = -1;
};

// One folder of walkTreeSideBySide(). Folders reach the visitor in no set order; `place` orders them and
// their entries as walkTree() would visit them: the positions of the folder and of each folder above it in
// their parents' entries, from the root's down (empty for the root). Compared element by element, a
// shorter one that starts another comes first.
struct WalkedFolder {
    const QString& path; // absolute, cleaned
    std::span<const quint32> place;
    std::span<const LeanEntry> entries; // in byte order of their names, as walkTree() gives them
};

// Called once for each folder read, on any thread of the walk pool (several at once): sets `enter[i]` for
// each entry i that is a folder to walk into (all false on entry).
using FolderVisitor = std::function<void(const WalkedFolder& folder, std::vector<char>& enter)>;

// The same tree as walkTree() with the same entries, names and folders left out, read folder by folder side
// by side on the walk pool: each folder is opened from the root without passing through a link, so a
// folder replaced or removed meanwhile is passed over. A stop is seen between folders. Returns false when
// `stop` ended the walk early.
bool walkTreeSideBySide(const QString& root, const FolderVisitor& visit, std::stop_token stop = {});

// Whether a folder at `path` is one the Mac shows as a single document or bundle ("Lumen.app",
// "Rapport.pages", "Photos.photoslibrary"): decided by its extension alone, from one fixed list, in any
// letter case, so that a walk spends no extra file-system call per folder. The caller knows it is a folder.
bool isPackage(const QString& path);

} // namespace Platform
