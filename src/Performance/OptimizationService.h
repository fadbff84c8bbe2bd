#pragma once

#include "Platform/RunningApplications.h"

#include <QList>
#include <QString>
#include <QUuid>
#include <QVariant>

#include <optional>
#include <vector>

// What starts at login and which running applications weigh the most. Both listings read the machine afresh at
// every call, block their thread (run them off the GUI thread), never fail (an empty list at worst) and give
// every record a new id. The readers behind them are pure functions of what they are given, for the tests.
namespace OptimizationService {

// One thing that starts at login: a launchd job's property list, or a running menu-bar application.
struct LaunchItem {
    QUuid id;
    QString label;
    QString url;     // the property list, or the running application's bundle
    QString program; // what the job runs, the bundle's path, or "—"
    QString scope;   // one of the scope texts below
    bool isEnabled = true;
    QString icon; // the path whose workspace icon the row draws: `program`, or the bundle

    friend bool operator==(const LaunchItem&, const LaunchItem&) = default;
};

// One running application, summed over its processes.
struct HeavyApp {
    QUuid id;
    QString name; // the bundle's name without ".app"
    qint32 pid = 0;
    double cpu = 0;     // processor percentage, summed (may pass 100)
    qint64 memory = 0;  // resident bytes, summed
    QString icon;       // the bundle whose workspace icon the row draws
    QString bundlePath; // the bundle of the group's first process: "Quitter" quits that application

    friend bool operator==(const HeavyApp&, const HeavyApp&) = default;
};

inline const QString userScope = QStringLiteral("Cet utilisateur");
inline const QString allUsersScope = QStringLiteral("Tous les utilisateurs");
inline const QString systemScope = QStringLiteral("Système");
inline const QString loginItemScope = QStringLiteral("Élément d'ouverture");

// A folder of launchd property lists and the scope its items show.
struct LaunchFolder {
    QString path;
    QString scope;
};

// The user's LaunchAgents, then /Library/LaunchAgents and /Library/LaunchDaemons under the system root.
QList<LaunchFolder> launchFolders();

// The item a property list describes, or nothing when `plist` is not a dictionary. "Label" if it is a text,
// else the file's name without ".plist"; "Program" if a text, else the first of a non-empty "ProgramArguments"
// list of texts, else "—"; disabled only by a "Disabled" boolean that is true.
std::optional<LaunchItem> launchItem(const QString& path, const QVariant& plist, const QString& scope);

// The items of the folders, in order (entries whose name ends exactly in ".plist", read as regular files, a
// link through the link), then the running accessory applications whose localised name no item already has;
// sorted by label (French, case-insensitive), items with equal labels in that order.
QList<LaunchItem> launchItems(const QList<LaunchFolder>& folders, const QList<Platform::RunningApplication>& running);
QList<LaunchItem> launchItems();

// One line of `ps -axo pid=,pcpu=,rss=,comm=` that runs a program inside an application bundle.
struct ProcessRow {
    qint32 pid = 0;
    double cpu = 0;
    qint64 memory = 0;  // bytes
    QString bundlePath; // the command up to its first ".app/Contents/MacOS/", plus ".app"
    QString name;       // that bundle's name without ".app"

    friend bool operator==(const ProcessRow&, const ProcessRow&) = default;
};

// The rows of the tool's text, in order. A line is skipped when it has fewer than four fields, a figure that
// does not read (or a resident size whose bytes do not fit 64 bits), or a command outside any bundle.
std::vector<ProcessRow> processRows(const QString& psText);

// One record per bundle name, in order of first appearance: the sums of its rows, the pid and bundle of the
// first; then sorted by memory, largest first, equal memory keeping that order.
QList<HeavyApp> mergeHeavyApps(const std::vector<ProcessRow>& rows);

// The applications running now, from "/bin/ps" under the system root: only the rows of this system's programs
// (Platform::isSystemProgram), so that another system's copy of an application never merges into this one's.
QList<HeavyApp> heavyApps();

} // namespace OptimizationService
