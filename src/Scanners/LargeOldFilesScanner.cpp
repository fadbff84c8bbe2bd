#include "Scanners/LargeOldFilesScanner.h"

#include "Core/FileUtils.h"
#include "Platform/FileSystem.h"
#include "Platform/SystemRoot.h"
#include "Scanners/ScanFilter.h"

#include <QFile>
#include <QStringView>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <iterator>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kProgressEvery = 400;
constexpr double kExpectedEntries = 120'000;

struct KindInfo {
    LargeOldFilesScanner::Kind kind;
    QString title;
    QString symbol;
    QStringList extensions;
};

const std::array<KindInfo, 6>& kinds()
{
    using Kind = LargeOldFilesScanner::Kind;
    static const std::array<KindInfo, 6> table{{
        {Kind::video,
         u"Vidéos"_s,
         u"film"_s,
         {u"mov"_s, u"mp4"_s, u"m4v"_s, u"avi"_s, u"mkv"_s, u"webm"_s, u"mpg"_s, u"mpeg"_s, u"wmv"_s, u"flv"_s}},
        {Kind::archive,
         u"Archives"_s,
         u"archivebox"_s,
         {u"zip"_s, u"tar"_s, u"gz"_s, u"bz2"_s, u"xz"_s, u"rar"_s, u"7z"_s, u"tgz"_s}},
        {Kind::diskImage,
         u"Images disque"_s,
         u"opticaldiscdrive"_s,
         {u"dmg"_s, u"iso"_s, u"img"_s, u"sparsebundle"_s, u"sparseimage"_s, u"pkg"_s, u"vmdk"_s, u"qcow2"_s}},
        {Kind::audio,
         u"Audio"_s,
         u"waveform"_s,
         {u"mp3"_s, u"wav"_s, u"aiff"_s, u"flac"_s, u"m4a"_s, u"logicx"_s, u"band"_s}},
        {Kind::document,
         u"Documents"_s,
         u"doc.richtext"_s,
         {u"pdf"_s, u"psd"_s, u"ai"_s, u"indd"_s, u"sketch"_s, u"key"_s, u"pages"_s, u"numbers"_s, u"pptx"_s, u"docx"_s,
          u"xlsx"_s}},
        {Kind::other, u"Autres fichiers"_s, u"doc"_s, {}},
    }};
    return table;
}

// The last extension of a file name, as the Mac reads it ("backup.tar.gz" → "gz"; none for "README").
QString extensionOf(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.mid(dot + 1) : QString();
}

// A file at or above the threshold, as the walk found it. `order` holds its folder's number and the folders
// entered from there before it, until the walk is over; then its key in the walk's order.
struct Candidate {
    QString path;
    qint64 size = 0;
    qint64 modifiedMSecs = 0;
    std::uint64_t order = 0;
};

ScanItem itemFor(Candidate& file)
{
    const qsizetype slash = file.path.lastIndexOf(u'/');
    ScanItem item;
    item.id = QUuid::createUuid();
    item.name = file.path.mid(slash + 1);
    item.size = file.size;
    item.modified = QDateTime::fromMSecsSinceEpoch(file.modifiedMSecs, Qt::UTC);
    QString detail = FileUtils::abbreviatedPath(file.path.left(slash));
    if (const std::optional<QString> when = FileUtils::relativeDate(item.modified))
        detail += u" · modifié "_s + *when;
    item.detail = std::move(detail);
    item.url = std::move(file.path);
    item.isSelected = false;
    item.isRisky = true;
    item.removalMode = Removal::Mode::trash();
    return item;
}

} // namespace

LargeOldFilesScanner::LargeOldFilesScanner(const Exclusions& exclusions, ModuleID module, qint64 minimumSize,
                                           QSet<QString> skippedDirectories)
    : m_exclusions(&exclusions), m_moduleID(module), m_minimumSize(minimumSize),
      m_skippedDirectories(std::move(skippedDirectories))
{
}

QSet<QString> LargeOldFilesScanner::standardSkippedDirectories()
{
    return {u"Library"_s, u".Trash"_s, u"Applications"_s, u".git"_s,    u"node_modules"_s,
            u".npm"_s,    u".cargo"_s, u".gradle"_s,      u".docker"_s, u"Pictures"_s};
}

LargeOldFilesScanner::Kind LargeOldFilesScanner::kind(const QString& extension)
{
    const QString lower = extension.toLower();
    for (const KindInfo& info : kinds()) {
        if (info.extensions.contains(lower))
            return info.kind;
    }
    return Kind::other;
}

QString LargeOldFilesScanner::actionTitle() const
{
    return u"Mettre à la corbeille"_s;
}

QString LargeOldFilesScanner::emptyTitle() const
{
    return u"Aucun fichier volumineux"_s;
}

QString LargeOldFilesScanner::emptyMessage() const
{
    return u"Rien ne dépasse le seuil dans votre dossier personnel."_s;
}

