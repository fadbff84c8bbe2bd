#include "Scan/History/HistoryViewModel.h"

#include "Core/BackgroundJob.h"
#include "Core/FileUtils.h"
#include "Core/WorkInFlight.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

// Files put back over the whole journal: a restore changes what the verdicts count.
qsizetype restoredFiles(const QList<CleaningSession>& sessions)
{
    qsizetype n = 0;
    for (const CleaningSession& session : sessions)
        n += session.files.size() - session.unrestoredFiles();
    return n;
}

QString count(qsizetype n, const QString& singular, const QString& plural)
{
    return QString::number(n) + u' ' + (n < 2 ? singular : plural);
}

} // namespace

HistoryViewModel::HistoryViewModel(History& history, WorkInFlight& inFlight, QObject* parent)
    : QObject(parent), m_history(history), m_inFlight(inFlight),
      m_clock([] { return QDateTime::currentDateTimeUtc(); }),
      m_snapshotRestore([](const QStringList& paths, const QString& stamp) { return SafetyNet::restore(paths, stamp); })
{
    connect(&m_history, &History::changed, this, &HistoryViewModel::journalChanged);
}

// The job line stops a measuring run still under way; it publishes nothing.
HistoryViewModel::~HistoryViewModel() = default;

const QList<CleaningSession>& HistoryViewModel::sessions() const
{
    return m_history.sessions();
}

std::optional<Aftermath::Regrowth> HistoryViewModel::regrowth(const QUuid& id) const
{
    const auto found = m_regrowths.constFind(id);
    if (found == m_regrowths.cend())
        return std::nullopt;
    return *found;
}

QString HistoryViewModel::subtitle() const
{
    const qsizetype n = sessions().size();
    if (n == 0)
        return u"Rien n'a encore été nettoyé."_s;
    return count(n, u"passage"_s, u"passages"_s) + u" · "_s + byteText(m_history.totalFreed()) + u" libérés au total"_s;
}

qint64 HistoryViewModel::blockFreed() const
{
    qint64 total = 0;
    for (const Aftermath::Verdict& verdict : m_verdicts) {
        if (__builtin_add_overflow(total, verdict.freed, &total))
            total = std::numeric_limits<qint64>::max();
    }
    return total;
}

qint64 HistoryViewModel::blockReturned() const
{
    qint64 total = 0;
    for (const Aftermath::Verdict& verdict : m_verdicts) {
        if (__builtin_add_overflow(total, verdict.returned, &total))
            total = std::numeric_limits<qint64>::max();
    }
    return total;
}

QString HistoryViewModel::byteText(qint64 bytes)
{
    return FileUtils::byteFormatter().string(bytes);
}

int HistoryViewModel::sharePercent(const Aftermath::Verdict& verdict)
{
    if (verdict.freed <= 0)
        return 0;
    // Between nothing and all: a figure read from the journal may lie outside, and no int would hold it.
    return int(std::trunc(std::clamp(double(verdict.returned) / double(verdict.freed), 0.0, 1.0) * 100));
}

bool HistoryViewModel::shareIsHigh(const Aftermath::Verdict& verdict)
{
    return verdict.freed > 0 && double(verdict.returned) / double(verdict.freed) > 0.85;
}

QString HistoryViewModel::trashNotice(const History::RestoreTally& tally)
{
    if (tally.failures.isEmpty())
        return count(tally.restored, u"élément remis en place"_s, u"éléments remis en place"_s) +
               u" depuis la corbeille."_s;
    return QString::number(tally.restored) + u" remis en place · "_s + QString::number(tally.failures.size()) +
           u" en échec — "_s + tally.failures.first().reason;
}

