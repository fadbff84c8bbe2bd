#pragma once

#include "Core/BackgroundJob.h"
#include "Core/History.h"
#include "Core/ModelServices.h"
#include "Core/Removal.h"
#include "Core/ScanModel.h"
#include "Platform/Ask.h"
#include "Scanners/ModuleScanner.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>
#include <stop_token>

// The state and operations behind one module's screen: it runs the module's scan, holds its results while
// the user reviews and edits the selection, cleans the selected items behind an optional safety-net
// snapshot, journals the cleaning and can undo it. The exclusions, preferences, journal and removal engine it
// works with come in through its constructor and must outlive it, and so does the question (`ask`) put before a
// cleaning that would remove every copy of a file; without one, such a cleaning is not done.
//
// Lives on the GUI thread. The scan and the cleaning run as background jobs of the model's job line: they get
// copies of what they need and a stop token, and their progress and results reach the model only while it
// exists and the job is its current one. Emits changed() after every change.
//
// A cleaning journaled by someone else (the smart scan, a scheduled run) takes what it removed out of the results
// under review, so that they never offer, or count, files that are gone.
class ScanViewModel final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScanViewModel)

public:
    enum class Phase { idle, scanning, results, cleaning, finished };

    ScanViewModel(ScannerPtr scanner, const ModelServices& services, Platform::Ask* ask = nullptr,
                  QObject* parent = nullptr);
    ~ScanViewModel() override;

    Phase phase() const { return m_phase; }
    double progress() const { return m_progress; }
    const QString& status() const { return m_status; }
    const QList<ScanGroup>& groups() const { return m_groups; }
    const QList<Advisory>& advisories() const { return m_advisories; }
    qint64 freedBytes() const { return m_freedBytes; }
    qint64 removedCount() const { return m_removedCount; }
    bool cleanedThreats() const { return m_cleanedThreats; }
    const QStringList& failures() const { return m_failures; }
    const std::optional<QDateTime>& lastScan() const { return m_lastScan; }
    const std::optional<QUuid>& lastSession() const { return m_lastSession; }
    const std::optional<QString>& restoreNotice() const { return m_restoreNotice; }
    // Every file the last undo left where it was (gone from the Trash, its place taken, its move back failed),
    // each as its path and the reason, in the session's order.
    const QStringList& notPutBack() const { return m_notPutBack; }
    // Set when a snapshot was asked for before the last cleaning and none could be taken.
    const std::optional<QString>& safetyNetNotice() const { return m_safetyNetNotice; }
    const ModuleScanner& scanner() const { return *m_scanner; }

    bool isBusy() const;
    // Whether the removal engine, left to the item's own mode, puts it in the Trash (see Removal::goesToTrash).
    bool goesToTrash(const ScanItem& item) const;
    qsizetype totalItemCount() const;
    qsizetype selectedCount() const;
    qint64 selectedBytes() const;
    qint64 totalBytes() const;
    bool isThreatResult() const;
    QList<ScanItem> checkedItems() const;

    // Starts a scan unless a scan or a cleaning is running.
    void scan();
    // Stops a running scan; any other phase is left as it is.
    void cancel();

    // Selecting a whole group ("Tout cocher", its box) leaves the first copy of a group of copies.
    void setAllSelected(bool selected);
    // From the finished report back to the review of what the cleaning left, nothing ticked. Only in the finished
    // phase with items left.
    void showRemaining();
    void toggleGroupSelection(const QUuid& groupID);
    void toggleExpanded(const QUuid& groupID);
    void toggleItem(const QUuid& itemID, const QUuid& groupID);
    // Adds the item to the exclusions and drops from the results everything the exclusions now cover.
    void excludeFromAllScans(const QUuid& itemID);

    // Cleans the selected items, in the results phase only. When every copy of a group of copies is selected,
    // the user is asked first, "Annuler" doing nothing.
    void clean();
    // Whether some file of the last cleaning can still go back from the Trash.
    bool canUndo() const;
    // Puts the last cleaning's files back in the background; the notice and the freed figure follow when done.
    // Refused while a put-back runs.
    void undoLastCleaning();
    // Whether a put-back is running (quitting waits for it).
    bool isUndoing() const { return m_undoing; }

    // Takes a local Time Machine snapshot and returns its stamp ("2025-03-14-092653"); nothing when the
    // tool failed or printed no stamp. Blocks the calling thread.
    static std::optional<QString> takeSafetyNetSnapshot();

signals:
    void changed();

private:
    void startCleaning();
    void publishScan(QList<ScanGroup> groups, QList<Advisory> advisories);
    void finishCleaning(const Removal::Report& report, const std::optional<QString>& stamp,
                        const QSet<QUuid>& removedIDs, bool snapshotWanted, const std::optional<QUuid>& session);
    void finishUndo(const History::RestoreTally& tally, qint64 bytesBack);
    void applyProgress(double fraction, const std::optional<QString>& status);
    void removeItemsWhere(const std::function<bool(const ScanItem&)>& drop);
    void followJournal();

    ScannerPtr m_scanner;
    ModelServices m_services;
    Platform::Ask* m_ask;
    Phase m_phase = Phase::idle;
    double m_progress = 0;
    QString m_status;
    QList<ScanGroup> m_groups;
    QList<Advisory> m_advisories;
    qint64 m_freedBytes = 0;
    qint64 m_removedCount = 0;
    bool m_cleanedThreats = false;
    QStringList m_failures;
    std::optional<QDateTime> m_lastScan;
    std::optional<QUuid> m_lastSession;
    std::optional<QString> m_restoreNotice;
    QStringList m_notPutBack;
    std::optional<QString> m_safetyNetNotice;
    bool m_undoing = false;
    QSet<QUuid> m_journaled; // the journal's sessions already looked at
    Background::JobLine<ScanViewModel> m_jobs{this};
};
