#include "Scanners/ScanItems.h"

#include "Core/FileUtils.h"
#include "Platform/FileSystem.h"
#include "Platform/FolderSize.h"
#include "Platform/SystemRoot.h"
#include "Platform/WalkPool.h"
#include "Scanners/ModuleScanner.h"
#include "Scanners/ScanFilter.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include <QFile>

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

// What measuring one path found: all that its item holds but the identifier and the detail text.
struct Found {
    QString url;
    QString name;
    qint64 size = 0;
    QDateTime modified; // invalid when unknown
};

// What a fresh look at a candidate gives: only what an item keeps.
struct Look {
    QString path; // absolute, cleaned
    QString name;
    bool isDirectory = false;
    qint64 allocatedSize = 0;
    QDateTime modified;
};

// The fresh look by path; nothing for what is gone, a link, or anything else than a file or a folder.
std::optional<Look> lookByPath(const QString& path)
{
    const std::optional<Platform::FileInfo> info = Platform::fileInfo(path);
    // Only files and folders: a link is never followed, and a socket, pipe or device node frees nothing while a
    // running program may depend on it.
    if (!info || !(info->isRegular() || info->isDirectory()))
        return std::nullopt;
    return Look{info->path, info->name, info->isDirectory(), info->allocatedSize, info->modified};
}

// The same look at the entry `name` of a folder held open, whose path is `path` (already clean).
std::optional<Look> lookIn(const Platform::OpenedFolder& folder, const QString& path, qsizetype slash)
{
    QString name = path.mid(slash + 1);
    const std::optional<Platform::LeanEntry> entry = folder.look(QFile::encodeName(name).constData());
    if (!entry || !(entry->kind == Platform::EntryKind::Regular || entry->kind == Platform::EntryKind::Directory))
        return std::nullopt;
    return Look{path, std::move(name), entry->kind == Platform::EntryKind::Directory, entry->allocatedSize,
                QDateTime::fromMSecsSinceEpoch(entry->modifiedMSecs, Qt::UTC)};
}

// What measuring a path that has passed the filter finds, once it has been looked at.
std::optional<Found> foundFor(std::optional<Look> look, const std::stop_token& stop)
{
    if (!look)
        return std::nullopt;
    qint64 size = look->allocatedSize;
    if (look->isDirectory) {
        size = FileUtils::allocatedSize(look->path, std::nullopt, stop).bytes;
        if (stop.stop_requested())
            return std::nullopt;
    }
    if (size <= 0)
        return std::nullopt;
    return Found{std::move(look->path), std::move(look->name), size, look->modified};
}

// The item of what was found; `home` is the home folder, for the default detail.
void makeItem(ScanItem& item, Found&& found, const Removal::Mode& mode, std::optional<QString> detail,
              const QString& home)
{
    item.id = freshID();
    item.detail = detail ? std::move(detail) : std::optional<QString>(FileUtils::abbreviatedPath(found.url, home));
    item.url = std::move(found.url);
    item.name = std::move(found.name);
    item.size = found.size;
    if (found.modified.isValid())
        item.modified = found.modified;
    item.isSelected = true;
    item.isRisky = false;
    item.removalMode = mode;
}

// Whether an absolute path is already as fileInfo() would clean it, so that its last component can be looked
// at in its folder as it stands.
bool isClean(const QString& path)
{
    return path.size() > 1 && path.startsWith(u'/') && !path.endsWith(u'/') && !path.endsWith(u"/.") &&
           !path.endsWith(u"/..") && !path.contains(u"//") && !path.contains(u"/./") && !path.contains(u"/../");
}

// The folders holding the candidates, each opened at its first use and kept: many candidates of a scan are the
// children of a few folders, and a look relative to the open folder does not walk the whole path again. Shared by
// the threads of one measure: folders are found without a lock, and opened under one.
class CandidateFolders final
{
public:
    std::optional<Look> look(const QString& path)
    {
        if (!isClean(path))
            return lookByPath(path);
        const qsizetype slash = path.lastIndexOf(u'/');
        const Platform::OpenedFolder* folder = find(QStringView(path).left(std::max<qsizetype>(slash, 1)));
        return folder ? lookIn(*folder, path, slash) : lookByPath(path);
    }

private:
    static constexpr std::size_t kMostHeld = 64; // descriptors held at once; other folders' entries go by path

    struct Held {
        explicit Held(QString folderPath) : path(std::move(folderPath)), folder(path) {}
        const QString path;
        const Platform::OpenedFolder folder;
    };

    const Platform::OpenedFolder* opened(std::size_t index) const
    {
        return m_held[index]->folder.isOpen() ? &m_held[index]->folder : nullptr;
    }

