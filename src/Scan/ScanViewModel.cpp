#include "Scan/ScanViewModel.h"

#include "Core/Exclusions.h"
#include "Core/FileUtils.h"
#include "Core/History.h"
#include "Core/Preferences.h"
#include "Core/ProcessRunner.h"
#include "Core/Removal.h"
#include "Scan/ProgressRelay.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QRegularExpression>
#include <QSet>
#include <QThreadPool>

using namespace Qt::StringLiterals;

namespace {

// Runs `work` on a pool thread; `work` must capture values only, never the model.
template <class Work> void runInBackground(Work&& work)
{
    QThreadPool::globalInstance()->start(std::forward<Work>(work));
}

// Runs `call` on the GUI thread later; the application object outlives every model.
template <class Call> void onGuiThread(Call&& call)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::forward<Call>(call), Qt::QueuedConnection);
}

} // namespace

ScanViewModel::ScanViewModel(ScannerPtr scanner, QObject* parent) : QObject(parent), m_scanner(std::move(scanner))
{
}

ScanViewModel::~ScanViewModel()
{
    // Whatever the job still delivers finds no model; a stop lets it end early.
    if (m_job.stop_possible())
        m_job.request_stop();
}

bool ScanViewModel::isBusy() const
{
    return m_phase == Phase::scanning || m_phase == Phase::cleaning;
}

qsizetype ScanViewModel::totalItemCount() const
{
    qsizetype count = 0;
    for (const ScanGroup& group : m_groups)
        count += group.items.size();
    return count;
}

qsizetype ScanViewModel::selectedCount() const
{
    qsizetype count = 0;
    for (const ScanGroup& group : m_groups) {
        for (const ScanItem& item : group.items)
            count += item.isSelected ? 1 : 0;
    }
    return count;
}

qint64 ScanViewModel::selectedBytes() const
{
    qint64 bytes = 0;
    for (const ScanGroup& group : m_groups) {
        for (const ScanItem& item : group.items)
            bytes = item.isSelected ? FileUtils::addBytes(bytes, item.size) : bytes;
    }
    return bytes;
}

qint64 ScanViewModel::totalBytes() const
{
    qint64 bytes = 0;
    for (const ScanGroup& group : m_groups) {
        for (const ScanItem& item : group.items)
            bytes = FileUtils::addBytes(bytes, item.size);
    }
    return bytes;
}

bool ScanViewModel::isThreatResult() const
{
    if (m_groups.isEmpty())
        return false;
    return std::all_of(m_groups.cbegin(), m_groups.cend(),
                       [](const ScanGroup& group) { return group.metric == ScanGroup::Metric::threats; });
}

QList<ScanItem> ScanViewModel::checkedItems() const
{
    QList<ScanItem> items;
    for (const ScanGroup& group : m_groups) {
        for (const ScanItem& item : group.items) {
            if (item.isSelected)
                items.append(item);
        }
    }
    return items;
}

void ScanViewModel::startJob()
{
    if (m_job.stop_possible())
        m_job.request_stop();
    m_job = std::stop_source();
}

void ScanViewModel::scan()
{
    if (isBusy())
        return;
    startJob();
    m_groups.clear();
    m_advisories.clear();
    m_freedBytes = 0;
    m_removedCount = 0;
    m_cleanedThreats = false;
    m_failures.clear();
    m_lastSession.reset();
    m_restoreNotice.reset();
    m_safetyNetNotice.reset();
    m_progress = 0;
    m_status = u"Préparation…"_s;
    m_phase = Phase::scanning;
    emit changed();

    QPointer<ScanViewModel> self(this);
    auto relay = ProgressRelay::create(ProgressRelay::Labels::KeepLastNonEmpty,
                                       [self](double fraction, const std::optional<QString>& status) {
                                           if (self)
                                               self->applyProgress(fraction, status);
                                       });
    runInBackground([scanner = m_scanner, relay, self, stop = m_job.get_token()] {
        QList<ScanGroup> groups =
            scanner->scan([relay](double fraction, const QString& label) { relay->report(fraction, label); }, stop);
        // Asked in every case, as the scan has ended whether or not it is still wanted; here, since a scanner
        // may run tools to answer.
        QList<Advisory> advisories = scanner->advisories();
        onGuiThread([relay, self, stop, groups = std::move(groups), advisories = std::move(advisories)]() mutable {
            relay->flush();
            if (self)
                self->publishScan(stop, std::move(groups), std::move(advisories));
        });
    });
}

