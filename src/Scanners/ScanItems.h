#pragma once

#include "Core/ScanModel.h"

#include <QList>
#include <QString>

#include <optional>
#include <stop_token>

// The steps that the file scanners share for every candidate they found and every group they return.
namespace ScanItems {

// The selected, not risky item for `path`, named after its last component and sized as a whole tree, or
// nothing when the path is skipped (ScanFilter), no longer exists, measures 0 bytes, or `stop` came during
// its measure (a partial size would be wrong). `detail` defaults to the path with the home shown as "~".
std::optional<ScanItem> measured(const QString& path, Removal::Mode mode, std::stop_token stop,
                                 std::optional<QString> detail = std::nullopt);

// A folded group of `items` sorted by size, largest first; nothing when there are no items.
std::optional<ScanGroup> group(const QString& title, const QString& symbol, std::optional<QString> note,
                               QList<ScanItem> items);

} // namespace ScanItems
