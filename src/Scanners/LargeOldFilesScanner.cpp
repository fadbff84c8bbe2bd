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

ScanItem itemFor(const Platform::FileInfo& file)
{
    ScanItem item;
    item.id = QUuid::createUuid();
    item.url = file.path;
    item.name = file.name;
    item.size = file.allocatedSize;
    if (file.modified.isValid())
        item.modified = file.modified;
    QString detail = FileUtils::abbreviatedPath(file.path.section(u'/', 0, -2));
    if (const std::optional<QString> when = FileUtils::relativeDate(item.modified))
        detail += u" · modifié "_s + *when;
    item.detail = std::move(detail);
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
    struct Candidate {
        std::vector<quint32> place;
        Platform::FileInfo file;
    };
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

    Platform::walkTreeSideBySide(
        home,
        [&](const Platform::WalkedFolder& folder, std::vector<char>& enter) {
            long visible = 0;
            const Platform::LeanEntry* last = nullptr;
            std::vector<Candidate> found;
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
                    continue;
                }
                // Sizes are what the file takes on disk: a sparse file is judged by its allocated blocks.
                if (entry.kind != Platform::EntryKind::Regular || entry.allocatedSize < minimum)
                    continue;
                Candidate candidate;
                candidate.place.assign(folder.place.begin(), folder.place.end());
                candidate.place.push_back(quint32(i));
                Platform::FileInfo& file = candidate.file;
                file.name = QFile::decodeName(entry.name.c_str());
                file.path = folder.path + u'/' + file.name;
                file.kind = entry.kind;
                file.allocatedSize = entry.allocatedSize;
                file.modified = QDateTime::fromMSecsSinceEpoch(entry.modifiedMSecs, Qt::UTC);
                found.push_back(std::move(candidate));
            }
            if (!found.empty()) {
                const std::lock_guard lock(foundMutex);
                std::move(found.begin(), found.end(), std::back_inserter(candidates));
            }
            visited.fetch_add(visible, std::memory_order_relaxed);
            if (progress && last && std::this_thread::get_id() == caller) {
                label = FileUtils::abbreviatedPath(folder.path + u'/' + QFile::decodeName(last->name.c_str()), home);
                reportDue();
            }
        },
        stop);
    if (progress)
        reportDue();
    if (progress)
        progress(1.0, QString());

    // The filter sees the files in the walk's order, and a stop it brings about ends the list there, as it
    // would have ended a walk made one entry after another.
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return std::lexicographical_compare(a.place.begin(), a.place.end(), b.place.begin(), b.place.end());
    });
    const bool stoppedWalking = stop.stop_requested();
    std::array<QList<ScanItem>, 6> found;
    for (const Candidate& candidate : candidates) {
        if (!stoppedWalking && stop.stop_requested())
            break;
        if (ScanFilter::isSkipped(*m_exclusions, candidate.file.path))
            continue;
        found[std::size_t(kind(extensionOf(candidate.file.name)))].append(itemFor(candidate.file));
    }

    QList<ScanGroup> groups;
    for (const KindInfo& info : kinds()) {
        QList<ScanItem> items;
        // An exclusion added while the walk ran still takes effect.
        for (ScanItem& item : found[std::size_t(info.kind)]) {
            if (!ScanFilter::isSkipped(*m_exclusions, item.url))
                items.append(std::move(item));
        }
        if (items.isEmpty())
            continue;
        ScanGroup group;
        group.id = QUuid::createUuid();
        group.title = info.title;
        group.symbol = info.symbol;
        group.items = ScanOrder::sortedBySize(std::move(items));
        group.isExpanded = false;
        group.metric = ScanGroup::Metric::bytes;
        groups.append(std::move(group));
    }
    return groups;
}
