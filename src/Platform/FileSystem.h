#pragma once

#include <sys/types.h>

struct stat;

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
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

// What tells an entry apart from every other one that exists at the same time: its device (encoded as FileInfo
// encodes it), its inode and its kind.
struct ItemIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    EntryKind kind = EntryKind::Other;

    friend bool operator==(const ItemIdentity&, const ItemIdentity&) = default;
};

ItemIdentity identityOf(const FileInfo& info);
ItemIdentity identityOf(const struct stat& status);

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

// One folder of walkTreeSideBySide(). Folders reach the visitor in no set order; `id` numbers them for a
// WalkOrder, which puts their entries back in the order walkTree() would visit them.
struct WalkedFolder {
    std::string_view rawPath;           // absolute, cleaned, as the file system's bytes
    std::uint32_t id = 0;               // 0 for the root
    std::span<const LeanEntry> entries; // in byte order of their names, as walkTree() gives them

    QString path() const;
};

// Called once for each folder read, on any thread of the walk pool (several at once): sets `enter[i]` for
// each entry i that is a folder to walk into (all false on entry).
using FolderVisitor = std::function<void(const WalkedFolder& folder, std::vector<char>& enter)>;

// The order of walkTree() for what walkTreeSideBySide() gave, from one number kept per folder while the walk
// runs (the folder it was entered from). Filled by the walk; read once it is over.
class WalkOrder final
{
public:
    // A key for an entry of folder `folder` (WalkedFolder::id) that `foldersBefore` of the folders entered from
    // that folder come before: walkTree() meets entries in the order of their keys, and entries of one folder
    // with the same key in the order of the folder's entries.
    std::uint64_t key(std::uint32_t folder, std::uint32_t foldersBefore) const;

private:
    friend class SideBySideWalk;

    // Numbers `count` folders entered from `parent`, in its entries' order: the first of them.
    std::uint32_t enter(std::uint32_t parent, std::uint32_t count);
    // Ranks the folders as walkTree() meets them, once the walk is over.
    void finish();

    std::mutex m_mutex;
    std::vector<std::uint32_t> m_parents{0}; // by number; the root's own is itself
    // Once finished, by number: the rank in walkTree()'s order, the rank past the last folder below, and the
    // first folder entered from it (those entered from one folder are numbered in a row).
    std::vector<std::uint32_t> m_rank;
    std::vector<std::uint32_t> m_end;
    std::vector<std::uint32_t> m_first;
    std::vector<std::uint32_t> m_count;
};

// The same tree as walkTree() with the same entries, names and folders left out, read folder by folder side
// by side on the walk pool, each folder opened from the one above it without passing through a link: any
// depth and path length is read, and a folder replaced or removed meanwhile is passed over. A stop is seen
// between folders. `order`, when given, receives what puts the folders back in walkTree()'s order;
// `complete`, when given, says whether every folder was read whole (as walkTree() says it). Returns false
// when `stop` ended the walk early.
bool walkTreeSideBySide(const QString& root, const FolderVisitor& visit, std::stop_token stop = {},
                        WalkOrder* order = nullptr, bool* complete = nullptr);

// Whether a folder at `path` is one the Mac shows as a single document or bundle ("Lumen.app",
// "Rapport.pages", "Photos.photoslibrary"): decided by its extension alone, from one fixed list, in any
// letter case, so that a walk spends no extra file-system call per folder. The caller knows it is a folder.
bool isPackage(const QString& path);

} // namespace Platform
