#pragma once

#include "Core/Aftermath.h"
#include "Core/BackgroundJob.h"
#include "Core/CleaningSession.h"
#include "Core/History.h"
#include "Core/SafetyNet.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>
#include <stop_token>

class WorkInFlight;

// What the cleaning-history window shows beside the journal itself: which cards are open, the one-line
// notice under the list, and what has come back since each cleaning. It starts empty each time a window
// makes one. Every change of the journal goes through History::update(). GUI thread only.
//
// A snapshot restore outlives the window that started it: it marks what came back in the journal even when
// the window is gone, holding a ticket of the services' WorkInFlight that quitting waits for. A session
// already being restored, from any window, is not restored twice at once. The measuring run works in a
// background job; a run replaced by a newer one, or whose model is gone, stops early and publishes nothing.
class HistoryViewModel final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HistoryViewModel)

public:
    using Clock = std::function<QDateTime()>;
    using SnapshotRestore = std::function<SafetyNet::Result(const QStringList& paths, const QString& stamp)>;

    static constexpr int fileRowLimit = 200;

    HistoryViewModel(History& history, WorkInFlight& inFlight, QObject* parent = nullptr);
    ~HistoryViewModel() override;

    // Seams for tests: the moment of measuring, and what puts items back from a snapshot.
    void setClock(Clock clock) { m_clock = std::move(clock); }
    void setSnapshotRestore(SnapshotRestore restore) { m_snapshotRestore = std::move(restore); }

    History& history() const { return m_history; }
    const QList<CleaningSession>& sessions() const;

    const QSet<QUuid>& expanded() const { return m_expanded; }
    bool isExpanded(const QUuid& id) const { return m_expanded.contains(id); }
    const std::optional<QString>& notice() const { return m_notice; }
    // Under the notice of a put-back from the Trash: every file it left where it was, each as its path and the
    // reason, in the session's order. Empty after any other notice.
    const QStringList& notPutBack() const { return m_notPutBack; }
    const QList<Aftermath::Verdict>& verdicts() const { return m_verdicts; }
    const QHash<QUuid, Aftermath::Regrowth>& regrowths() const { return m_regrowths; }
    std::optional<Aftermath::Regrowth> regrowth(const QUuid& id) const;
    bool isMeasuring() const { return m_measuring; }

    // "3 passages · 1,2 Go libérés au total", or the empty journal's line.
    QString subtitle() const;
    // The aftermath block's totals over the verdicts: freed, and come back.
    qint64 blockFreed() const;
    qint64 blockReturned() const;

    void clearHistory();
    void toggle(const QUuid& id);
    void restoreFromTrash(const QUuid& id);
    void restoreFromSnapshot(const CleaningSession& session);
    // Starts a measuring run over the journal as it stands, replacing any run under way.
    void measureRegrowth();
    // The window shows: measures when the journal holds sessions and their number, or the number of files put
    // back, differs from the last run's (every later change of either measures again by itself).
    void start();

    // Whether a snapshot restore of the session, started by any window, is not yet journaled.
    bool isRestoring(const QUuid& sessionID) const;

    // Texts shared by the widgets and the tests.
    static QString byteText(qint64 bytes);
    // The share come back, in whole percent truncated, never above 100.
    static int sharePercent(const Aftermath::Verdict& verdict);
    // Whether the share shows in amber: more than 85 % came back.
    static bool shareIsHigh(const Aftermath::Verdict& verdict);
    static QString trashNotice(const History::RestoreTally& tally);
    static QString snapshotNotice(const SafetyNet::Result& result);

signals:
    // Anything shown changed: the journal, the expanded set, the notice or the measured figures.
    void changed();
    // Only the expanded set changed, for one session.
    void expansionChanged(const QUuid& id);
    // Only the measured figures changed (verdicts and regrowths).
    void measured();

private:
    void journalChanged();
    void setNotice(const std::optional<QString>& notice, const QStringList& notPutBack = {});

    History& m_history;
    WorkInFlight& m_inFlight;
    Clock m_clock;
    SnapshotRestore m_snapshotRestore;
    QSet<QUuid> m_expanded;
    std::optional<QString> m_notice;
    QStringList m_notPutBack;
    QList<Aftermath::Verdict> m_verdicts;
    QHash<QUuid, Aftermath::Regrowth> m_regrowths;
    qsizetype m_measuredCount = 0;    // the number of sessions the last run started on; 0 while the list is hidden
    qsizetype m_measuredRestored = 0; // the files put back when it started
    bool m_measuring = false;
    Background::JobLine<HistoryViewModel> m_measureJobs{this};
};
