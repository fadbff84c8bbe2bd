#pragma once

#include "Core/ModuleID.h"
#include "Core/SystemInfo.h"
#include "Scanners/ModuleScanner.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <functional>
#include <optional>

class Exclusions;

// The categories the system's Shortcuts actions offer; each raw value is the case name.
enum class ScanCategory {
    smartScan,
    systemJunk,
    xcodeJunk,
    mailAttachments,
    trashBins,
    malware,
    privacy,
    largeOldFiles,
    leftovers,
    duplicates
};

namespace Shortcuts {

struct CategoryDisplay {
    ScanCategory category;
    QString raw;
    ModuleID module; // the module of the same name: the ModuleID order differs from the eighth case on
    QString title;
    QString subtitle;
    QString symbol;
};

// Every category in declaration order, with its raw value, module and display texts.
const std::array<CategoryDisplay, 10>& categories();
inline const QString typeDisplay = QStringLiteral("Catégorie");

QString toRaw(ScanCategory category);
// Exact, case-sensitive match on a case name; nothing for any other text.
std::optional<ScanCategory> fromRaw(QStringView raw);
ModuleID moduleID(ScanCategory category);

// What the system is told about each action: its title, the summary of its parameter and, for those the
// application publishes as ready-made shortcuts, the phrases ("{app}" stands for the application's name),
// short title and symbol.
enum class Action { analyse, diagnose, freeSpace, open };
struct ActionDisplay {
    Action action;
    QString argument; // the command line's name for it
    QString title;
    std::optional<QString> parameterSummary; // "{category}" marks the category; nothing: the default
    std::optional<ScanCategory> defaultCategory;
    QStringList phrases;
    std::optional<QString> shortTitle;
    std::optional<QString> shortcutSymbol;
};
// The four actions; the published shortcuts are, in order, diagnose, free space, analyse.
const std::array<ActionDisplay, 4>& actions();
const std::array<Action, 3>& publishedShortcuts();

// One finding of the diagnostics, as the answer speaks it.
struct Finding {
    QString title;
    QString evidence;
};

// What the actions reach. The scanner factory and the disk reading have defaults; the developer
// inventory's recommended size and the diagnostics are given by whoever assembles the program (until then,
// no bytes and no finding).
struct Services {
    std::function<std::optional<ScannerPtr>(ModuleID)> scanner;
    std::function<qint64()> xcodeJunkBytes;
    std::function<QList<Finding>()> diagnose;
    std::function<SystemInfo::Disk()> startupDisk;

    // The scanners leave out what `exclusions` covers; the list outlives the services.
    static Services standard(const Exclusions& exclusions);
};

struct NumberAnswer {
    QString dialog;
    double value = 0; // mebibytes with one decimal
};
struct TextAnswer {
    QString dialog;
    QString value;
};

// Mebibytes rounded to one decimal, halves away from zero.
double mebibytes(qint64 bytes);

// What one category could reclaim: every item of every group, selected or not; nothing is removed.
// Synchronous; runs the scan to its end.
qint64 reclaimableBytes(ScanCategory category, const Services& services);

NumberAnswer analyse(ScanCategory category, const Services& services);
TextAnswer diagnose(const Services& services);
NumberAnswer freeSpace(const Services& services);

// The command line's form of the actions.
struct Request {
    Action action;
    std::optional<ScanCategory> category;
};
// `arguments` without the program's name. Nothing when they do not form one request: exactly "--action NAME",
// plus "--category RAW" once for the actions that take one and never for the others.
std::optional<Request> parseArguments(const QStringList& arguments);
// Whether the arguments ask for an action at all (the program then answers without a window).
bool asksForAction(const QStringList& arguments);
// The French usage text, listing the actions and categories with their display texts.
QString usage();
// Runs a request that needs no window (analyse, diagnose, free space): the dialog, a line feed, the value.
QString answer(const Request& request, const Services& services);

} // namespace Shortcuts
