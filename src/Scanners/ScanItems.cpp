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
#include <memory>
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

// measured() once the path has passed the filter and been looked at; `home` is the home folder, for the
// default detail.
std::optional<ScanItem> itemFor(std::optional<Look> look, const Removal::Mode& mode, const std::stop_token& stop,
                                std::optional<QString> detail, const QString& home)
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

    ScanItem item;
    item.id = freshID();
    item.detail = detail ? std::move(detail) : std::optional<QString>(FileUtils::abbreviatedPath(look->path, home));
    item.url = std::move(look->path);
    item.name = std::move(look->name);
    item.size = size;
    if (look->modified.isValid())
        item.modified = look->modified;
    item.isSelected = true;
    item.isRisky = false;
    item.removalMode = mode;
    return item;
}

std::optional<ScanItem> looked(const QString& path, const Removal::Mode& mode, const std::stop_token& stop,
                               std::optional<QString> detail, const QString& home)
{
    return itemFor(lookByPath(path), mode, stop, std::move(detail), home);
}

// Whether an absolute path is already as fileInfo() would clean it, so that its last component can be looked
// at in its folder as it stands.
bool isClean(const QString& path)
{
    return path.size() > 1 && path.startsWith(u'/') && !path.endsWith(u'/') && !path.endsWith(u"/.") &&
           !path.endsWith(u"/..") && !path.contains(u"//") && !path.contains(u"/./") && !path.contains(u"/../");
}

// The folders holding the candidates, each opened once: many candidates of a scan are the children of a few
// folders, and a look relative to the open folder does not walk the whole path again.
class CandidateFolders final
{
public:
    // Opens the folders of `paths` in their order; a path whose folder is not held is looked at by its path.
    explicit CandidateFolders(const QList<QString>& paths)
    {
        m_slash.assign(std::size_t(paths.size()), -1);
        m_folder.assign(std::size_t(paths.size()), nullptr);
        std::optional<QString> last;
        const Platform::OpenedFolder* lastFolder = nullptr;
        for (qsizetype i = 0; i < paths.size(); ++i) {
            const QString& path = paths[i];
            if (!isClean(path))
                continue;
            const qsizetype slash = path.lastIndexOf(u'/');
            const QStringView parent = QStringView(path).left(std::max<qsizetype>(slash, 1));
            if (!last || parent != *last) {
                last = parent.toString();
                lastFolder = nullptr;
                if (m_open.size() < kMostHeld) {
                    m_open.push_back(std::make_unique<Platform::OpenedFolder>(*last));
                    if (m_open.back()->isOpen())
                        lastFolder = m_open.back().get();
                }
            }
            if (!lastFolder)
                continue;
            m_slash[std::size_t(i)] = slash;
            m_folder[std::size_t(i)] = lastFolder;
        }
    }

    std::optional<Look> look(const QList<QString>& paths, std::size_t index) const
    {
        const QString& path = paths[qsizetype(index)];
        if (const Platform::OpenedFolder* folder = m_folder[index])
            return lookIn(*folder, path, m_slash[index]);
        return lookByPath(path);
    }

private:
    static constexpr std::size_t kMostHeld = 64; // descriptors held at once

    std::vector<std::unique_ptr<Platform::OpenedFolder>> m_open;
    std::vector<const Platform::OpenedFolder*> m_folder;
    std::vector<qsizetype> m_slash;
};

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
    const ScanFilter::Prepared filter;
    const CandidateFolders folders(paths);
    // A long list is filtered side by side too, each entry still seeing a stop before it is looked at.
    constexpr qsizetype kOrderedFilterLimit = 1000;
    if (paths.size() >= kOrderedFilterLimit) {
        Platform::forEachOnWalkPool(items.size(), [&](std::size_t index) {
            const qsizetype at = qsizetype(index);
            if (stop.stop_requested() || (leaveOut && leaveOut(paths[at])) || filter.isSkipped(paths[at]))
                return;
            items[index] = itemFor(folders.look(paths, index), mode, stop, detailAt(at), home);
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
    Platform::forEachOnWalkPool(admitted.size(), [&](std::size_t slot) {
        const std::size_t index = admitted[slot];
        items[index] = itemFor(folders.look(paths, index), mode, stop, detailAt(qsizetype(index)), home);
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
