#include "Scanners/DuplicatesScanner.h"

#include "Core/FileUtils.h"
#include "Core/Formatters.h"
#include "Platform/FileReading.h"
#include "Platform/FileSystem.h"
#include "Platform/Sha256.h"
#include "Platform/SystemRoot.h"
#include "Platform/WalkPool.h"
#include "Scanners/ScanFilter.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <iterator>
#include <memory>
#include <mutex>
#include <numeric>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kPartialSpan = 64 * 1024;
constexpr std::size_t kFullReadSize = 1024 * 1024;

// Lists of entries keyed by a value, each list in the order its entries came, the lists in the order their
// keys were first met: the same input always gives the same output, whatever a hash table's order.
template <typename Key> class OrderedBuckets final
{
public:
    void add(const Key& key, const DuplicatesScanner::Entry& entry)
    {
        const auto [found, isNew] = m_index.try_emplace(key, m_lists.size());
        if (isNew)
            m_lists.append(DuplicatesScanner::Copies());
        m_lists[found->second].append(entry);
    }

    // The lists of two entries or more.
    QList<DuplicatesScanner::Copies> shared() const
    {
        QList<DuplicatesScanner::Copies> result;
        for (const DuplicatesScanner::Copies& list : m_lists) {
            if (list.size() >= 2)
                result.append(list);
        }
        return result;
    }

private:
    std::unordered_map<Key, qsizetype> m_index;
    QList<DuplicatesScanner::Copies> m_lists;
};

// Each thread that reads keeps one buffer for all its reads.
char* readBuffer()
{
    thread_local const std::unique_ptr<char[]> buffer(new char[kFullReadSize]);
    return buffer.get();
}

ScanItem itemFor(const DuplicatesScanner::Entry& entry)
{
    ScanItem item;
    item.id = QUuid::createUuid();
    item.url = entry.url;
    item.name = entry.url.section(u'/', -1);
    item.size = entry.size;
    item.detail = FileUtils::abbreviatedPath(entry.url.section(u'/', 0, -2));
    item.modified = entry.modified;
    item.isSelected = false;
    item.isRisky = true;
    item.removalMode = Removal::Mode::trash();
    return item;
}

} // namespace

DuplicatesScanner::DuplicatesScanner(const Exclusions& exclusions, ModuleID module,
                                     std::optional<QStringList> customRoots, const Platform::FileReads& reads)
    : m_exclusions(&exclusions), m_reads(&reads), m_moduleID(module), m_customRoots(std::move(customRoots))
{
}

const QSet<QString>& DuplicatesScanner::skippedNames()
{
    static const QSet<QString> names{u"Library"_s, u"node_modules"_s, u".git"_s,    u".svn"_s,   u"DerivedData"_s,
                                     u"Pods"_s,    u".venv"_s,        u"venv"_s,    u"vendor"_s, u".build"_s,
                                     u"build"_s,   u"target"_s,       u".gradle"_s, u".Trash"_s, u"CoreSimulator"_s,
                                     u".cache"_s,  u"__pycache__"_s};
    return names;
}

QString DuplicatesScanner::actionTitle() const
{
    return u"Supprimer"_s;
}

QString DuplicatesScanner::emptyTitle() const
{
    return u"Aucun doublon"_s;
}

QString DuplicatesScanner::emptyMessage() const
{
    return u"Aucun fichier identique de plus de 1 Mo dans vos dossiers personnels."_s;
}

QStringList DuplicatesScanner::roots() const
{
    QStringList candidates;
    if (m_customRoots) {
        candidates = *m_customRoots;
    } else {
        const QString home = Platform::homeFolder();
        for (const char16_t* name : {u"Desktop", u"Documents", u"Downloads", u"Movies", u"Music", u"Pictures"})
            candidates.append(QDir::cleanPath(home + u'/' + QStringView(name)));
    }
    QStringList roots;
    for (const QString& candidate : std::as_const(candidates)) {
        const std::optional<Platform::FileInfo> info = Platform::fileInfo(candidate);
        if (info && info->isDirectory())
            roots.append(info->path);
    }
    return roots;
}

