#include "Core/SnapshotService.h"

#include "Core/ProcessRunner.h"
#include "Platform/Readings.h"
#include "Platform/SystemRoot.h"

#include <QHashFunctions>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace SnapshotService {

namespace {

const QString kPrefix = u"com.apple.TimeMachine."_s;
const QString kSuffix = u".local"_s;
const QString kTool = u"/usr/bin/tmutil"_s;

// ASCII digits only: a regular expression's \d would also take the digits of other scripts.
const QString kStampShape = u"[0-9]{4}-[0-9]{2}-[0-9]{2}-[0-9]{6}"_s;

// Spaces, tabs and the other space separators, but not line breaks.
bool isHorizontalSpace(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

QString trimmedHorizontally(QStringView line)
{
    qsizetype start = 0;
    qsizetype end = line.size();
    while (start < end && isHorizontalSpace(line[start]))
        ++start;
    while (end > start && isHorizontalSpace(line[end - 1]))
        --end;
    return line.mid(start, end - start).toString();
}

} // namespace

std::optional<QDateTime> dateOfStamp(const QString& stamp)
{
    const QDateTime date = QDateTime::fromString(stamp, u"yyyy-MM-dd-HHmmss"_s);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

std::optional<QString> firstStamp(const QString& text)
{
    static const QRegularExpression pattern(kStampShape);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured();
}

QString stamp(const QString& name)
{
    QString result = name;
    result.remove(kPrefix);
    result.remove(kSuffix);
    return result;
}

bool isStamp(const QString& stamp)
{
    static const QRegularExpression whole(QRegularExpression::anchoredPattern(kStampShape));
    return whole.match(stamp).hasMatch();
}

QList<Snapshot> listLocalSnapshots(const QString& volume)
{
    const OptimizationService::ProcessResult result =
        OptimizationService::run(kTool, {u"listlocalsnapshots"_s, volume}, true);
    if (result.status != 0)
        return {};
    return snapshotsFromListing(result.output);
}

QList<Snapshot> snapshotsFromListing(const QString& output)
{
    QList<Snapshot> snapshots;
    for (const QStringView piece : QStringView(output).split(u'\n', Qt::SkipEmptyParts)) {
        const QString line = trimmedHorizontally(piece);
        if (!line.startsWith(kPrefix))
            continue;
        Snapshot snapshot{line, std::nullopt};
        if (const std::optional<QString> found = firstStamp(line))
            snapshot.date = dateOfStamp(*found);
        snapshots.append(snapshot);
    }
    sortNewestFirst(snapshots);
    return snapshots;
}

void sortNewestFirst(QList<Snapshot>& snapshots)
{
    std::stable_sort(snapshots.begin(), snapshots.end(), [](const Snapshot& a, const Snapshot& b) {
        if (!a.date)
            return false;
        if (!b.date)
            return true;
        return *a.date > *b.date;
    });
}

Space space(const QString& path)
{
    const std::optional<Platform::VolumeCapacity> capacity = Platform::volumeCapacity(path);
    if (!capacity)
        return {};
    return Space{capacity->availableForImportantUsage.value_or(0), capacity->available.value_or(0)};
}

State loadState()
{
    State state;
    state.snapshots = listLocalSnapshots(u"/"_s);
    state.space = space(Platform::systemPath(u"/"_s));
    // Only the standard output counts: "no destination" is said on the error output.
    state.isTimeMachineConfigured = !OptimizationService::run(kTool, {u"destinationinfo"_s}, false).output.isEmpty();
    return state;
}

std::optional<QString> deleteCommand(const Snapshot& snapshot)
{
    const QString stampText = stamp(snapshot.name);
    if (!isStamp(stampText) || snapshot.name != kPrefix + stampText + kSuffix)
        return std::nullopt;
    return OptimizationService::shellQuoted(Platform::systemPath(kTool)) + u" deletelocalsnapshots "_s +
           OptimizationService::shellQuoted(stampText);
}

QString unrecognisedName()
{
    return u"Nom d'instantané non reconnu."_s;
}

std::optional<QString> deleteSnapshot(const Snapshot& snapshot)
{
    const std::optional<QString> command = deleteCommand(snapshot);
    if (!command)
        return unrecognisedName();
    return OptimizationService::runAsAdministrator(*command);
}

std::optional<QString> deleteAllCommand(const QList<Snapshot>& snapshots, qsizetype* sent)
{
    QStringList parts;
    for (const Snapshot& snapshot : snapshots) {
        if (const std::optional<QString> command = deleteCommand(snapshot))
            parts.append(*command + u" || rc=1"_s);
    }
    if (sent)
        *sent = parts.size();
    if (parts.isEmpty())
        return std::nullopt;
    // Each deletion runs whatever became of the one before; the line fails when any of them failed.
    return u"rc=0; "_s + parts.join(u"; "_s) + u"; exit $rc"_s;
}

Deletion deleteAll(const QList<Snapshot>& snapshots)
{
    Deletion deletion;
    const std::optional<QString> command = deleteAllCommand(snapshots, &deletion.sent);
    if (!command)
        deletion.error = unrecognisedName();
    else
        deletion.error = OptimizationService::runAsAdministrator(*command);
    return deletion;
}

} // namespace SnapshotService

size_t qHash(const SnapshotService::Snapshot& snapshot, size_t seed) noexcept
{
    seed = qHash(snapshot.name, seed);
    seed = qHash(snapshot.date.has_value(), seed);
    if (snapshot.date)
        seed = qHash(*snapshot.date, seed);
    return seed;
}
