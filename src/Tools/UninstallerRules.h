#pragma once

#include "Core/InstalledApp.h"
#include "Platform/Ask.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// The uninstaller's pure rules: which applications the list shows, what the confirmation says and how a failed
// uninstall is told. No widget, no state: the uninstaller's model and screen build on them.
namespace Uninstaller {

// The filters of the list, in the order of the segmented control.
enum class Filter {
    all,
    unused,
    large,
};

inline constexpr qint64 unusedAfterSeconds = 15'552'000; // 180 days; strictly more is unused
inline constexpr qint64 largeAboveBytes = 209'715'200;   // 200 Mio; strictly more is large

QList<Filter> allFilters();
QString label(Filter filter);                                // "Toutes", "Inutilisées", "Volumineuses"
std::optional<Filter> filterFromLabel(const QString& label); // exact comparison; any other text gives none

// The bundle plus its associated files, stopping at the largest count instead of wrapping.
qint64 totalSize(const InstalledApp& app);

// What an uninstall with the associated files takes of them: those ticked (one another application also claims
// is not, until the user ticks it); and their size with the bundle's, as totalSize() counts.
qsizetype chosenLeftoverCount(const InstalledApp& app);
qint64 chosenSize(const InstalledApp& app);

// Last used strictly more than 180 days before `now`, fractions of a second counted.
bool unusedSince(const QDateTime& lastUsed, const QDateTime& now);

bool keeps(Filter filter, const InstalledApp& app, const QDateTime& now);

// The applications shown, in the order of `apps`: never Apple's; when `query` is not empty (used as typed, spaces
// included) those whose name or identifier contains it, case aside; then those the filter keeps.
QList<InstalledApp> visibleApps(const QList<InstalledApp>& apps, const QString& query, Filter filter,
                                const QDateTime& now);

// The question put before uninstalling `app`, with the associated files or not, saying when it runs.
Platform::Ask::Question confirmation(const InstalledApp& app, bool removeLeftovers, bool running);

// The message of the "Désinstallation incomplète" banner: how many items stayed and the first reason.
QString failureMessage(int failures, const QString& firstReason);

// The message of the "Désinstallation terminée" banner: what went to the Trash, and how to get it back.
QString doneMessage(const InstalledApp& app, bool removeLeftovers);

} // namespace Uninstaller
