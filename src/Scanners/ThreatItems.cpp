#include "Scanners/ThreatItems.h"

#include "Platform/SystemRoot.h"
#include "Scanners/ModuleScanner.h"
#include "Scanners/ScanFilter.h"

#include <algorithm>

namespace ThreatItems {

std::optional<ThreatSeverity> severityForTotal(int total)
{
    if (total > 49)
        return ThreatSeverity::likely;
    if (total >= 35)
        return ThreatSeverity::suspicious;
    return std::nullopt;
}

ScanItem item(const QString& url, const QString& name, qint64 size, std::optional<QDateTime> modified, Threat threat)
{
    ScanItem result;
    result.id = QUuid::createUuid();
    result.url = url;
    result.name = name;
    result.size = size;
    result.detail = threat.summary();
    result.modified = std::move(modified);
    result.isSelected = threat.severity == ThreatSeverity::confirmed;
    result.isRisky = !result.isSelected;
    result.removalMode = Removal::Mode::threat(threat.launchdLabel);
    result.threat = std::move(threat);
    return result;
}

std::optional<ScanGroup> group(const Exclusions& exclusions, const QString& title, const QString& symbol,
                               const QString& note, QList<ScanItem> items)
{
    items.removeIf([&exclusions](const ScanItem& item) { return ScanFilter::isSkipped(exclusions, item.url); });
    if (items.isEmpty())
        return std::nullopt;
    std::stable_sort(items.begin(), items.end(), ScanOrder::severityThenName);
    ScanGroup result;
    result.id = QUuid::createUuid();
    result.title = title;
    result.symbol = symbol;
    result.note = note;
    result.items = std::move(items);
    result.isExpanded = false;
    result.metric = ScanGroup::Metric::threats;
    return result;
}

QString macText(const QString& path)
{
    const std::optional<QString> standardized = Platform::standardizedPath(path);
    if (!standardized)
        return QString();
    const QString mac = Platform::macPathOf(*standardized);
    return mac.isEmpty() ? *standardized : mac;
}

} // namespace ThreatItems
