#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

#include <sys/stat.h>

// Reaching an entry that is about to be changed without ever passing through a symbolic link. A path's text
// says nothing about where it leads once a folder above the entry has been swapped for a link, so every
// change of a removal starts from an anchor (the home folder, the temporary folder, a volume's root, the
// system root or one of its fixed locations, or "/"), opened once and followed as it stands, and goes down
// folder by folder without following anything. The change is then made relative to the parent folder that
// was actually opened.
namespace Platform {

// "Le chemin a changé depuis l'analyse : non supprimé.": a link stood above the entry.
QString linkOnTheWayText();

// The refusal for a path that does not name one entry faithfully.
QString unfaithfulNameText();

// Whether `path` converts to the file system's bytes and back unchanged, holds no NUL (which would cut it
// short) and no U+FFFD (left where an earlier decoding dropped bytes it could not read, so that the path
// may name a neighbour of the entry meant).
bool pathSurvivesEncoding(const QString& path);

// An entry reached by SafeReach: the folder holding it is open, and the entry was looked at (not followed).
class ReachedItem final
{
public:
    ReachedItem() = default;
    ReachedItem(ReachedItem&& other) noexcept;
    ReachedItem& operator=(ReachedItem&& other) noexcept;
    ReachedItem(const ReachedItem&) = delete;
    ReachedItem& operator=(const ReachedItem&) = delete;
    ~ReachedItem();

    int parentFd() const { return m_parentFd; }
    const QByteArray& name() const { return m_name; } // the last component, as bytes
    const QString& path() const { return m_path; }    // the cleaned absolute path asked for
    const struct stat& status() const { return m_status; }

    // Where the entry actually is, under every name that place has: the path asked for, the open folder's
    // own path on this system with the name appended, and that path written under the home folder's and the
    // system root's usual names when it lies under their real places. Safety rules are checked on each.
    const QStringList& places() const { return m_places; }

    // The open folder's own path on this system with the name appended (the path asked for when the system
    // cannot tell): what a change actually touches.
    const QString& actualPath() const { return m_actualPath; }

    // Looks for the entry again in the same open folder, wherever that folder is now: 0 when something
    // stands under its name, else errno (ENOENT when nothing does).
    int lookAgain() const;

private:
    friend class SafeReach;

    int m_parentFd = -1;
    QByteArray m_name;
    QString m_path;
    QString m_actualPath;
    QStringList m_places;
    struct stat m_status {
    };
};

struct Reach {
    enum class Outcome {
        Reached,
        Missing,      // nothing there, or something that is not a folder above it
        LinkOnTheWay, // a folder above the entry, below its anchor, is a link
        Unfaithful,   // the path fails pathSurvivesEncoding()
        Failed,       // any other error (`error` holds errno)
    };

    Outcome outcome = Outcome::Failed;
    ReachedItem item; // when Reached
    int error = 0;

    // The French reason for an outcome other than Reached (Missing reads as the system's "does not exist").
    QString failureText() const;
};

// The anchors of one batch of changes, each opened at its first use and kept until the end.
class SafeReach final
{
public:
    SafeReach();
    ~SafeReach();
    SafeReach(const SafeReach&) = delete;
    SafeReach& operator=(const SafeReach&) = delete;

    // Opens the folder holding `path` from the deepest anchor strictly above it and looks at the entry.
    Reach reach(const QString& path);

    // Opens the Trash that receives `item`, creating the missing folders, reached the same way: the home
    // folder's ".Trash" for an item on the home folder's volume, the volume's ".Trashes/<uid>" for an item
    // on a volume mounted in the system root's "/Volumes". Nothing and the open folder in `fd` (the
    // caller closes it) and its path in `folder`; otherwise a French refusal.
    std::optional<QString> openTrashFor(const ReachedItem& item, int* fd, QString* folder);

    // Where the kernel offers openat2 with its resolution flags, it walks the path in one call; otherwise,
    // and always when this is set (for tests of that walk), one folder at a time with O_NOFOLLOW.
    static void setComponentWalkOnly(bool only);

private:
    int anchorFd(const QString& anchor); // the open anchor, or -errno
    QString anchorFor(const QString& path) const;
    void collectPlaces(ReachedItem& item);

    QString m_home;
    QString m_root;
    QStringList m_fixed; // anchors that hold any path under them, deepest first
    QHash<QString, int> m_fds;
    QHash<QString, QString> m_realPaths;
};

} // namespace Platform
