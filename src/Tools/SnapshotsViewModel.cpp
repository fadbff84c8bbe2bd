#include "Tools/SnapshotsViewModel.h"

using namespace Qt::StringLiterals;
using SnapshotService::Snapshot;

SnapshotsViewModel::Service SnapshotsViewModel::Service::system()
{
    return {&SnapshotService::loadState, &SnapshotService::deleteSnapshot, &SnapshotService::deleteAll};
}

SnapshotsViewModel::SnapshotsViewModel(QObject* parent) : SnapshotsViewModel(Service::system(), parent)
{
}

SnapshotsViewModel::SnapshotsViewModel(Service service, QObject* parent)
    : QObject(parent), m_service(std::move(service))
{
}

SnapshotsViewModel::~SnapshotsViewModel() = default;

void SnapshotsViewModel::load()
{
    m_isLoading = true;
    emit changed();
    m_loads.start([loader = m_service.loadState](const Background::Job<SnapshotsViewModel>& job) {
        SnapshotService::State state = loader();
        job.deliver([state = std::move(state)](SnapshotsViewModel& model) {
            model.m_state = state;
            model.m_isLoading = false;
            model.m_hasLoaded = true;
            emit model.changed();
        });
    });
}

void SnapshotsViewModel::deleteSnapshot(const Snapshot& snapshot)
{
    if (m_isWorking)
        return;
    m_isWorking = true;
    m_notice.reset();
    m_error.reset();
    emit changed();
    // The deletion itself is never stopped: once the prompt is answered, tmutil runs to its end.
    m_deletions.start([remover = m_service.deleteOne, snapshot](const Background::Job<SnapshotsViewModel>& job) {
        const std::optional<QString> error = remover(snapshot);
        job.deliver([error, stamp = SnapshotService::stamp(snapshot.name)](SnapshotsViewModel& model) {
            model.finishDeletion(error, u"Instantané du "_s + stamp + u" supprimé."_s);
        });
    });
}

void SnapshotsViewModel::deleteAll()
{
    if (m_state.snapshots.isEmpty() || m_isWorking)
        return;
    const QList<Snapshot> snapshots = m_state.snapshots;
    m_isWorking = true;
    m_notice.reset();
    m_error.reset();
    emit changed();
    m_deletions.start([remover = m_service.deleteAll, snapshots](const Background::Job<SnapshotsViewModel>& job) {
        const SnapshotService::Deletion deletion = remover(snapshots);
        // Counted as sent: a name that is not a snapshot's was never asked for.
        const QString notice = QString::number(deletion.sent) +
                               (deletion.sent < 2 ? u" instantané supprimé."_s : u" instantanés supprimés."_s);
        job.deliver(
            [error = deletion.error, notice](SnapshotsViewModel& model) { model.finishDeletion(error, notice); });
    });
}

void SnapshotsViewModel::finishDeletion(const std::optional<QString>& error, const QString& notice)
{
    if (error)
        m_error = error;
    else
        m_notice = notice;
    m_isWorking = false;
    emit changed();
    load();
}
