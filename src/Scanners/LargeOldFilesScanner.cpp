#include "Scanners/LargeOldFilesScanner.h"

#include "Core/FileUtils.h"
#include "Platform/FileSystem.h"
#include "Platform/SystemRoot.h"
#include "Scanners/ScanFilter.h"

#include <QStringView>

#include <algorithm>
#include <array>

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

LargeOldFilesScanner::LargeOldFilesScanner(ModuleID module, qint64 minimumSize, QSet<QString> skippedDirectories)
    : m_moduleID(module), m_minimumSize(minimumSize), m_skippedDirectories(std::move(skippedDirectories))
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
    std::array<QList<ScanItem>, 6> found;
    long visited = 0;
    Platform::walkTree(
        home,
        [&](const Platform::FileInfo& entry, int) {
            if (entry.name.startsWith(u'.'))
                return Platform::WalkStep::SkipDescendants; // hidden: neither counted nor entered
            ++visited;
            if (progress && visited % kProgressEvery == 0)
                progress(std::min(double(visited) / kExpectedEntries, 0.95), FileUtils::abbreviatedPath(entry.path));
            if (entry.isDirectory()) {
                // Skipped names at any depth, and packages, which are neither entered nor listed.
                if (m_skippedDirectories.contains(entry.name) || Platform::isPackage(entry.path))
                    return Platform::WalkStep::SkipDescendants;
                return Platform::WalkStep::Continue;
            }
            // Sizes are what the file takes on disk: a sparse file is judged by its allocated blocks.
            if (!entry.isRegular() || entry.allocatedSize < minimum || ScanFilter::isSkipped(entry.path))
                return Platform::WalkStep::Continue;
            found[std::size_t(kind(extensionOf(entry.name)))].append(itemFor(entry));
            return Platform::WalkStep::Continue;
        },
        stop);
    if (progress)
        progress(1.0, QString());

    QList<ScanGroup> groups;
    for (const KindInfo& info : kinds()) {
        QList<ScanItem> items;
        // An exclusion added while the walk ran still takes effect.
        for (ScanItem& item : found[std::size_t(info.kind)]) {
            if (!ScanFilter::isSkipped(item.url))
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
