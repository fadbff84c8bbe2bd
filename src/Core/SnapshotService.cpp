#include "Core/SnapshotService.h"

#include "Core/ProcessRunner.h"

#include <QHashFunctions>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace SnapshotService {

namespace {

const QString kPrefix = u"com.apple.TimeMachine."_s;

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

QList<Snapshot> listLocalSnapshots(const QString& volume)
{
    const OptimizationService::ProcessResult result =
        OptimizationService::run(u"/usr/bin/tmutil"_s, {u"listlocalsnapshots"_s, volume}, true);
    if (result.status != 0)
        return {};
    static const QRegularExpression stampPattern(u"\\d{4}-\\d{2}-\\d{2}-\\d{6}"_s);
    QList<Snapshot> snapshots;
    for (const QStringView piece : QStringView(result.output).split(u'\n', Qt::SkipEmptyParts)) {
        const QString line = trimmedHorizontally(piece);
        if (!line.startsWith(kPrefix))
            continue;
        Snapshot snapshot{line, std::nullopt};
        const QRegularExpressionMatch match = stampPattern.match(line);
        if (match.hasMatch())
            snapshot.date = dateOfStamp(match.captured());
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

} // namespace SnapshotService

size_t qHash(const SnapshotService::Snapshot& snapshot, size_t seed) noexcept
{
    seed = qHash(snapshot.name, seed);
    seed = qHash(snapshot.date.has_value(), seed);
    if (snapshot.date)
        seed = qHash(*snapshot.date, seed);
    return seed;
}
