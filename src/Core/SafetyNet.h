#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <variant>

// Puts items back from the Time Machine local snapshot taken before a cleaning, with their modes and
// attributes, through one administrator prompt however many items. Stateless; restore() blocks its thread
// for as long as the prompt and the copies take, so callers run it in a background job.
//
// Root runs scripts given as command text, in pieces that each fit one program argument, never as a file the
// user could rewrite; it works in a folder it makes itself (mode 0700, refusing anything already there),
// writes only relative to a folder it has just entered with "cd -P" and found to be the folder as written
// (and, for the staging folder it copies into, its own, mode 0700 and empty), never overwrites what stands at
// an item's place now, and refuses a place reached through a link. Paths are checked before the prompt, and
// missing parent folders are made as the user, so that root never makes one, and only where no folder on the
// way is a link. An item counts as restored only when it stands at its place afterwards, and that place holds
// no link unless the snapshot's item is one.
namespace SafetyNet {

struct ItemFailure {
    QString path;
    QString reason; // French

    friend bool operator==(const ItemFailure&, const ItemFailure&) = default;
};

struct Outcome {
    QStringList restored; // in report order
    QList<ItemFailure> failures;

    friend bool operator==(const Outcome&, const Outcome&) = default;
};

struct Failure {
    enum class Kind { snapshotGone, preparationFailed, elevationFailed };
    Kind kind;
    QString detail; // the stamp, the preparation's reason or the runner's message

    QString errorDescription() const;

    friend bool operator==(const Failure&, const Failure&) = default;
};

using Result = std::variant<Outcome, Failure>;

// Runs one command line with administrator rights: nothing on success, else a French message.
using AdministratorRunner = std::function<std::optional<QString>(const QString& command)>;

inline const QString dataVolume = QStringLiteral("/System/Volumes/Data");

// "com.apple.TimeMachine.<stamp>.local"
QString snapshotName(const QString& stamp);

// Whether the data volume's listing holds the stamp's snapshot.
bool snapshotExists(const QString& stamp);

// Why a path may not be handed to the script, or nothing when it may: it must be absolute and
// standardised, hold no control character, not be protected, and lie on the Mac laid out under the root.
std::optional<QString> refusal(const QString& path);

struct Scripts {
    // The scripts root runs, in order, as text, each well under the system's limit for one argument.
    QStringList pieces;
    // The index in `pieces` of the piece that puts each item back.
    QHash<QString, qsizetype> pieceOf;
    // The items whose lines fit no piece: they are left out.
    QStringList tooLong;
};

// The scripts for `paths`: the first makes `workFolder` (it must not exist yet) and mounts the snapshot
// there, the middle ones put the items back through a staging folder named `staging` made in each item's
// folder, the last unmounts the snapshot and hands the folder and its report to the user id `owner`.
Scripts scripts(const QStringList& paths, const QString& stamp, const QString& workFolder, uint owner,
                const QString& staging);

// The report as the script wrote it, read only when it is a regular file no larger than `maxBytes`, and never
// waited on; an unreadable report is an empty outcome.
Outcome readReport(const QString& reportPath, qint64 maxBytes = qint64(64) << 20);

// Removes the work folder and report once nothing is mounted there; leaves anything else in place.
void removeWorkDirectory(const QString& workFolder);

// Brings `paths` back from the snapshot `stamp`. `runner` stands for the administrator runner in tests.
Result restore(const QStringList& paths, const QString& stamp, const AdministratorRunner& runner = {});

} // namespace SafetyNet