QList<DuplicatesScanner::Entry> DuplicatesScanner::enumerate(const Progress& progress, std::stop_token stop) const
{
    // What the walk keeps of an entry: hidden entries are neither listed nor entered, skipped folders and
    // packages are not entered, and only regular files of the minimum size that no rule refuses are
    // candidates (links, pipes and devices never are; links are never followed).
    const auto enter = [](const Platform::FileInfo& entry) {
        return entry.isDirectory() && !entry.name.startsWith(u'.') && !skippedNames().contains(entry.name) &&
               !Platform::isPackage(entry.path);
    };
    const auto candidate = [this](const Platform::FileInfo& entry) -> std::optional<Entry> {
        if (!entry.isRegular() || entry.name.startsWith(u'.') || entry.logicalSize < minimumSize ||
            ScanFilter::isSkipped(*m_exclusions, entry.path))
            return std::nullopt;
        Entry found;
        found.url = entry.path;
        found.size = entry.logicalSize;
        if (entry.modified.isValid())
            found.modified = entry.modified;
        found.device = entry.device;
        found.inode = entry.inode;
        return found;
    };

    // With reads in parallel each root is read folder by folder side by side, through the lean listing: one look
    // at each regular file and none at folders, and a path made only for the files of the minimum size. The
    // candidates are then put back in the order of a walk made one entry after another, so the result is the same
    // either way. A stop keeps the roots walked to their end before it.
    struct Placed {
        // The file's folder and the folders entered from there before it, until the walk is over; then its key
        // in the walk's order. The files of one folder arrive together, in its order.
        std::uint64_t order = 0;
        Entry entry;
    };
    const auto walkSideBySide = [&](const QString& root, std::vector<Placed>& found, Platform::WalkOrder& walkOrder) {
        std::mutex foundMutex;
        return Platform::walkTreeSideBySide(
            root,
            [&](const Platform::WalkedFolder& folder, std::vector<char>& enterFolder) {
                std::vector<Placed> here;
                std::uint32_t entered = 0;
                QString folderPath; // decoded for the first file of the minimum size only
                for (std::size_t i = 0; i < folder.entries.size(); ++i) {
                    const Platform::LeanEntry& lean = folder.entries[i];
                    if (lean.name[0] == '.')
                        continue;
                    if (lean.kind == Platform::EntryKind::Directory) {
                        const QString name = QFile::decodeName(lean.name.c_str());
                        enterFolder[i] = !skippedNames().contains(name) && !Platform::isPackage(name);
                        entered += enterFolder[i] ? 1 : 0;
                        continue;
                    }
                    if (lean.kind != Platform::EntryKind::Regular || lean.logicalSize < minimumSize)
                        continue;
                    if (folderPath.isNull())
                        folderPath = folder.path();
                    Platform::FileInfo file;
                    file.name = QFile::decodeName(lean.name.c_str());
                    file.path = folderPath.endsWith(u'/') ? QString(folderPath + file.name)
                                                          : QString(folderPath + u'/' + file.name);
                    file.kind = lean.kind;
                    file.logicalSize = lean.logicalSize;
                    file.modified = QDateTime::fromMSecsSinceEpoch(lean.modifiedMSecs, Qt::UTC);
                    file.device = lean.device;
                    file.inode = lean.inode;
                    if (std::optional<Entry> entry = candidate(file)) {
                        here.push_back({(std::uint64_t(folder.id) << 32) | entered, std::move(*entry)});
                    }
                }
                if (!here.empty()) {
                    const std::lock_guard lock(foundMutex);
                    std::move(here.begin(), here.end(), std::back_inserter(found));
                }
            },
            stop, &walkOrder);
    };
    QList<Entry> entries;
    std::set<std::pair<quint64, quint64>> identities; // across all roots: a hard link counts once
    const auto keep = [&](const Entry& entry) {
        if (identities.insert({entry.device, entry.inode}).second)
            entries.append(entry);
    };
    const QStringList folders = roots();
    const qsizetype count = folders.size();
    for (qsizetype i = 0; i < count; ++i) {
        if (stop.stop_requested())
            break;
        if (progress)
            progress(0.05 + 0.5 * double(i) / double(std::max<qsizetype>(count, 1)), folders[i].section(u'/', -1));
        if (m_readsInParallel) {
            std::vector<Placed> found;
            Platform::WalkOrder walkOrder;
            if (!walkSideBySide(folders[i], found, walkOrder))
                return entries;
            for (Placed& placed : found)
                placed.order = walkOrder.key(std::uint32_t(placed.order >> 32), std::uint32_t(placed.order));
            std::stable_sort(found.begin(), found.end(),
                             [](const Placed& a, const Placed& b) { return a.order < b.order; });
            for (const Placed& placed : found)
                keep(placed.entry);
            continue;
        }
        QList<Entry> found;
        const bool complete = Platform::walkTree(
            folders[i],
            [&](const Platform::FileInfo& entry, int) {
                if (entry.isDirectory())
                    return enter(entry) ? Platform::WalkStep::Continue : Platform::WalkStep::SkipDescendants;
                if (std::optional<Entry> file = candidate(entry))
                    found.append(std::move(*file));
                return Platform::WalkStep::Continue;
            },
            stop);
        if (!complete)
            return entries;
        for (const Entry& entry : std::as_const(found))
            keep(entry);
    }
    return entries;
}