QString HistoryViewModel::snapshotNotice(const SafetyNet::Result& result)
{
    if (const auto* failure = std::get_if<SafetyNet::Failure>(&result)) {
        const QString text = failure->errorDescription();
        return text.isEmpty() ? u"Restauration impossible."_s : text;
    }
    const auto& outcome = std::get<SafetyNet::Outcome>(result);
    const QString head = count(outcome.restored.size(), u"élément remis en place"_s, u"éléments remis en place"_s);
    if (outcome.failures.isEmpty())
        return head + u" depuis l'instantané, avec leurs droits d'origine."_s;
    return head + u" · "_s + QString::number(outcome.failures.size()) + u" en échec — "_s +
           outcome.failures.first().reason;
}

void HistoryViewModel::clearHistory()
{
    m_history.update([](QList<CleaningSession>& list) { list.clear(); });
    setNotice(std::nullopt);
}

void HistoryViewModel::toggle(const QUuid& id)
{
    if (!m_expanded.remove(id))
        m_expanded.insert(id);
    emit expansionChanged(id);
}

void HistoryViewModel::restoreFromTrash(const QUuid& id)
{
    History::RestoreTally tally;
    m_history.update([&](QList<CleaningSession>& list) { History::restore(list, id, tally); });
    setNotice(trashNotice(tally), tally.leftLines());
}

void HistoryViewModel::restoreFromSnapshot(const CleaningSession& session)
{
    if (!session.snapshotStamp)
        return;
    const QUuid id = session.id;
    if (m_inFlight.holds(id)) {
        setNotice(u"Ce nettoyage est déjà en cours de restauration."_s);
        return;
    }
    QStringList paths;
    for (const RemovedFile& file : session.files) {
        if (!file.restored)
            paths.append(file.originalPath);
    }
    setNotice(u"Montage de l'instantané…"_s);

    // The journal outlives every window: what came back is marked even when this model is gone, and the
    // session counts as being restored until then.
    auto restoring = [restore = m_snapshotRestore, paths, stamp = *session.snapshotStamp, &history = m_history,
                      id](const Background::Job<HistoryViewModel>& job) {
        const SafetyNet::Result result = restore(paths, stamp);
        const auto* outcome = std::get_if<SafetyNet::Outcome>(&result);
        if (outcome && !outcome->restored.isEmpty()) {
            const QSet<QString> back(outcome->restored.cbegin(), outcome->restored.cend());
            history.update([&](QList<CleaningSession>& list) { History::markRestored(back, id, list); });
        }
        job.deliver([result](HistoryViewModel& model) { model.setNotice(snapshotNotice(result)); });
    };
    Background::runToEnd(m_inFlight.begin(id), this, std::move(restoring));
}

void HistoryViewModel::measureRegrowth()
{
    m_measuredCount = sessions().size();
    m_measuredRestored = restoredFiles(sessions());
    m_measuring = true;
    // A newer run replaces this one: the line stops it and drops what it would still publish.
    m_measureJobs.start([list = sessions(), now = m_clock()](const Background::Job<HistoryViewModel>& job) {
        Aftermath::Measurement measured = Aftermath::measure(list, now, job.stopToken());
        if (job.stopRequested())
            return;
        job.deliver([measured = std::move(measured)](HistoryViewModel& model) {
            model.m_measuring = false;
            model.m_verdicts = measured.verdicts;
            model.m_regrowths = measured.regrowths;
            emit model.changed();
        });
    });
}

bool HistoryViewModel::isRestoring(const QUuid& sessionID) const
{
    return m_inFlight.holds(sessionID);
}

void HistoryViewModel::start()
{
    const qsizetype n = sessions().size();
    if (n == 0)
        m_measuredCount = 0; // the list is hidden: showing it again measures again
    else if (n != m_measuredCount || restoredFiles(sessions()) != m_measuredRestored)
        measureRegrowth();
}

void HistoryViewModel::journalChanged()
{
    start();
    emit changed();
}

void HistoryViewModel::setNotice(const std::optional<QString>& notice, const QStringList& notPutBack)
{
    m_notice = notice;
    m_notPutBack = notPutBack;
    emit changed();
}
