#include "Scanners/ModuleScanner.h"

#include "Platform/FileSystem.h"

#include <algorithm>

#include <QCollator>
#include <QLocale>

using namespace Qt::StringLiterals;

QString ModuleScanner::actionTitle() const
{
    return u"Nettoyer"_s;
}

QString ModuleScanner::emptyTitle() const
{
    return u"Rien à nettoyer"_s;
}

QString ModuleScanner::emptyMessage() const
{
    return u"Cette catégorie est déjà au propre."_s;
}

QList<Advisory> ModuleScanner::advisories() const
{
    return {};
}

QStringList ModuleScanner::directoryContents(const QString& folder)
{
    QStringList children;
    const std::optional<Platform::FileInfo> info = Platform::fileInfo(folder);
    if (!info || !info->isDirectory())
        return children;
    // Names only: every caller looks at each child afresh anyway.
    for (QString& child : Platform::listFolderPaths(info->path))
        children.append(std::move(child));
    return children;
}

QList<ScanGroup> NullScanner::scan(const Progress&, std::stop_token) const
{
    return {};
}

namespace ScanOrder {

namespace {

int rank(const ScanItem& item)
{
    return item.threat ? toRaw(item.threat->severity) : toRaw(ThreatSeverity::suspicious);
}

// QCollator is not safe to share between threads; each thread keeps its own.
const QCollator& frenchCollator()
{
    thread_local const QCollator collator = [] {
        QCollator c{QLocale(QLocale::French, QLocale::France)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

} // namespace

bool severityThenName(const ScanItem& a, const ScanItem& b)
{
    const int rankA = rank(a);
    const int rankB = rank(b);
    if (rankA != rankB)
        return rankA > rankB;
    return frenchCollator().compare(a.name, b.name) < 0;
}

void sortBySize(QList<ScanItem>& items)
{
    std::stable_sort(items.begin(), items.end(), [](const ScanItem& a, const ScanItem& b) { return a.size > b.size; });
}

QList<ScanItem> sortedBySize(QList<ScanItem> items)
{
    sortBySize(items);
    return items;
}

} // namespace ScanOrder