QList<DuplicatesScanner::Copies> DuplicatesScanner::groupBySize(const QList<Entry>& entries)
{
    OrderedBuckets<qint64> bySize;
    for (const Entry& entry : entries)
        bySize.add(entry.size, entry);
    return bySize.shared();
}

QList<DuplicatesScanner::Copies> DuplicatesScanner::sameFingerprint(const QList<Copies>& lists, std::stop_token stop,
                                                                    Fingerprint fingerprint) const
{
    // Every file of every list is read once, into its own slot; the lists are then formed in their order,
    // so reading several files at a time changes nothing in the result.
    std::vector<const Entry*> files;
    for (const Copies& list : lists) {
        for (const Entry& entry : list)
            files.push_back(&entry);
    }
    std::vector<std::optional<QString>> prints(files.size());
    std::vector<char> done(files.size(), 0); // 0: not read, or cut by a stop
    const auto read = [&](std::size_t index) {
        prints[index] = (this->*fingerprint)(*files[index], stop);
        done[index] = prints[index] || !stop.stop_requested();
    };
    if (m_readsInParallel) {
        // The pool takes its indexes in rising order: largest files first, so that the last ones taken are the
        // small ones and no thread is left with a long read while the others have nothing to do.
        std::vector<std::size_t> order(files.size());
        std::iota(order.begin(), order.end(), std::size_t(0));
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return files[a]->size > files[b]->size; });
        Platform::forEachOnWalkPool(
            order.size(), [&](std::size_t k) { read(order[k]); }, stop);
    } else {
        std::size_t index = 0;
        for (const Copies& list : lists) {
            if (stop.stop_requested())
                break;
            for (qsizetype i = 0; i < list.size(); ++i)
                read(index++);
        }
    }

    // A stop keeps the lists completed before the first one it cut.
    QList<Copies> result;
    std::size_t index = 0;
    for (const Copies& list : lists) {
        OrderedBuckets<QString> byPrint;
        for (const Entry& entry : list) {
            if (!done[index])
                return result;
            if (const std::optional<QString>& print = prints[index])
                byPrint.add(*print, entry);
            ++index;
        }
        result.append(byPrint.shared());
    }
    return result;
}

QList<DuplicatesScanner::Copies> DuplicatesScanner::samePartialFingerprint(const QList<Copies>& sameSize,
                                                                           std::stop_token stop) const
{
    return sameFingerprint(sameSize, stop, &DuplicatesScanner::partialFingerprint);
}

QList<DuplicatesScanner::Copies> DuplicatesScanner::sameContent(const QList<Copies>& candidates,
                                                                std::stop_token stop) const
{
    return sameFingerprint(candidates, stop, &DuplicatesScanner::fullFingerprint);
}

std::optional<QString> DuplicatesScanner::partialFingerprint(const Entry& entry, std::stop_token stop) const
{
    if (stop.stop_requested())
        return std::nullopt;
    const std::unique_ptr<Platform::ReadableFile> file =
        m_reads->open(entry.url, entry.device, entry.inode, entry.size);
    if (!file)
        return std::nullopt;
    char* buffer = readBuffer();
    const qint64 head = file->at(buffer, kPartialSpan, 0);
    if (head <= 0)
        return std::nullopt;
    Platform::Sha256 hash;
    hash.add(buffer, std::size_t(head));
    if (entry.size > kPartialSpan) {
        if (stop.stop_requested())
            return std::nullopt;
        // A tail that cannot be read leaves the head alone to tell files apart; the whole-content stage
        // settles it.
        const qint64 tail = file->at(buffer, kPartialSpan, entry.size - kPartialSpan);
        if (tail > 0)
            hash.add(buffer, std::size_t(tail));
    }
    return hash.finishHex();
}