void ScanViewModel::publishScan(std::stop_token job, QList<ScanGroup> groups, QList<Advisory> advisories)
{
    if (job.stop_requested())
        return;
    m_groups = std::move(groups);
    m_advisories = std::move(advisories);
    m_lastScan = QDateTime::currentDateTimeUtc();
    m_status.clear();
    m_progress = 1;
    m_phase = Phase::results;
    emit changed();
}

void ScanViewModel::applyProgress(double fraction, const std::optional<QString>& status)
{
    m_progress = fraction;
    if (status)
        m_status = *status;
    emit changed();
}

void ScanViewModel::cancel()
{
    if (m_phase != Phase::scanning)
        return; // a cleaning cannot be stopped, and other phases have nothing to stop
    if (m_job.stop_possible())
        m_job.request_stop();
    m_status.clear();
    m_progress = 0;
    m_phase = m_groups.isEmpty() ? Phase::idle : Phase::results;
    emit changed();
}

void ScanViewModel::setAllSelected(bool selected)
{
    for (ScanGroup& group : m_groups) {
        for (ScanItem& item : group.items)
            item.isSelected = selected;
    }
    emit changed();
}

void ScanViewModel::toggleGroupSelection(const QUuid& groupID)
{
    for (ScanGroup& group : m_groups) {
        if (group.id != groupID)
            continue;
        if (group.items.isEmpty())
            return;
        const bool select = group.selectionState() != std::optional<bool>(true);
        for (ScanItem& item : group.items)
            item.isSelected = select;
        emit changed();
        return;
    }
}

void ScanViewModel::toggleExpanded(const QUuid& groupID)
{
    for (ScanGroup& group : m_groups) {
        if (group.id == groupID) {
            group.isExpanded = !group.isExpanded;
            emit changed();
            return;
        }
    }
}

void ScanViewModel::toggleItem(const QUuid& itemID, const QUuid& groupID)
{
    for (ScanGroup& group : m_groups) {
        if (group.id != groupID)
            continue;
        for (ScanItem& item : group.items) {
            if (item.id == itemID) {
                item.isSelected = !item.isSelected;
                emit changed();
                return;
            }
        }
        return;
    }
}

void ScanViewModel::removeItemsWhere(const std::function<bool(const ScanItem&)>& drop)
{
    for (ScanGroup& group : m_groups)
        group.items.removeIf(drop);
    m_groups.removeIf([](const ScanGroup& group) { return group.items.isEmpty(); });
}

void ScanViewModel::excludeFromAllScans(const QUuid& itemID)
{
    std::optional<QString> url;
    for (const ScanGroup& group : m_groups) {
        for (const ScanItem& item : group.items) {
            if (item.id == itemID) {
                url = item.url;
                break;
            }
        }
        if (url)
            break;
    }
    if (!url)
        return;
    Exclusions& exclusions = Exclusions::shared();
    exclusions.add(*url);
    removeItemsWhere([&](const ScanItem& item) { return exclusions.isExcludedOrHoldsExclusion(item.url); });
    emit changed();
}

std::optional<QString> ScanViewModel::takeSafetyNetSnapshot()
{
    const OptimizationService::ProcessResult result =
        OptimizationService::run(u"/usr/bin/tmutil"_s, {u"localsnapshot"_s}, true);
    if (result.status != 0)
        return std::nullopt;
    static const QRegularExpression stamp(u"\\d{4}-\\d{2}-\\d{2}-\\d{6}"_s);
    const QRegularExpressionMatch match = stamp.match(result.output);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(0);
}