    // The open folder at `parent`; nothing when it cannot be opened or too many are held.
    const Platform::OpenedFolder* find(QStringView parent)
    {
        const std::size_t known = m_count.load(std::memory_order_acquire);
        for (std::size_t i = 0; i < known; ++i) {
            if (m_held[i]->path == parent)
                return opened(i);
        }
        const std::lock_guard lock(m_mutex);
        const std::size_t now = m_count.load(std::memory_order_relaxed);
        for (std::size_t i = known; i < now; ++i) {
            if (m_held[i]->path == parent)
                return opened(i);
        }
        if (now == kMostHeld)
            return nullptr;
        m_held[now] = std::make_unique<Held>(parent.toString());
        m_count.store(now + 1, std::memory_order_release);
        return opened(now);
    }

    std::array<std::unique_ptr<Held>, kMostHeld> m_held;
    std::atomic<std::size_t> m_count{0};
    std::mutex m_mutex;
};

} // namespace

std::optional<ScanItem> measured(const Exclusions& exclusions, const QString& path, Removal::Mode mode,
                                 std::stop_token stop, std::optional<QString> detail)
{
    if (ScanFilter::isSkipped(exclusions, path))
        return std::nullopt;
    std::optional<Found> found = foundFor(lookByPath(path), stop);
    if (!found)
        return std::nullopt;
    ScanItem item;
    makeItem(item, std::move(*found), mode, std::move(detail), Platform::homeFolder());
    return item;
}

QList<ScanItem> measuredSideBySide(const Exclusions& exclusions, const QList<QString>& paths, const Removal::Mode& mode,
                                   const std::stop_token& stop, const std::function<bool(const QString&)>& leaveOut,
                                   const QList<std::optional<QString>>& details)
{
    // Each item is made in its own place, in the paths' order: a hundred thousand items are built once, and no
    // record of what was found stays beside them.
    QList<ScanItem> items(paths.size());
    ScanItem* const places = items.data();
    const QString home = Platform::homeFolder();
    const ScanFilter::Prepared filter(exclusions);
    CandidateFolders folders;
    const auto make = [&](std::size_t index) {
        const qsizetype at = qsizetype(index);
        if (std::optional<Found> found = foundFor(folders.look(paths[at]), stop))
            makeItem(places[at], std::move(*found), mode, at < details.size() ? details[at] : std::nullopt, home);
    };
    // A long list is filtered side by side too, each entry still seeing a stop before it is looked at.
    constexpr qsizetype kOrderedFilterLimit = 1000;
    if (paths.size() >= kOrderedFilterLimit) {
        Platform::forEachOnWalkPool(std::size_t(paths.size()), [&](std::size_t index) {
            const qsizetype at = qsizetype(index);
            if (stop.stop_requested() || (leaveOut && leaveOut(paths[at])) || filter.isSkipped(paths[at]))
                return;
            make(index);
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
        if ((leaveOut && leaveOut(path)) || filter.isSkipped(path))
            continue;
        admitted.push_back(std::size_t(index));
    }
    Platform::forEachOnWalkPool(admitted.size(), [&](std::size_t slot) { make(admitted[slot]); });
    return items;
}

void keepInOrder(QList<ScanItem>& items, const std::vector<std::size_t>& order)
{
    // Place `slot` takes the item at order[slot]. Seen as links from each place to the one it takes from, the
    // places form chains and cycles: a chain starts at a place whose own item is not kept and ends at an item
    // from beyond the kept places; a cycle moves its first item aside once.
    const std::size_t kept = order.size();
    std::vector<bool> taken(std::size_t(items.size()));
    for (const std::size_t index : order)
        taken[index] = true;
    std::vector<bool> placed(kept);
    ScanItem* const places = items.data();
    for (std::size_t start = 0; start < kept; ++start) {
        if (taken[start])
            continue;
        for (std::size_t slot = start;;) {
            const std::size_t from = order[slot];
            places[slot] = std::move(places[from]);
            placed[slot] = true;
            if (from >= kept)
                break;
            slot = from;
        }
    }
    for (std::size_t start = 0; start < kept; ++start) {
        if (placed[start] || order[start] == start)
            continue;
        ScanItem first = std::move(places[start]);
        for (std::size_t slot = start;;) {
            const std::size_t from = order[slot];
            placed[slot] = true;
            if (from == start) {
                places[slot] = std::move(first);
                break;
            }
            places[slot] = std::move(places[from]);
            slot = from;
        }
    }
    items.resize(qsizetype(kept));
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
