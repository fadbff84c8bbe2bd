#pragma once

#include <QString>

#include <optional>

// Where the Mac's fixed locations live. Every absolute system location ("/Applications", "/Library",
// "/usr/bin/tmutil", "/Volumes", …) is built through systemPath(), which places it under the system root:
// "/" on a Mac, or the folder named by QUORVANE_ROOT, where a demonstration Mac is laid out.
//
//   QUORVANE_ROOT unset        systemPath("/Applications") == "/Applications"
//   QUORVANE_ROOT=/srv/mac     systemPath("/Applications") == "/srv/mac/Applications"
//                              systemPath("/")             == "/srv/mac"
namespace Platform {

// The system root as a cleaned absolute path without a trailing slash, except "/" itself. Read from the
// environment on every call, so that a test that changes QUORVANE_ROOT sees the change.
QString systemRoot();

// An absolute Mac location placed under the system root.
QString systemPath(const QString& macPath);

// The inverse of systemPath(): the Mac location of a path that lies equal to or under the system root, as
// an absolute path ("/" for the root itself); an empty string for a path outside it.
QString macPathOf(const QString& path);

// A path as the Mac's user reads it: "~" for the home folder and what lies under it, the Mac location for what
// lies under the system root, anything else as it stands. Every path shown on screen goes through it, so that
// a demonstration Mac reads as a Mac.
//
//   HOME=/srv/mac/Users/al, QUORVANE_ROOT=/srv/mac
//     "/srv/mac/Users/al/Documents"        → "~/Documents"
//     "/srv/mac/usr/libexec/diskhelperd"   → "/usr/libexec/diskhelperd"
//     "/opt/elsewhere"                     → "/opt/elsewhere"
QString displayPath(const QString& path);
// The same against a home folder read once by a caller that shows many paths.
QString displayPath(const QString& path, const QString& homeFolder);

// The user's home folder: $HOME, cleaned; "/" when unset.
QString homeFolder();

// The user's temporary folder: $TMPDIR, cleaned; the system root's "/tmp" when unset. The demonstration
// Mac and the tests point TMPDIR inside their own folder, never at this machine's /tmp.
QString temporaryFolder();

// The standardised form of an absolute path: "." and ".." resolved ("/.." is "/", as the system reads it),
// redundant and trailing slashes dropped. Nothing for an empty or relative path, whose meaning would depend
// on the working folder. The file system is not consulted.
//
//   "/Users/al/../bob/"   → "/Users/bob"
//   "/../System"          → "/System"
//   "Downloads", "~/x"    → nothing
std::optional<QString> standardizedPath(const QString& path);

// A path made absolute (relative to the working folder) and cleaned, without consulting the file system.
// An empty path reads as "/", which every operation that changes the file system refuses, so that a missing
// path can never stand for the working folder.
QString absolutePath(const QString& path);

// Whether `path` is equal to `location` or lies under it (followed by "/"). Both are compared as cleaned
// absolute paths; "/" contains every absolute path.
bool isEqualOrUnder(const QString& path, const QString& location);

// The folder that holds `path`, a cleaned absolute path: "/" for an item at the top (and for "/" itself).
QString parentOf(const QString& path);

} // namespace Platform
