#pragma once

#include "Core/ScanModel.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

class Exclusions;

// The steps the malware scan's stages share for the threats they find.
namespace ThreatItems {

// The severity of a threat scored `total`: above 49 likely, 35 to 49 suspicious, nothing below 35.
std::optional<ThreatSeverity> severityForTotal(int total);

// The item for `threat` at `url`: removed as a threat (its job unloaded first when it has a label), its
// detail the threat's summary, selected exactly when confirmed and risky when it is not.
ScanItem item(const QString& url, const QString& name, qint64 size, std::optional<QDateTime> modified, Threat threat);

// A folded threats group of the items that are not skipped (protected, or covered by `exclusions`), higher severity
// first, then by name; nothing when no item is left.
std::optional<ScanGroup> group(const Exclusions& exclusions, const QString& title, const QString& symbol,
                               const QString& note, QList<ScanItem> items);

// The text of a path as the Mac reads it: its Mac location when it lies under the system root, else the path
// itself, standardised; where a demonstration Mac lies changes no verdict. Empty for a relative path.
QString macText(const QString& path);

} // namespace ThreatItems
