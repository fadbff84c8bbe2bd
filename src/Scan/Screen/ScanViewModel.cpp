#include "Scan/Screen/ScanViewModel.h"

#include "Core/Exclusions.h"
#include "Core/FileUtils.h"
#include "Core/Formatters.h"
#include "Core/History.h"
#include "Core/Preferences.h"
#include "Core/ProcessRunner.h"
#include "Core/ProgressRelay.h"
#include "Core/RemovalEngine.h"
#include "Core/SnapshotService.h"
#include "Platform/SystemRoot.h"

#include <QDir>
#include <QPointer>
#include <QRegularExpression>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

using Job = Background::Job<ScanViewModel>;

// The whole group ticked or unticked, as its box and "Tout cocher" do it: a group of copies keeps its first.
void selectWhole(ScanGroup& group, bool select)
{
    const bool keepFirst = group.keepsFirst && group.items.size() > 1;
    for (qsizetype i = 0; i < group.items.size(); ++i)
        group.items[i].isSelected = select && !(keepFirst && i == 0);
}

// Whether the group stands as selectWhole(group, true) leaves it.
bool isWhollySelected(const ScanGroup& group)
{
    if (group.selectionState() == std::optional<bool>(true))
        return true;
    if (!group.keepsFirst || group.items.size() < 2 || group.items.first().isSelected)
        return false;
    return std::all_of(group.items.cbegin() + 1, group.items.cend(),
                       [](const ScanItem& item) { return item.isSelected; });
}

// "« a », « b » et « c »", at most three names then how many more.
QString namesText(const QStringList& names)
{
    QStringList quoted;
    for (const QString& name : names.mid(0, 3))
        quoted.append(FrenchText::quoted(name));
    if (names.size() > 3)
        quoted.append(names.size() == 4 ? u"un autre fichier"_s : u"%1 autres fichiers"_s.arg(names.size() - 3));
    if (quoted.size() == 1)
        return quoted.first();
    const QString last = quoted.takeLast();
    return quoted.join(u", "_s) + u" et "_s + last;
}

// The question put before a cleaning that leaves no copy of the files named.
Platform::Ask::Question everyCopyQuestion(const QStringList& names)
{
    const QString message =
        names.size() == 1
            ? u"Tous les exemplaires de %1 sont cochés : après le nettoyage, il n'en restera aucun."_s.arg(
                  namesText(names))
            : u"Tous les exemplaires de %1 sont cochés : après le nettoyage, il ne restera aucun exemplaire de ces "
              u"fichiers."_s.arg(namesText(names));
    return {u"Supprimer tous les exemplaires ?"_s, message, u"Supprimer"_s, u"Annuler"_s};
}

} // namespace

ScanViewModel::ScanViewModel(ScannerPtr scanner, const ModelServices& services, Platform::Ask* ask, QObject* parent)
    : QObject(parent), m_scanner(std::move(scanner)), m_services(services), m_ask(ask)
{
    for (const CleaningSession& session : m_services.history.sessions())
        m_journaled.insert(session.id);
    connect(&m_services.history, &History::changed, this, &ScanViewModel::followJournal);
}

// The job line's end asks the running job to stop; whatever it still delivers finds no model.
ScanViewModel::~ScanViewModel() = default;

bool ScanViewModel::isBusy() const
{
    return m_phase == Phase::scanning || m_phase == Phase::cleaning;
}