QList<ScanGroup> LargeOldFilesScanner::scan(const Progress& progress, std::stop_token stop) const
{
    const QString home = Platform::homeFolder();
    const qint64 minimum = m_minimumSize;
    // Skipped names compared as the file system's bytes: most folders are then judged without a decoding.
    std::set<std::string, std::less<>> skippedNames;
    for (const QString& name : m_skippedDirectories)
        skippedNames.insert(QFile::encodeName(name).toStdString());

    // Files at or above the threshold, from every folder as it is read; put in the walk's order afterwards.
    std::mutex foundMutex;
    std::vector<Candidate> candidates;

    // Progress every 400 visible entries, counted over all folders, reported by the calling thread only (the
    // callback belongs to it), as it reads folders and once more when the walk is over.
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<long> visited{0};
    long reported = 0;
    QString label;
    const auto reportDue = [&] {
        for (const long seen = visited.load(); reported + kProgressEvery <= seen;) {
            reported += kProgressEvery;
            progress(std::min(double(reported) / kExpectedEntries, 0.95), label);
        }
    };

    Platform::WalkOrder walkOrder;
    Platform::walkTreeSideBySide(
        home,
        [&](const Platform::WalkedFolder& folder, std::vector<char>& enter) {
            long visible = 0;
            std::uint32_t entered = 0; // folders entered from this one so far
            const Platform::LeanEntry* last = nullptr;
            std::vector<Candidate> found;
            QString folderPath;
            for (std::size_t i = 0; i < folder.entries.size(); ++i) {
                const Platform::LeanEntry& entry = folder.entries[i];
                if (entry.name[0] == '.')
                    continue; // hidden: neither counted nor entered
                ++visible;
                last = &entry;
                if (entry.kind == Platform::EntryKind::Directory) {
                    // Skipped names at any depth, and packages, which are neither entered nor listed.
                    enter[i] = !skippedNames.contains(entry.name) &&
                               !Platform::isPackage(QFile::decodeName(entry.name.c_str()));
                    entered += enter[i] ? 1 : 0;
                    continue;
                }
                // Sizes are what the file takes on disk: a sparse file is judged by its allocated blocks.
                if (entry.kind != Platform::EntryKind::Regular || entry.allocatedSize < minimum)
                    continue;
                if (folderPath.isEmpty())
                    folderPath = folder.path();
                Candidate& candidate = found.emplace_back();
                candidate.path = folderPath + u'/' + QFile::decodeName(entry.name.c_str());
                candidate.size = entry.allocatedSize;
                candidate.modifiedMSecs = entry.modifiedMSecs;
                candidate.order = (std::uint64_t(folder.id) << 32) | entered;
            }
            if (!found.empty()) {
                const std::lock_guard lock(foundMutex);
                std::move(found.begin(), found.end(), std::back_inserter(candidates));
            }
            const long seen = visited.fetch_add(visible, std::memory_order_relaxed) + visible;
            if (progress && last && std::this_thread::get_id() == caller && reported + kProgressEvery <= seen) {
                label = FileUtils::abbreviatedPath(folder.path() + u'/' + QFile::decodeName(last->name.c_str()), home);
                reportDue();
            }
        },
        stop, &walkOrder);
    if (progress)
        reportDue();
    if (progress)
        progress(1.0, QString());

    // The filter sees the files in the walk's order, and a stop it brings about ends the list there, as it
    // would have ended a walk made one entry after another. Files of one folder arrived together, in its order.
    for (Candidate& candidate : candidates)
        candidate.order = walkOrder.key(std::uint32_t(candidate.order >> 32), std::uint32_t(candidate.order));
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.order < b.order; });
    const bool stoppedWalking = stop.stop_requested();
    std::array<std::vector<std::size_t>, 6> found;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (!stoppedWalking && stop.stop_requested())
            break;
        const QString& path = candidates[i].path;
        if (ScanFilter::isSkipped(*m_exclusions, path))
            continue;
        found[std::size_t(kind(extensionOf(path.mid(path.lastIndexOf(u'/') + 1))))].push_back(i);
    }

    QList<ScanGroup> groups;
    for (const KindInfo& info : kinds()) {
        std::vector<std::size_t>& files = found[std::size_t(info.kind)];
        // Largest first; files of one size keep the walk's order.
        std::stable_sort(files.begin(), files.end(),
                         [&](std::size_t a, std::size_t b) { return candidates[a].size > candidates[b].size; });
        QList<ScanItem> items;
        for (const std::size_t i : files) {
            // An exclusion added while the walk ran still takes effect.
            if (!ScanFilter::isSkipped(*m_exclusions, candidates[i].path))
                items.append(itemFor(candidates[i]));
        }
        if (items.isEmpty())
            continue;
        ScanGroup group;
        group.id = QUuid::createUuid();
        group.title = info.title;
        group.symbol = info.symbol;
        group.items = std::move(items);
        group.isExpanded = false;
        group.metric = ScanGroup::Metric::bytes;
        groups.append(std::move(group));
    }
    return groups;
}
