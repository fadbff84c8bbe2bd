#pragma once

#include "Core/CleaningSession.h"
#include "Core/ModuleID.h"
#include "Core/Removal.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

// The cleaning journal: one entry per cleaning, over one file, history.json. Lives on the GUI thread, does
// its file work synchronously there, and emits changed() after an update cycle that changed `sessions`.
//
// Every change runs through update(): read the file afresh, apply the change, sort newest first, keep the
// 200 newest, publish, save. Two things protect what the file holds: a file that exists but cannot be
// decoded is moved aside ("history.json.corrupt-<UTC stamp>") before anything is written over it, and
// after a failed save the next cycle starts from the published sessions rather than from the stale file.
//
// A full journal runs to tens of megabytes, and decoding it again costs more than the rest of a cycle. When
// the file is still the one this instance last read or wrote (same device, inode, size and change times,
// and no other instance has saved since), the cycle starts from the published sessions, which are exactly
// what decoding it would give: dates are kept to the whole second, as the file keeps them.
class History final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(History)

public:
    static constexpr int sessionLimit = 200;

    struct RestoreFailure {
        QString path;   // the file's original path
        QString reason; // French

        friend bool operator==(const RestoreFailure&, const RestoreFailure&) = default;
    };

    // What a put-back did, added to by restore(): files put back, and the ones that could not be.
    struct RestoreTally {
        int restored = 0;
        QList<RestoreFailure> failures;
    };

    using Change = std::function<void(QList<CleaningSession>& sessions)>;

    // The process-wide journal at the default place, made on first use.
    static History& shared();

    // ~/Library/Application Support/QuorvanePro/history.json. The first call in a process runs the
    // earlier product's import (which may move its journal in), and the folder is created when missing.
    static QString defaultFileURL();

    // Reads the journal at `fileURL` (the default place when none is given) and publishes it as it stands
    // in the file; an unreadable or undecodable file publishes an empty journal.
    explicit History(const std::optional<QString>& fileURL = std::nullopt, QObject* parent = nullptr);

    const QList<CleaningSession>& sessions() const { return m_sessions; }
    const QString& fileURL() const { return m_fileURL; }

    // Journals one cleaning and returns its id; a report that removed nothing journals nothing, whatever its
    // freed bytes or failures, and leaves the file alone.
    std::optional<QUuid> record(const Removal::Report& report, ModuleID module,
                                const std::optional<QString>& snapshotStamp = std::nullopt);

    // The update cycle. `change` must not call update() itself.
    void update(const Change& change);

    // A change for update(): puts the files of the session `sessionID` back from the Trash where they were.
    // Files already put back, without a Trash place, gone from the Trash, or whose old place is taken are
    // skipped silently; nothing is ever overwritten. Missing parent folders are created.
    static void restore(QList<CleaningSession>& sessions, const QUuid& sessionID, RestoreTally& tally);

    // A change for update(): marks the files of the session `sessionID` whose original path is in `paths`
    // (exact text) as put back, after a restore from its snapshot.
    static void markRestored(const QSet<QString>& paths, const QUuid& sessionID, QList<CleaningSession>& sessions);

    // Writes `sessions` to the file atomically; a failure is kept in mind, not reported.
    void save(const QList<CleaningSession>& sessions);

    // Stable: a session moves ahead of another only when its date is strictly later.
    static void sortNewestFirst(QList<CleaningSession>& sessions);

    qint64 totalFreed() const;
    std::optional<CleaningSession> session(const QUuid& id) const;

signals:
    void changed();

private:
    // What identifies one state of the file without reading it.
    struct FileStamp {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        QDateTime modified;
        QDateTime statusChanged;
        quint64 saves = 0; // saves by any instance in this process when the stamp was taken

        friend bool operator==(const FileStamp&, const FileStamp&) = default;
    };
    std::optional<FileStamp> currentStamp(int* errorNumber = nullptr) const;

    // The file's sessions; an empty list when it is missing or cannot be decoded (which is noted).
    QList<CleaningSession> load();
    // Writes the list after setting aside an undecodable file; false when the file was left as it was.
    bool write(const QList<CleaningSession>& sessions, bool* exact);
    // Moves an undecodable file out of the way under a name not yet taken; false when it stays in place.
    bool setAsideUnreadableFile();

    QString m_fileURL;
    QList<CleaningSession> m_sessions;
    std::optional<FileStamp> m_knownFile; // the file as it was when it last held exactly m_sessions
    bool m_unreadableFileInPlace = false; // the file holds something we could not decode: never write over it
    bool m_lastSaveFailed = false;        // the file does not hold the published sessions
};