std::optional<QString> DuplicatesScanner::fullFingerprint(const Entry& entry, std::stop_token stop) const
{
    if (stop.stop_requested())
        return std::nullopt;
    const std::unique_ptr<Platform::ReadableFile> file =
        m_reads->open(entry.url, entry.device, entry.inode, entry.size);
    if (!file)
        return std::nullopt;
    file->expectSequentialRead();
    char* buffer = readBuffer();
    Platform::Sha256 hash;
    qint64 total = 0;
    while (true) {
        if (stop.stop_requested())
            return std::nullopt;
        const qint64 n = file->next(buffer, kFullReadSize);
        if (n < 0)
            return std::nullopt; // a digest of the bytes before a failure could match another file's
        if (n == 0)
            break;
        hash.add(buffer, std::size_t(n));
        total += n;
        if (total > entry.size)
            return std::nullopt;
    }
    // A file that shrank or grew since the walk is not the file the group would show.
    if (total != entry.size)
        return std::nullopt;
    return hash.finishHex();
}

void DuplicatesScanner::sortByWaste(QList<Copies>& lists)
{
    const auto waste = [](const Copies& list) { return list.isEmpty() ? 0 : (list.size() - 1) * list.first().size; };
    std::stable_sort(lists.begin(), lists.end(), [&](const Copies& a, const Copies& b) { return waste(a) > waste(b); });
}

bool DuplicatesScanner::olderFirst(const Entry& a, const Entry& b)
{
    if (!b.modified)
        return false;
    if (!a.modified)
        return true;
    return *a.modified < *b.modified;
}

QList<ScanGroup> DuplicatesScanner::shaped(const Exclusions& exclusions, QList<Copies> duplicates)
{
    sortByWaste(duplicates);
    if (duplicates.size() > maximumGroups)
        duplicates.resize(maximumGroups);
    const ByteCountFormatter& bytes = FileUtils::byteFormatter();
    QList<ScanGroup> groups;
    for (Copies& copies : duplicates) {
        const qsizetype count = copies.size();
        const qint64 size = copies.first().size;
        const qint64 waste = (count - 1) * size;
        std::stable_sort(copies.begin(), copies.end(), olderFirst);

        ScanGroup group;
        group.id = QUuid::createUuid();
        group.title = copies.first().url.section(u'/', -1);
        group.symbol = u"doc.on.doc"_s;
        group.note = QString::number(count) + u" exemplaires de "_s + bytes.string(size) + u" · "_s +
                     FrenchText::recoverable(bytes.string(waste)) +
                     u". Le plus ancien est en tête ; cochez ceux à supprimer."_s;
        // An exclusion added since the walk still takes effect; the title and note keep counting every copy.
        for (const Entry& entry : std::as_const(copies)) {
            if (!ScanFilter::isSkipped(exclusions, entry.url))
                group.items.append(itemFor(entry));
        }
        if (group.items.isEmpty())
            continue;
        group.isExpanded = false;
        group.metric = ScanGroup::Metric::bytes;
        group.keepsFirst = true;
        groups.append(std::move(group));
    }
    return groups;
}

QList<ScanGroup> DuplicatesScanner::scan(const Progress& progress, std::stop_token stop) const
{
    const auto report = [&](double fraction, const QString& label) {
        if (progress)
            progress(fraction, label);
    };
    report(0.05, u"Recensement…"_s);
    const QList<Entry> entries = enumerate(progress, stop);
    report(0.55, u"Regroupement par taille…"_s);
    const QList<Copies> sameSize = groupBySize(entries);
    report(0.65, u"Empreintes partielles…"_s);
    const QList<Copies> candidates = samePartialFingerprint(sameSize, stop);
    report(0.8, u"Vérification du contenu…"_s);
    QList<Copies> duplicates = sameContent(candidates, stop);
    report(0.95, u"Mise en forme…"_s);
    QList<ScanGroup> groups = shaped(*m_exclusions, std::move(duplicates));
    report(1.0, QString());
    return groups;
}
