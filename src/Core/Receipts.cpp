#include "Core/Receipts.h"

#include "Core/FileUtils.h"
#include "Core/PathSafety.h"
#include "Core/ProcessRunner.h"
#include "Platform/FileSystem.h"
#include "Platform/SystemRoot.h"

#include <algorithm>
#include <cmath>

#include <QFileInfo>
#include <QHash>
#include <QSet>

using namespace Qt::StringLiterals;

namespace Receipts {

namespace {

const QString kTool = u"/usr/sbin/pkgutil"_s;

// The latest moment a date can hold here (the end of year 9999), in seconds since 1970.
constexpr double kLatestSeconds = 253402300799.0;

bool isBlank(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

QString trimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin).toString();
}

// The tool's output, one trimmed line each, blank lines left out; nothing when it failed or could not start.
std::optional<QStringList> runTool(const QStringList& arguments)
{
    const OptimizationService::ProcessResult result = OptimizationService::run(kTool, arguments, true);
    if (result.status != 0)
        return std::nullopt;
    return outputLines(result.output);
}

// "key: value" lines as a dictionary. Colons leading a line are passed over; a line without a value after its
// colon says nothing; a later line overrides an earlier one with the same key.
QHash<QString, QString> fields(const QStringList& lines)
{
    QHash<QString, QString> result;
    for (const QString& line : lines) {
        QStringView rest(line);
        while (rest.startsWith(u':'))
            rest = rest.mid(1);
        const qsizetype colon = rest.indexOf(u':');
        if (colon < 0 || colon == rest.size() - 1)
            continue;
        result.insert(trimmed(rest.left(colon)), trimmed(rest.mid(colon + 1)));
    }
    return result;
}

std::optional<QDateTime> installTime(const std::optional<QString>& text)
{
    if (!text)
        return std::nullopt;
    bool isNumber = false;
    const double seconds = text->toDouble(&isNumber);
    if (!isNumber || !std::isfinite(seconds) || std::fabs(seconds) > kLatestSeconds)
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(qint64(std::llround(seconds * 1000.0)), Qt::UTC);
}

bool isInside(const QString& path, const QString& application)
{
    return Platform::isEqualOrUnder(path, application);
}

qint64 bytesOf(const QString& file)
{
    const std::optional<Platform::FileInfo> info = Platform::fileInfo(file);
    if (!info)
        return 0;
    if (info->isRegular())
        return info->allocatedSize;
    if (info->isDirectory())
        return FileUtils::walkAllocatedSize(info->path);
    return 0; // a link adds nothing of what it leads to
}

} // namespace

QStringList outputLines(const QString& output)
{
    QStringList lines;
    for (const QStringView line : QStringView(output).split(u'\n', Qt::SkipEmptyParts)) {
        QString text = trimmed(line);
        if (!text.isEmpty())
            lines.append(std::move(text));
    }
    return lines;
}

std::optional<Package> packageFromInfo(const QString& identifier, const QStringList& lines)
{
    const QHash<QString, QString> info = fields(lines);
    if (!info.contains(u"version"_s))
        return std::nullopt;
    Package package;
    package.id = identifier;
    package.version = info.value(u"version"_s);
    package.location = info.value(u"location"_s);
    package.volume = info.value(u"volume"_s, u"/"_s);
    package.installedAt =
        installTime(info.contains(u"install-time"_s) ? std::optional(info.value(u"install-time"_s)) : std::nullopt);
    return package;
}

std::optional<QString> recordedMacPath(const Package& package, const QString& recorded)
{
    // A path that was not valid UTF-8 cannot be named again: it might name another file.
    if (recorded.contains(QChar::ReplacementCharacter))
        return std::nullopt;
    const QString base = package.volume.endsWith(u'/') ? package.volume : package.volume + u'/';
    const QString separator = package.location.isEmpty() || package.location.endsWith(u'/') ? QString() : u"/"_s;
    return Platform::standardizedPath(base + package.location + separator + recorded);
}

size_t qHash(const Package& package, size_t seed) noexcept
{
    return qHashMulti(seed, package.id, package.version, package.location, package.volume,
                      package.installedAt.has_value(), package.installedAt.value_or(QDateTime()));
}

QStringList Trace::filesOutside(const QString& application) const
{
    const QString bundle = Platform::absolutePath(application);
    QStringList outside;
    for (const QString& file : files) {
        if (!isInside(file, bundle))
            outside.append(file);
    }
    return outside;
}

QList<Package> allPackages()
{
    QList<Package> packages;
    const std::optional<QStringList> lines = runTool({u"--pkgs"_s});
    if (!lines)
        return packages;
    QSet<QString> seen;
    for (const QString& identifier : *lines) {
        if (identifier.toLower().startsWith(u"com.apple."_s) || seen.contains(identifier))
            continue;
        seen.insert(identifier);
        if (std::optional<Package> package = packageInfo(identifier))
            packages.append(std::move(*package));
    }
    std::stable_sort(packages.begin(), packages.end(), isInstalledLater);
    return packages;
}

std::optional<Package> packageInfo(const QString& identifier)
{
    const std::optional<QStringList> lines = runTool({u"--pkg-info"_s, identifier});
    if (!lines)
        return std::nullopt;
    return packageFromInfo(identifier, *lines);
}

QStringList files(const Package& package)
{
    QStringList result;
    const std::optional<QStringList> lines = runTool({u"--only-files"_s, u"--files"_s, package.id});
    if (!lines)
        return result;
    QSet<QString> seen;
    for (const QString& recorded : *lines) {
        const std::optional<QString> macPath = recordedMacPath(package, recorded);
        if (!macPath)
            continue;
        const QString path = Platform::systemPath(*macPath);
        if (seen.contains(path) || PathSafety::isProtected(path) || !QFileInfo::exists(path))
            continue;
        seen.insert(path);
        result.append(path);
    }
    return result;
}

QList<Trace> traces(const QString& application)
{
    QList<Trace> result;
    const std::optional<QString> bundle = Platform::standardizedPath(Platform::absolutePath(application));
    if (!bundle)
        return result;
    for (const Package& package : allPackages()) {
        const QStringList owned = files(package);
        if (std::none_of(owned.cbegin(), owned.cend(), [&](const QString& file) { return isInside(file, *bundle); }))
            continue;
        qint64 bytes = 0;
        for (const QString& file : owned)
            bytes += bytesOf(file);
        result.append(Trace{package, owned, bytes});
    }
    return result;
}

bool isInstalledLater(const Package& a, const Package& b)
{
    if (!a.installedAt)
        return false;
    return !b.installedAt || *a.installedAt > *b.installedAt;
}

} // namespace Receipts
