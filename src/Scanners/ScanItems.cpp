#include "Scanners/ScanItems.h"

#include "Core/FileUtils.h"
#include "Platform/FileSystem.h"
#include "Scanners/ModuleScanner.h"
#include "Scanners/ScanFilter.h"

namespace ScanItems {

std::optional<ScanItem> measured(const QString& path, Removal::Mode mode, std::stop_token stop,
                                 std::optional<QString> detail)
{
    if (ScanFilter::isSkipped(path))
        return std::nullopt;
    // One fresh look: the candidate may have gone, or changed, since its folder was listed.
    const std::optional<Platform::FileInfo> info = Platform::fileInfo(path);
    // Only files and folders: a link is never followed, and a socket, pipe or device node frees nothing while a
    // running program may depend on it.
    if (!info || !(info->isRegular() || info->isDirectory()))
        return std::nullopt;
    qint64 size = info->allocatedSize;
    if (info->isDirectory()) {
        size = FileUtils::allocatedSize(info->path, std::nullopt, stop).bytes;
        if (stop.stop_requested())
            return std::nullopt;
    }
    if (size <= 0)
        return std::nullopt;

    ScanItem item;
    item.id = QUuid::createUuid();
    item.url = info->path;
    item.name = info->name;
    item.size = size;
    item.detail = detail ? std::move(detail) : std::optional<QString>(FileUtils::abbreviatedPath(info->path));
    if (info->modified.isValid())
        item.modified = info->modified;
    item.isSelected = true;
    item.isRisky = false;
    item.removalMode = mode;
    return item;
}

std::optional<ScanGroup> group(const QString& title, const QString& symbol, std::optional<QString> note,
                               QList<ScanItem> items)
{
    if (items.isEmpty())
        return std::nullopt;
    ScanGroup result;
    result.id = QUuid::createUuid();
    result.title = title;
    result.symbol = symbol;
    result.note = std::move(note);
    result.items = ScanOrder::sortedBySize(std::move(items));
    result.isExpanded = false;
    result.metric = ScanGroup::Metric::bytes;
    return result;
}

} // namespace ScanItems
