#include "Scanners/ScanItems.h"

#include "Core/FileUtils.h"
#include "Platform/FileSystem.h"
#include "Platform/FolderSize.h"
#include "Platform/SystemRoot.h"
#include "Platform/WalkPool.h"
#include "Scanners/ModuleScanner.h"
#include "Scanners/ScanFilter.h"

#include <array>

#include <QRandomGenerator>
#include <QUuid>

namespace ScanItems {

namespace {

// A random (version 4) identifier from a generator of this thread, seeded once from the system's: the
// system's own source is slow, and a scan may name a hundred thousand items.
QUuid freshID()
{
    thread_local QRandomGenerator64 generator = [] {
        std::array<quint32, 8> seed{};
        QRandomGenerator::system()->fillRange(seed.data(), qsizetype(seed.size()));
        return QRandomGenerator64(seed.data(), qsizetype(seed.size()));
    }();
    std::array<quint64, 2> words{generator.generate64(), generator.generate64()};
    QByteArray bytes(reinterpret_cast<const char*>(words.data()), 16);
    bytes[6] = char((uchar(bytes[6]) & 0x0f) | 0x40);
    bytes[8] = char((uchar(bytes[8]) & 0x3f) | 0x80);
    return QUuid::fromRfc4122(bytes);
}

// measured() once the path has passed the filter; `home` is the home folder, for the default detail.
std::optional<ScanItem> looked(const QString& path, const Removal::Mode& mode, const std::stop_token& stop,
                               std::optional<QString> detail, const QString& home)
{
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
    item.id = freshID();
    item.url = info->path;
    item.name = info->name;
    item.size = size;
    item.detail = detail ? std::move(detail) : std::optional<QString>(FileUtils::abbreviatedPath(info->path, home));
    if (info->modified.isValid())
        item.modified = info->modified;
    item.isSelected = true;
    item.isRisky = false;
    item.removalMode = mode;
    return item;
}

} // namespace

std::optional<ScanItem> measured(const QString& path, Removal::Mode mode, std::stop_token stop,
                                 std::optional<QString> detail)
{
    if (ScanFilter::isSkipped(path))
        return std::nullopt;
    return looked(path, mode, stop, std::move(detail), Platform::homeFolder());
}

std::vector<std::optional<ScanItem>> measuredSideBySide(const QList<QString>& paths, const Removal::Mode& mode,
                                                        const std::stop_token& stop,
                                                        const QList<std::optional<QString>>& details,
                                                        const std::function<bool(const QString&)>& leaveOut)
{
    std::vector<std::optional<ScanItem>> items(std::size_t(paths.size()));
    const QString home = Platform::homeFolder();
    const auto detailAt = [&details](qsizetype at) { return at < details.size() ? details[at] : std::nullopt; };
    // A long list is filtered side by side too, each entry still seeing a stop before it is looked at.
    constexpr qsizetype kOrderedFilterLimit = 1000;
    if (paths.size() >= kOrderedFilterLimit) {
        Platform::forEachOnWalkPool(items.size(), [&](std::size_t index) {
            const qsizetype at = qsizetype(index);
            if (stop.stop_requested() || (leaveOut && leaveOut(paths[at])) || ScanFilter::isSkipped(paths[at]))
                return;
            items[index] = looked(paths[at], mode, stop, detailAt(at), home);
        });
        return items;
    }
    // Otherwise the filter, and a stop, are seen one entry after another in the paths' order; what follows a
    // stop is not looked at.
    std::vector<std::size_t> admitted;
    for (qsizetype index = 0; index < paths.size(); ++index) {
        if (stop.stop_requested())
            break;
        const QString& path = paths[index];
        if ((leaveOut && leaveOut(path)) || ScanFilter::isSkipped(path))
            continue;
        admitted.push_back(std::size_t(index));
    }
    Platform::forEachOnWalkPool(admitted.size(), [&](std::size_t slot) {
        const std::size_t index = admitted[slot];
        const qsizetype at = qsizetype(index);
        items[index] = looked(paths[at], mode, stop, detailAt(at), home);
    });
    return items;
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
