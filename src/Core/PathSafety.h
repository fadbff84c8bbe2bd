#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// May a location be touched at all? Asked by every scanner that walks the file system and by the removal
// engine before anything is listed or removed. Pure functions of their input, the home folder, the system
// root and (for the probe only) the file system; callable from any thread.
namespace PathSafety {

// The path followed by its other name, if it has one: a path under "/private/" also stands without that
// prefix, and "/var", "/tmp", "/etc" (and what lies under them) also stand with "/private" before them.
//
//   "/private/var/log" → {"/private/var/log", "/var/log"}
//   "/tmp"             → {"/tmp", "/private/tmp"}
//   "/usr/bin"         → {"/usr/bin"}        "/private" → {"/private"}
QStringList aliases(const QString& path);

// Whether standardised `path` equals `location` or lies under it ("/usr/lib/x" is under "/usr/lib",
// "/usr/libexec" is not). A location that already ends with "/" is used as it stands.
bool isEqualOrUnder(QStringView path, QStringView location);

// True when the location must never be listed or removed:
// - it is, or lies under, a protected system folder ("/System", "/usr/bin", "/private/var/db", …) or a
//   personal-data folder of the home ("~/Library/Keychains", "~/Pictures/Photos Library.photoslibrary", …);
// - it is the root, the home folder, or a top-level folder ("/Applications", "/tmp", and "/private/var" as
//   the twin of "/var");
// - it holds any of those ("~/Library", "~/Pictures", "/private/var", a folder holding the home or the
//   system root): removing it whole would remove them too.
// The system rules are applied both to the path itself and to its place on the Mac laid out under the system
// root, so this machine's "/usr" and the demonstration Mac's "System" are both protected. An empty or
// relative path, whose target cannot be known, is protected too.
bool isProtected(const QString& url);

// isProtected() made ready once for a walk that judges many paths: the home folder, the system root and the
// personal items are read and joined when it is made, and a path already clean is judged without a copy. It
// answers as isProtected() does for every path while the home folder and the system root stay as they were.
// Callable from any thread.
class ProtectedPaths final
{
public:
    ProtectedPaths();
    bool contains(const QString& url) const;

private:
    QString m_home;
    QString m_homePrefix; // the home followed by "/" (just "/" for a home at the root)
    QString m_root;
    QString m_rootPrefix; // the system root followed by "/"; empty when the root is "/"
};

// Whether the application may read what only Full Disk Access opens: true when ~/Library/Application
// Support/com.apple.TCC/TCC.db or ~/Library/Safari/CloudTabs.db opens for reading; false when one of them
// exists but neither opens; true when neither exists (nothing to be refused).
bool hasFullDiskAccess();

} // namespace PathSafety
