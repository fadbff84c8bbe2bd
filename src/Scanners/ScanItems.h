#pragma once

#include "Core/ScanModel.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <stop_token>
#include <vector>

class Exclusions;

// The steps that the file scanners share for every candidate they found and every group they return.
namespace ScanItems {

// The selected, not risky item for `path`, named after its last component and sized as a whole tree, or
// nothing when the path is skipped (ScanFilter, against `exclusions`), no longer exists, measures 0 bytes, or `stop`
// came during its measure (a partial size would be wrong). `detail` defaults to the path with the home shown as "~".
std::optional<ScanItem> measured(const Exclusions& exclusions, const QString& path, Removal::Mode mode,
                                 std::stop_token stop, std::optional<QString> detail = std::nullopt);

// What measuring one path found: all that its item will hold but the identifier and the detail text, which
// itemsFrom() adds once the caller has chosen the paths it keeps and put them in order.
struct Found {
    QString url;
    QString name;
    qint64 size = 0;
    QDateTime modified; // invalid when unknown
};

// measured() for many paths, with one result per path in their order, made into items by itemsFrom(). The
// filter and a stop are seen one path after another, in order (a path after a stop gives nothing, nor does one
// `leaveOut` names); the fresh looks and the measures then run side by side on the platform's walk pool. From
// 1,000 paths on, the filter runs side by side too (`leaveOut` must then be safe to call from several threads
// at once).
std::vector<std::optional<Found>> measuredSideBySide(const Exclusions& exclusions, const QList<QString>& paths,
                                                     const std::stop_token& stop,
                                                     const std::function<bool(const QString&)>& leaveOut = {});

// The items of the results at `order` (indexes into `found`, each present and taken once), in that order,
// made side by side; each result taken is emptied. `details` matches the paths measured (a missing one
// defaults, as for measured(), to the path with the home shown as "~").
QList<ScanItem> itemsFrom(std::vector<std::optional<Found>>& found, const std::vector<std::size_t>& order,
                          const Removal::Mode& mode, const QList<std::optional<QString>>& details = {});

// A folded group of `items` sorted by size, largest first; nothing when there are no items.
std::optional<ScanGroup> group(const QString& title, const QString& symbol, std::optional<QString> note,
                               QList<ScanItem> items);

} // namespace ScanItems
