#include "Scanners/TrashScanner.h"

#include "Platform/Access.h"
#include "Platform/FileSystem.h"
#include "Platform/SystemRoot.h"
#include "Platform/Volumes.h"
#include "Scanners/ScanItems.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace {

QList<ScanItem> trashItems(const Exclusions& exclusions, const QString& trash, const std::stop_token& stop)
{
    QList<ScanItem> items;
    for (const QString& child : ModuleScanner::directoryContents(trash)) {
        if (stop.stop_requested())
            break;
        if (std::optional<ScanItem> item = ScanItems::measured(exclusions, child, Removal::Mode::deletion(), stop))
            items.append(std::move(*item));
    }
    return items;
}

bool isFolder(const QString& path)
{
    const std::optional<Platform::FileInfo> info = Platform::fileInfo(path);
    return info && info->isDirectory();
}

} // namespace

QString TrashScanner::actionTitle() const
{
    return u"Vider"_s;
}

QString TrashScanner::emptyTitle() const
{
    return u"Corbeilles vides"_s;
}

QString TrashScanner::emptyMessage() const
{
    return u"Rien n'attend d'être jeté."_s;
}

QList<ScanGroup> TrashScanner::scan(const Progress& progress, std::stop_token stop) const
{
    QList<ScanGroup> groups;

    if (progress)
        progress(0.2, u"Corbeille…"_s);
    const QString userTrash = QDir::cleanPath(Platform::homeFolder() + u"/.Trash"_s);
    if (std::optional<ScanGroup> group =
            ScanItems::group(u"Corbeille"_s, u"trash"_s, u"Suppression définitive — cette étape n'est pas annulable."_s,
                             trashItems(*m_exclusions, userTrash, stop)))
        groups.append(std::move(*group));

    if (progress)
        progress(0.6, u"Volumes externes…"_s);
    const QString user = QString::number(Platform::userID());
    for (const QString& volume : Platform::mountedVolumes()) {
        if (stop.stop_requested())
            break;
        // Both levels must be real folders: a volume is any disk plugged in, and a ".Trashes" link on it
        // would otherwise have the scan offer some other folder's contents for permanent deletion.
        const QString trashes = volume + u"/.Trashes"_s;
        const QString trash = trashes + u'/' + user;
        if (!isFolder(trashes) || !isFolder(trash))
            continue;
        if (std::optional<ScanGroup> group = ScanItems::group(u"Corbeille — "_s + volume.section(u'/', -1),
                                                              u"externaldrive.trianglebadge.exclamationmark"_s,
                                                              std::nullopt, trashItems(*m_exclusions, trash, stop)))
            groups.append(std::move(*group));
    }

    if (progress)
        progress(1.0, QString());
    return groups;
}
