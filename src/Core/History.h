#pragma once

#include "Core/CleaningSession.h"
#include "Core/ModuleID.h"
#include "Core/Removal.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QUuid>

#include <functional>
#include <optional>
#include <utility>

// The cleaning journal: one entry per cleaning, over one file, history.json. Lives on the GUI thread, where
// `sessions` is published and read, and emits changed() after an update cycle that changed them. The file work
// of every writer (cleanings, undo, the history window, the scheduler, the tools) runs on one serial
// background queue, so cycles never overlap and never hold up the GUI thread.
//
// Every change runs through an update cycle: read the file afresh, apply the change, sort newest first, keep
// the 200 newest, save, then publish on the GUI thread. Two things protect what the file holds: a file that exists but
// cannot be decoded is moved aside ("history.json.corrupt-<UTC stamp>") before anything is written over it, and after a
// failed save the next cycle starts from the last cycle's sessions rather than from the stale file.
//
// A full journal runs to tens of megabytes, and decoding it again costs more than the rest of a cycle. When
// the file is still the one this instance last read or wrote (same device, inode, size and change times,
// and no other instance has saved since), the cycle starts from the last cycle's sessions, which are exactly
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

    // What a put-back did, added to by restore(): files put back, the ones whose move back failed, and every file
    // not put back, failures included, each with its reason, in the session's order.
    struct RestoreTally {
        int restored = 0;
        QList<RestoreFailure> failures;
        QList<RestoreFailure> left;

        // `left` as the notices list it: "~/path — reason", one a file.
        QStringList leftLines() const;
    };

    // The reasons of the files a put-back leaves where they are.
    static QString goneFromTrashText();
    static QString placeTakenText();
    static QString notTheTrashedItemText();

    using Change = std::function<void(QList<CleaningSession>& sessions)>;

    // ~/Library/Application Support/QuorvanePro/history.json. The first call in a process runs the
    // earlier product's import (which may move its journal in), and the folder is created when missing.
    static QString defaultFileURL();

    // Reads the journal at `fileURL` (the default place when none is given) and publishes it as it stands
    // in the file; an unreadable or undecodable file publishes an empty journal.
    explicit History(const std::optional<QString>& fileURL = std::nullopt, QObject* parent = nullptr);
    // Lets the queued cycles finish first.
    ~History() override;

    const QList<CleaningSession>& sessions() const { return m_sessions; }
    const QString& fileURL() const { return m_fileURL; }

    // Journals one cleaning and returns its id; a report that removed nothing journals nothing, whatever its
    // freed bytes or failures, and leaves the file alone. Waits for its cycle, as update() does.
    std::optional<QUuid> record(const Removal::Report& report, ModuleID module,
                                const std::optional<QString>& snapshotStamp = std::nullopt);

    // Runs an update cycle on the queue and waits for it: meant for background jobs (and tests). Called on the
    // GUI thread, it has published the sessions when it returns; called elsewhere, the sessions are published on
    // the GUI thread ahead of anything the caller queues there afterwards. `change` runs on the queue and must
    // not call update() itself.
    void update(const Change& change);
    // Queues an update cycle without waiting, for writers on the GUI thread; `sessions` follow when it has run.
    void post(Change change);
    // Waits until every queued cycle has run (when the program ends).
    void waitUntilIdle();

    // A change for update(): puts the files of the session `sessionID` back from the Trash where they were.
    // Files already put back or without a Trash place are passed over. A file gone from the Trash, or whose old
    // place is taken, stays as it is and is told in `left`; nothing is ever overwritten. A file whose Trash place
    // holds another item than the one that went there (told by its kept identity) fails and stays there; an
    // entry without an identity is taken on its path. Missing parent folders are created.
    static void restore(QList<CleaningSession>& sessions, const QUuid& sessionID, RestoreTally& tally);

    // A change for update(): marks the files of the session `sessionID` whose original path is in `paths`
    // (exact text) as put back, after a restore from its snapshot.
    static void markRestored(const QSet<QString>& paths, const QUuid& sessionID, QList<CleaningSession>& sessions);

    // Writes `sessions` to the file atomically, on the queue, and waits; a failure is kept in mind, not reported.
    void save(const QList<CleaningSession>& sessions);

    // Stable: a session moves ahead of another only when its date is strictly later.
    static void sortNewestFirst(QList<CleaningSession>& sessions);

    // What the journaled cleanings still free: files put back since no longer count.
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

    // One cycle, on the queue: returns the sessions to publish and their number.
    std::pair<quint64, QList<CleaningSession>> cycle(const Change& change);
    // GUI thread: publishes the result of cycle `number` unless a later one is out already.
    void publish(quint64 number, const QList<CleaningSession>& sessions);
    // Runs `work` on the queue and waits for it.
    void onQueue(const std::function<void()>& work);

    // The file's sessions; an empty list when it is missing or cannot be decoded (which is noted).
    QList<CleaningSession> load();
    // Writes the list after setting aside an undecodable file; false when the file was left as it was.
    bool write(const QList<CleaningSession>& sessions, bool* exact);
    // Moves an undecodable file out of the way under a name not yet taken; false when it stays in place.
    bool setAsideUnreadableFile();

    QString m_fileURL;
    QList<CleaningSession> m_sessions; // GUI thread: the published sessions
    quint64 m_published = 0;           // GUI thread: the number of the cycle they come from

    // The queue's own state, touched only by the queue once the constructor has run.
    QList<CleaningSession> m_working;     // what the last cycle made
    quint64 m_cycles = 0;                 // cycles run so far
    std::optional<FileStamp> m_knownFile; // the file as it was when it last held exactly m_working
    bool m_unreadableFileInPlace = false; // the file holds something we could not decode: never write over it
    bool m_lastSaveFailed = false;        // the file does not hold m_working

    QThreadPool m_queue; // last, so that it is drained before the state it works on goes
};