void ScanViewModel::clean()
{
    if (m_phase != Phase::results || selectedCount() == 0)
        return;
    const QList<ScanItem> cleanSet = checkedItems();
    const bool snapshot =
        m_scanner->moduleID() != ModuleID::shredder && Preferences::shared().takesSnapshotBeforeCleaning();
    m_cleanedThreats = isThreatResult();
    m_safetyNetNotice.reset();
    m_progress = 0;
    m_status.clear();
    m_phase = Phase::cleaning;
    if (snapshot)
        m_status = u"Filet de sécurité…"_s;
    emit changed();

    m_job = std::stop_source(); // the finished scan's job is simply replaced
    QPointer<ScanViewModel> self(this);
    auto relay = ProgressRelay::create(ProgressRelay::Labels::LastAsGiven,
                                       [self](double fraction, const std::optional<QString>& status) {
                                           if (self)
                                               self->applyProgress(fraction, status);
                                       });
    runInBackground([cleanSet, snapshot, relay, self, stop = m_job.get_token()] {
        const std::optional<QString> stamp = snapshot ? takeSafetyNetSnapshot() : std::nullopt;
        const Removal::Report report = Removal::remove(
            cleanSet, std::nullopt, [relay](double fraction, const QString& label) { relay->report(fraction, label); },
            stop);
        onGuiThread([relay, self, report, stamp, cleanSet, snapshot] {
            relay->flush();
            if (self)
                self->finishCleaning(report, stamp, cleanSet, snapshot);
        });
    });
}

void ScanViewModel::finishCleaning(const Removal::Report& report, const std::optional<QString>& stamp,
                                   const QList<ScanItem>& cleanSet, bool snapshotWanted)
{
    m_freedBytes = report.freedBytes;
    m_removedCount = report.removed.size();
    m_failures.clear();
    for (const Removal::Failure& failure : report.failures)
        m_failures.append(FileUtils::abbreviatedPath(failure.url) + u" — "_s + failure.reason);
    if (snapshotWanted && !stamp) {
        m_safetyNetNotice =
            u"Instantané de sécurité impossible : ce nettoyage ne pourra pas être restauré depuis un instantané."_s;
    }
    m_lastSession = History::shared().record(report, m_scanner->moduleID(), stamp);

    // Only what the engine says it removed leaves the results: an item it never reached stays.
    QSet<QString> removedPaths;
    for (const Removal::Removed& removed : report.removed)
        removedPaths.insert(QDir::cleanPath(removed.origin));
    QSet<QUuid> removedIDs;
    for (const ScanItem& item : cleanSet) {
        if (removedPaths.contains(QDir::cleanPath(item.url)))
            removedIDs.insert(item.id);
    }
    removeItemsWhere([&](const ScanItem& item) { return removedIDs.contains(item.id); });
    m_status.clear();
    m_phase = Phase::finished;
    emit changed();
}

bool ScanViewModel::canUndo() const
{
    if (!m_lastSession)
        return false;
    const std::optional<CleaningSession> session = History::shared().session(*m_lastSession);
    return session && session->restorableFiles() > 0;
}

void ScanViewModel::undoLastCleaning()
{
    if (!m_lastSession)
        return;
    const QUuid sessionID = *m_lastSession;
    History::RestoreTally tally;
    qint64 bytesBack = 0;
    History::shared().update([&](QList<CleaningSession>& sessions) {
        QSet<QUuid> before;
        for (const CleaningSession& session : sessions) {
            if (session.id == sessionID) {
                for (const RemovedFile& file : session.files) {
                    if (file.restored)
                        before.insert(file.id);
                }
                break;
            }
        }
        History::restore(sessions, sessionID, tally);
        for (const CleaningSession& session : sessions) {
            if (session.id == sessionID) {
                for (const RemovedFile& file : session.files) {
                    if (file.restored && !before.contains(file.id))
                        bytesBack += file.bytes;
                }
                break;
            }
        }
    });
    const int n = tally.restored;
    const qsizetype m = tally.failures.size();
    if (m >= 1)
        m_restoreNotice = u"%1 remis en place, %2 en échec."_s.arg(n).arg(m);
    else
        m_restoreNotice = u"%1 %2."_s.arg(n).arg(n < 2 ? u"élément remis en place"_s : u"éléments remis en place"_s);
    m_freedBytes = std::max<qint64>(0, m_freedBytes - bytesBack);
    emit changed();
}
