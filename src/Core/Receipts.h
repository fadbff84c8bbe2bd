#pragma once

#include <QDateTime>
#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What the system's package database ("/usr/sbin/pkgutil") knows of installed packages, and which of them
// installed files of an application ("traces"), for the uninstaller. Apple's own packages are never looked
// at. Every call runs the tool anew and blocks until it ends; a tool that fails gives an empty answer. The
// recorded paths are Mac locations, found here under the system root.
namespace Receipts {

struct Package {
    QString id;
    QString version;
    QString location; // relative to the volume; may be empty
    QString volume;   // "/" when the tool names none
    std::optional<QDateTime> installedAt;

    friend bool operator==(const Package&, const Package&) = default;
};

size_t qHash(const Package& package, size_t seed = 0) noexcept;

struct Trace {
    Package package;
    QStringList files; // the package's files that exist and are not protected, in the tool's order
    qint64 bytes = 0;  // on disk, all of `files`, those inside the application included; links count nothing

    // The files that are neither the application at `application` nor inside it, in order: what removing the
    // application leaves behind.
    QStringList filesOutside(const QString& application) const;

    friend bool operator==(const Trace&, const Trace&) = default;
};

// The tool's output, one line each with its spaces and tabs trimmed, blank lines left out.
QStringList outputLines(const QString& output);

// The package `identifier` as the lines of "pkgutil --pkg-info" describe it; nothing without a version.
std::optional<Package> packageFromInfo(const QString& identifier, const QStringList& lines);

// Where a file recorded for `package` lies on the Mac, standardised; nothing for a path that cannot be named
// faithfully again.
std::optional<QString> recordedMacPath(const Package& package, const QString& recorded);

// Every package but Apple's, newest install first; undated ones last.
QList<Package> allPackages();

// The package with that identifier; nothing when the tool knows none or gives no version.
std::optional<Package> packageInfo(const QString& identifier);

// The package's recorded files that exist (a link to nothing does not) and are not protected.
QStringList files(const Package& package);

// The packages that own the application at `application` or a file inside it, newest install first.
QList<Trace> traces(const QString& application);

// Whether `a` was installed after `b`; a package without a date counts as installed at the dawn of time.
bool isInstalledLater(const Package& a, const Package& b);

} // namespace Receipts