bool ScanViewModel::goesToTrash(const ScanItem& item) const
{
    return m_services.removal.goesToTrash(item);
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

void ScanViewModel::scan()
{
    if (isBusy() || m_undoing)
        return;
    m_groups.clear();
    m_advisories.clear();
    m_freedBytes = 0;
    m_removedCount = 0;
    m_cleanedThreats = false;
    m_failures.clear();
    m_lastSession.reset();
    m_restoreNotice.reset();
    m_notPutBack.clear();
    m_safetyNetNotice.reset();
    m_progress = 0;
    m_status = u"Préparation…"_s;
    m_phase = Phase::scanning;
    emit changed();

    m_jobs.start([scanner = m_scanner](const Job& job) {
        auto relay = ProgressRelay::create(ProgressRelay::Labels::KeepLastNonEmpty,
                                           [job](double fraction, const std::optional<QString>& status) {
                                               if (ScanViewModel* model = job.receiver())
                                                   model->applyProgress(fraction, status);
                                           });
        QList<ScanGroup> groups = scanner->scan(
            [relay](double fraction, const QString& label) { relay->report(fraction, label); }, job.stopToken());
        QList<Advisory> advisories = scanner->advisories();
        job.deliver(
            [relay, groups = std::move(groups), advisories = std::move(advisories)](ScanViewModel& model) mutable {
                relay->flush();
                model.publishScan(std::move(groups), std::move(advisories));
            });
    });
}

void ScanViewModel::publishScan(QList<ScanGroup> groups, QList<Advisory> advisories)
{
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
    m_jobs.stop();
    m_status.clear();
    m_progress = 0;
    m_phase = m_groups.isEmpty() ? Phase::idle : Phase::results;
    emit changed();
}

void ScanViewModel::setAllSelected(bool selected)
{
    for (ScanGroup& group : m_groups)
        selectWhole(group, selected);
    emit changed();
}

void ScanViewModel::showRemaining()
{
    if (m_phase != Phase::finished || m_groups.isEmpty())
        return;
    for (ScanGroup& group : m_groups) {
        for (ScanItem& item : group.items)
            item.isSelected = false;
    }
    m_phase = Phase::results;
    emit changed();
}

void ScanViewModel::toggleGroupSelection(const QUuid& groupID)
{
    for (ScanGroup& group : m_groups) {
        if (group.id != groupID)
            continue;
        if (group.items.isEmpty())
            return;
        selectWhole(group, !isWhollySelected(group));
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

void ScanViewModel::followJournal()
{
    QSet<QString> gone;
    QSet<QUuid> journaled;
    for (const CleaningSession& session : m_services.history.sessions()) {
        journaled.insert(session.id);
        if (m_journaled.contains(session.id))
            continue;
        for (const RemovedFile& file : session.files) {
            if (!file.restored)
                gone.insert(QDir::cleanPath(file.originalPath));
        }
    }
    m_journaled = std::move(journaled);
    // A scan or a cleaning under way publishes its own view of the disk; this model's own cleanings have
    // already taken their items out.
    if (gone.isEmpty() || (m_phase != Phase::results && m_phase != Phase::finished))
        return;
    const auto removed = [&gone](const ScanItem& item) {
        for (QString path = QDir::cleanPath(item.url);; path = Platform::parentOf(path)) {
            if (gone.contains(path))
                return true;
            if (path == u"/"_s)
                return false;
        }
    };
    const qsizetype before = totalItemCount();
    removeItemsWhere(removed);
    if (totalItemCount() != before)
        emit changed();
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
    Exclusions& exclusions = m_services.exclusions;
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
    return SnapshotService::firstStamp(result.output);
}

void ScanViewModel::clean()
{
    if (m_phase != Phase::results || selectedCount() == 0)
        return;
    QStringList lastCopies;
    for (const ScanGroup& group : std::as_const(m_groups)) {
        if (group.keepsFirst && group.selectionState() == std::optional<bool>(true))
            lastCopies.append(group.title);
    }
    if (lastCopies.isEmpty()) {
        startCleaning();
        return;
    }
    if (!m_ask)
        return; // nobody to ask: the answer is the default one, "Annuler"
    // The answer holds for the selection it was given about, not for one made since (after a new scan).
    m_ask->ask(everyCopyQuestion(lastCopies),
               [model = QPointer<ScanViewModel>(this), asked = checkedItems()](bool confirmed) {
                   if (confirmed && model && model->checkedItems() == asked)
                       model->startCleaning();
               });
}

void ScanViewModel::startCleaning()
{
    if (m_phase != Phase::results || selectedCount() == 0)
        return;
    const QList<ScanItem> cleanSet = checkedItems();
    const bool snapshot =
        m_scanner->moduleID() != ModuleID::shredder && m_services.preferences.takesSnapshotBeforeCleaning();
    m_cleanedThreats = isThreatResult();
    m_safetyNetNotice.reset();
    m_progress = 0;
    m_status.clear();
    m_phase = Phase::cleaning;
    if (snapshot)
        m_status = u"Filet de sécurité…"_s;
    emit changed();

    // The job journals what it removed even when the model is gone meanwhile: nothing waits in the Trash
    // without its journal entry.
    m_jobs.start([cleanSet, snapshot, module = m_scanner->moduleID(), &engine = m_services.removal,
                  &history = m_services.history](const Job& job) {
        auto relay = ProgressRelay::create(ProgressRelay::Labels::LastAsGiven,
                                           [job](double fraction, const std::optional<QString>& status) {
                                               if (ScanViewModel* model = job.receiver())
                                                   model->applyProgress(fraction, status);
                                           });
        const std::optional<QString> stamp = snapshot ? takeSafetyNetSnapshot() : std::nullopt;
        const Removal::Report report = engine.remove(
            cleanSet, std::nullopt, [relay](double fraction, const QString& label) { relay->report(fraction, label); },
            job.stopToken());
        const std::optional<QUuid> session = history.record(report, module, stamp);
        // Only what the engine says it removed leaves the results: an item it never reached stays.
        QSet<QString> removedPaths;
        for (const Removal::Removed& removed : report.removed)
            removedPaths.insert(QDir::cleanPath(removed.origin));
        QSet<QUuid> removedIDs;
        for (const ScanItem& item : cleanSet) {
            if (removedPaths.contains(QDir::cleanPath(item.url)))
                removedIDs.insert(item.id);
        }
        job.deliver([relay, report, stamp, removedIDs, snapshot, session](ScanViewModel& model) {
            relay->flush();
            model.finishCleaning(report, stamp, removedIDs, snapshot, session);
        });
    });
}

void ScanViewModel::finishCleaning(const Removal::Report& report, const std::optional<QString>& stamp,
                                   const QSet<QUuid>& removedIDs, bool snapshotWanted,
                                   const std::optional<QUuid>& session)
{
    m_freedBytes = report.freedBytes;
    m_removedCount = report.removed.size();
    m_failures.clear();
    for (const Removal::Failure& failure : report.failures)
        m_failures.append(FileUtils::itemLine(failure.url, failure.reason));
    if (snapshotWanted && !stamp) {
        m_safetyNetNotice =
            u"Instantané de sécurité impossible : ce nettoyage ne pourra pas être restauré depuis un instantané."_s;
    }
    m_lastSession = session;
    removeItemsWhere([&](const ScanItem& item) { return removedIDs.contains(item.id); });
    m_status.clear();
    m_phase = Phase::finished;
    emit changed();
}

bool ScanViewModel::canUndo() const
{
    if (!m_lastSession)
        return false;
    const std::optional<CleaningSession> session = m_services.history.session(*m_lastSession);
    return session && session->restorableFiles() > 0;
}

void ScanViewModel::undoLastCleaning()
{
    if (!m_lastSession || m_undoing)
        return;
    m_undoing = true;
    // The files move back on the journal's queue, inside its update cycle, off the GUI thread.
    m_jobs.start([sessionID = *m_lastSession, &history = m_services.history](const Job& job) {
        History::RestoreTally tally;
        qint64 bytesBack = 0;
        history.update([&](QList<CleaningSession>& sessions) {
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
                            bytesBack = FileUtils::addBytes(bytesBack, file.bytes);
                    }
                    break;
                }
            }
        });
        job.deliver([tally, bytesBack](ScanViewModel& model) { model.finishUndo(tally, bytesBack); });
    });
}

void ScanViewModel::finishUndo(const History::RestoreTally& tally, qint64 bytesBack)
{
    m_undoing = false;
    const int n = tally.restored;
    const qsizetype m = tally.failures.size();
    if (m >= 1)
        m_restoreNotice = u"%1 remis en place, %2 en échec."_s.arg(n).arg(m);
    else
        m_restoreNotice = u"%1 %2."_s.arg(n).arg(n < 2 ? u"élément remis en place"_s : u"éléments remis en place"_s);
    m_notPutBack = tally.leftLines();
    m_freedBytes = std::max<qint64>(0, m_freedBytes - bytesBack);
    emit changed();
}
