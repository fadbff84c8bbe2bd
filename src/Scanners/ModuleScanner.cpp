#include "Scanners/ModuleScanner.h"

#include "Platform/FileSystem.h"

#include <algorithm>
#include <utility>
#include <vector>

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
    std::vector<QString> paths = Platform::listFolderPaths(info->path);
    children.reserve(qsizetype(paths.size()));
    for (QString& child : paths)
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
    // Items already in order (a caller that sorted them as it built them) are left where they are.
    if (std::is_sorted(items.cbegin(), items.cend(),
                       [](const ScanItem& a, const ScanItem& b) { return a.size > b.size; }))
        return;
    // Sizes and places are sorted, then each item is moved once: moving whole items at every step of the
    // sort costs more than the sort itself for the hundred thousand items of a large folder.
    std::vector<std::pair<qint64, qsizetype>> order;
    order.reserve(std::size_t(items.size()));
    for (qsizetype i = 0; i < items.size(); ++i)
        order.emplace_back(items[i].size, i);
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    QList<ScanItem> sorted;
    sorted.reserve(items.size());
    for (const auto& [size, index] : order)
        sorted.append(std::move(items[index]));
    items = std::move(sorted);
}

QList<ScanItem> sortedBySize(QList<ScanItem> items)
{
    sortBySize(items);
    return items;
}

} // namespace ScanOrder
