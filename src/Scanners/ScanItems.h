#pragma once

#include "Core/ScanModel.h"

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

// measured() for many paths, with one item per path in their order; a path that gives nothing leaves its item
// empty (a null url, 0 bytes). The filter and a stop are seen one path after another, in order (a path after a
// stop gives nothing, nor does one `leaveOut` names); the fresh looks, the measures and the items are then made
// side by side on the platform's walk pool. The filter judges against `exclusions`. From 1,000 paths on, the filter
// runs side by side too (`leaveOut` must then be safe to call from several threads at once). `details` matches the
// paths (a missing one defaults, as for measured(), to the path with the home shown as "~").
QList<ScanItem> measuredSideBySide(const Exclusions& exclusions, const QList<QString>& paths, const Removal::Mode& mode,
                                   const std::stop_token& stop,
                                   const std::function<bool(const QString&)>& leaveOut = {},
                                   const QList<std::optional<QString>>& details = {});

// Leaves `items` holding the items that were at `order` (distinct indexes into it), in that order. In place:
// each item is moved at most twice, and no second list of items is made.
void keepInOrder(QList<ScanItem>& items, const std::vector<std::size_t>& order);

// A folded group of `items` sorted by size, largest first; nothing when there are no items.
std::optional<ScanGroup> group(const QString& title, const QString& symbol, std::optional<QString> note,
                               QList<ScanItem> items);

} // namespace ScanItems
