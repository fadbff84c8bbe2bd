#include "Performance/OptimizationService.h"

#include "Core/FileUtils.h"
#include "Core/ProcessRunner.h"
#include "Platform/FileSystem.h"
#include "Platform/PropertyList.h"
#include "Platform/RunningApplications.h"
#include "Platform/SystemRoot.h"

#include <QCollator>
#include <QHash>
#include <QLocale>
#include <QVariantList>
#include <QVariantMap>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace OptimizationService {

namespace {

bool isText(const QVariant& value)
{
    return value.typeId() == QMetaType::QString;
}

// The first element of a non-empty list made only of texts.
std::optional<QString> firstArgument(const QVariant& value)
{
    if (value.typeId() != QMetaType::QVariantList)
        return std::nullopt;
    const QVariantList list = value.toList();
    if (list.isEmpty() || !std::all_of(list.cbegin(), list.cend(), isText))
        return std::nullopt;
    return list.first().toString();
}

const QString noProgram = u"—"_s;
const QString plistSuffix = u".plist"_s;

// A processor share of one process, in percent of one processor: far above the processors of any Mac.
constexpr double kMostProcessorShare = 1'000'000.0;

} // namespace

QList<LaunchFolder> launchFolders()
{
    return {{FileUtils::libraryURL({u"LaunchAgents"_s}), userScope},
            {Platform::systemPath(u"/Library/LaunchAgents"_s), allUsersScope},
            {Platform::systemPath(u"/Library/LaunchDaemons"_s), systemScope}};
}

std::optional<LaunchItem> launchItem(const QString& path, const QVariant& plist, const QString& scope)
{
    if (plist.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap dictionary = plist.toMap();
    LaunchItem item;
    item.id = QUuid::createUuid();
    const QVariant label = dictionary.value(u"Label"_s);
    if (isText(label)) {
        item.label = label.toString();
    } else {
        item.label = path.section(u'/', -1);
        item.label.chop(plistSuffix.size());
    }
    const QVariant program = dictionary.value(u"Program"_s);
    if (isText(program))
        item.program = program.toString();
    else
        item.program = firstArgument(dictionary.value(u"ProgramArguments"_s)).value_or(noProgram);
    const QVariant disabled = dictionary.value(u"Disabled"_s);
    item.isEnabled = !(disabled.typeId() == QMetaType::Bool && disabled.toBool());
    item.url = path;
    item.scope = scope;
    item.icon = item.program;
    return item;
}

QList<LaunchItem> launchItems(const QList<LaunchFolder>& folders, const QList<Platform::RunningApplication>& running)
{
    QList<LaunchItem> items;
    for (const LaunchFolder& folder : folders) {
        for (const QString& path : Platform::listFolderPaths(folder.path)) {
            const QString name = path.section(u'/', -1);
            if (!name.endsWith(plistSuffix) || name.size() == plistSuffix.size())
                continue;
            // Only a regular file is read, a link through the link; a folder or a FIFO gives nothing.
            const std::optional<QVariant> plist = Platform::PropertyList::readFile(path);
            if (!plist)
                continue;
            if (std::optional<LaunchItem> item = launchItem(path, *plist, folder.scope))
                items.append(std::move(*item));
        }
    }
    for (const Platform::RunningApplication& application : running) {
        if (application.activationPolicy != Platform::ActivationPolicy::accessory || application.bundlePath.isEmpty() ||
            application.localizedName.isEmpty())
            continue;
        const bool known = std::any_of(items.cbegin(), items.cend(),
                                       [&](const LaunchItem& item) { return item.label == application.localizedName; });
        if (known)
            continue;
        items.append({QUuid::createUuid(), application.localizedName, application.bundlePath, application.bundlePath,
                      loginItemScope, true, application.bundlePath});
    }
    QCollator collator{QLocale(QLocale::French, QLocale::France)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(items.begin(), items.end(),
                     [&](const LaunchItem& a, const LaunchItem& b) { return collator.compare(a.label, b.label) < 0; });
    return items;
}

QList<LaunchItem> launchItems()
{
    return launchItems(launchFolders(), Platform::runningApplications());
}

std::vector<ProcessRow> processRows(const QString& psText)
{
    static const QString marker = u".app/Contents/MacOS/"_s;
    std::vector<ProcessRow> rows;
    for (const QString& line : psText.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList pieces = line.split(u' ', Qt::SkipEmptyParts);
        if (pieces.size() < 4)
            continue;
        bool pidRead = false;
        bool cpuRead = false;
        bool rssRead = false;
        const qint32 pid = pieces[0].toInt(&pidRead);
        const double cpu = pieces[1].toDouble(&cpuRead);
        const qint64 kibibytes = pieces[2].toLongLong(&rssRead);
        // A share below nothing or past what any machine's processors give is no share, so that sums of
        // them stay finite; a size below nothing, or whose bytes would not fit a signed 64-bit count, no size.
        if (!pidRead || !cpuRead || !rssRead || !(cpu >= 0 && cpu <= kMostProcessorShare))
            continue;
        if (kibibytes > std::numeric_limits<qint64>::max() / 1024 || kibibytes < 0)
            continue;
        const QString command = pieces.mid(3).join(u' ');
        const qsizetype at = command.indexOf(marker);
        if (at < 0)
            continue;
        ProcessRow row;
        row.pid = pid;
        row.cpu = cpu;
        row.memory = kibibytes * 1024;
        row.bundlePath = command.left(at) + u".app"_s;
        row.name = row.bundlePath.section(u'/', -1).chopped(4);
        rows.push_back(std::move(row));
    }
    return rows;
}

QList<HeavyApp> mergeHeavyApps(const std::vector<ProcessRow>& rows)
{
    QList<HeavyApp> apps;
    QHash<QString, qsizetype> indexOf;
    for (const ProcessRow& row : rows) {
        const auto found = indexOf.constFind(row.name);
        if (found == indexOf.cend()) {
            indexOf.insert(row.name, apps.size());
            apps.append({QUuid::createUuid(), row.name, row.pid, row.cpu, row.memory, row.bundlePath, row.bundlePath});
            continue;
        }
        HeavyApp& app = apps[*found];
        app.cpu += row.cpu;
        // Sums held at the 64-bit limit rather than wrapped.
        app.memory = row.memory > 0 && app.memory > std::numeric_limits<qint64>::max() - row.memory
                         ? std::numeric_limits<qint64>::max()
                     : row.memory < 0 && app.memory < std::numeric_limits<qint64>::min() - row.memory
                         ? std::numeric_limits<qint64>::min()
                         : app.memory + row.memory;
    }
    std::stable_sort(apps.begin(), apps.end(),
                     [](const HeavyApp& a, const HeavyApp& b) { return a.memory > b.memory; });
    return apps;
}

QList<HeavyApp> heavyApps()
{
    const ProcessResult result = run(u"/bin/ps"_s, {u"-axo"_s, u"pid=,pcpu=,rss=,comm="_s}, false);
    std::vector<ProcessRow> rows = processRows(result.output);
    std::erase_if(rows, [](const ProcessRow& row) { return !Platform::isSystemProgram(row.bundlePath); });
    return mergeHeavyApps(rows);
}

} // namespace OptimizationService
