#pragma once

#include "Core/Progress.h"
#include "Core/ScanModel.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QUuid>

#include <optional>
#include <stop_token>

namespace Platform {
class ApplicationProcesses;
}

// One installed application as the uninstaller shows it: its bundle, what the bundle declares, its size on
// disk, its last use and the data it keeps in the user's Library. A plain value: everything is read when it is
// built and kept as it was then. It holds no icon; a screen asks its workspace for the icon of `url`.
struct InstalledApp {
    QUuid id; // new for every value built, even of the same bundle
    QString url;
    QString name;
    QString bundleID; // as declared, case kept; empty when the bundle declares none
    QString version;  // "—" when the bundle declares none
    qint64 size = 0;  // allocated bytes of the whole bundle
    std::optional<QDateTime> lastUsed;
    bool isAppleApp = false;
    QList<ScanItem> leftovers; // largest first

    friend bool operator==(const InstalledApp&, const InstalledApp&) = default;

    // The application at `url`, its leftovers included; nothing when `url` is no readable bundle (no folder, or
    // one whose name does not end in ".app").
    // Walks the bundle and lists the Library folders, so it takes time.
    static std::optional<InstalledApp> make(const QString& url);

    // The applications of /Applications, /Applications/Utilities and ~/Applications, each with its subfolders
    // one level down ("/Applications/Acme Suite/Acme Writer.app"), largest total first. Reports i/n with the
    // bundle's file name before each of n candidates, then (1.0, "") also when stopped, which returns those
    // built so far.
    static QList<InstalledApp> loadAll(const Progress& progress, std::stop_token stop = {});

    // An installed application as other applications' leftovers see it.
    struct Neighbour {
        QString bundleID; // as declared, case kept; empty when none
        QString name;
        QString url;
        friend bool operator==(const Neighbour&, const Neighbour&) = default;
    };

    // The installed applications of /Applications, its Utilities, /System/Applications, its Utilities and
    // ~/Applications, with their subfolders one level down, in that order; and first the running application
    // itself, wherever it runs from.
    static QList<Neighbour> installedNeighbours();

    // installedNeighbours() by bundle identifier (as declared, case kept), a later folder winning; those that
    // declare none are left out.
    static QHash<QString, QString> installedIdentifiers();

    // The lower-case texts a Library entry of this application is named after: the identifier (only when it
    // may name the app's own entries, BundleIdentifier::isOwnName), its last part and the name without
    // spaces, the last two only when at least four characters long.
    QSet<QString> matchKeys() const;

    // The entries of eleven Library folders named after one of the app's needles, largest first; none for an
    // Apple application, never one of the system's own (BundleIdentifier::isSystemEntry). An entry that another
    // of `installed` names by its identifier more closely is that application's and left out
    // ("com.example.editor.helper" is the helper's, not the editor's). An entry that another one claims as
    // closely is shared: it is offered unticked and risky, its detail naming who else claims it.
    static QList<ScanItem> leftoversOf(const InstalledApp& app, const QList<Neighbour>& installed);

    // What removing the app takes: its bundle (while it still exists and has a size), then its stored
    // leftovers that are ticked, when asked.
    static QList<ScanItem> bundleItems(const InstalledApp& app, bool includingLeftovers);

    // Whether an application with this very identifier runs now, among `applications`.
    bool isRunning(const Platform::ApplicationProcesses& applications) const;

    // Asks every running application of `applications` with this identifier to quit; returns at once.
    void terminate(const Platform::ApplicationProcesses& applications) const;

    qint64 totalSize() const;
};
