#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// The reader of Time Machine local snapshots, through the system's tmutil. Stateless; every call blocks
// while the tool runs, so callers run it off the GUI thread.
namespace SnapshotService {

struct Snapshot {
    QString name;                  // the whole trimmed line tmutil printed, "com.apple.TimeMachine.<stamp>.local"
    std::optional<QDateTime> date; // the stamp read as local wall-clock time; absent when none parses

    const QString& id() const { return name; }

    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

// The local snapshots of `volume`, newest first; an empty list when the listing fails.
QList<Snapshot> listLocalSnapshots(const QString& volume);

// Stable, latest first; snapshots without a date come last.
void sortNewestFirst(QList<Snapshot>& snapshots);

// The moment a stamp "yyyy-MM-dd-HHmmss" names, in local time; nothing when it does not parse.
std::optional<QDateTime> dateOfStamp(const QString& stamp);

} // namespace SnapshotService

size_t qHash(const SnapshotService::Snapshot& snapshot, size_t seed = 0) noexcept;
