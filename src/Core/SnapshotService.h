#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// The reader and remover of Time Machine local snapshots, through the system's tmutil. Stateless; every call blocks
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

// The snapshots that the listing's text names, newest first (see listLocalSnapshots).
QList<Snapshot> snapshotsFromListing(const QString& output);

// Stable, latest first; snapshots without a date come last.
void sortNewestFirst(QList<Snapshot>& snapshots);

// The moment a stamp "yyyy-MM-dd-HHmmss" names, in local time; nothing when it does not parse.
std::optional<QDateTime> dateOfStamp(const QString& stamp);

// The first stamp-shaped run in `text`: four, two, two and six ASCII digits joined by hyphens. This is the one
// definition of a stamp's shape, for names and for what tmutil prints when it takes a snapshot.
std::optional<QString> firstStamp(const QString& text);

// The name without every "com.apple.TimeMachine." and every ".local" in it.
QString stamp(const QString& name);

// Whether `stamp` is exactly a stamp's shape, and so safe to hand to the shell.
bool isStamp(const QString& stamp);

// The free-space figures of a volume. Purgeable space is optimistic − immediate, unclamped.
struct Space {
    qint64 optimistic = 0; // available for important usage: snapshots and purgeable caches count as free
    qint64 immediate = 0;  // available now, without erasing anything
    friend bool operator==(const Space&, const Space&) = default;
};

// Everything the snapshots screen shows, read in one go.
struct State {
    QList<Snapshot> snapshots;
    Space space;
    bool isTimeMachineConfigured = false;
    friend bool operator==(const State&, const State&) = default;
};

// The figures of the volume holding `path`; 0 for whatever cannot be read.
Space space(const QString& path);

// The snapshots of the Mac's "/", its free space, and whether Time Machine has a backup destination.
State loadState();

// The shell line that deletes `snapshot` with the tool's path and the stamp each single-quoted; nothing when
// the name does not hold exactly a stamp between its prefix and suffix.
std::optional<QString> deleteCommand(const Snapshot& snapshot);

// Said, without any prompt, for a snapshot whose name is not one this program deletes.
QString unrecognisedName();

// Deletes one snapshot behind the authorisation prompt: nothing on success, otherwise a French reason.
std::optional<QString> deleteSnapshot(const Snapshot& snapshot);

struct Deletion {
    std::optional<QString> error; // nothing when every command sent succeeded
    qsizetype sent = 0;           // the snapshots whose deletion was asked for
    friend bool operator==(const Deletion&, const Deletion&) = default;
};

// The shell line that deletes every deletable snapshot of `snapshots` in order, each whatever became of the one
// before, ending in failure when any of them failed; nothing when none is deletable.
std::optional<QString> deleteAllCommand(const QList<Snapshot>& snapshots, qsizetype* sent = nullptr);

// Deletes the deletable ones of `snapshots` behind one authorisation prompt.
Deletion deleteAll(const QList<Snapshot>& snapshots);

} // namespace SnapshotService

size_t qHash(const SnapshotService::Snapshot& snapshot, size_t seed = 0) noexcept;
