#pragma once

#include "Tools/SnapshotsViewModel.h"

#include <condition_variable>
#include <memory>
#include <mutex>

// A snapshot service whose calls the test answers: each call is counted, and, while held, waits until released.
struct FakeSnapshots {
    std::mutex mutex;
    std::condition_variable wake;
    bool held = false;
    int loads = 0;
    int deletions = 0;
    SnapshotService::State state;
    std::optional<QString> error;
    qsizetype sent = 0;
    QList<SnapshotService::Snapshot> lastDeleted;

    void hold()
    {
        const std::lock_guard lock(mutex);
        held = true;
    }
    void release()
    {
        {
            const std::lock_guard lock(mutex);
            held = false;
        }
        wake.notify_all();
    }
    int count(int FakeSnapshots::*counter)
    {
        const std::lock_guard lock(mutex);
        return this->*counter;
    }

    static SnapshotsViewModel::Service service(const std::shared_ptr<FakeSnapshots>& fake)
    {
        return {[fake] {
                    std::unique_lock lock(fake->mutex);
                    ++fake->loads;
                    return fake->state;
                },
                [fake](const SnapshotService::Snapshot& snapshot) {
                    std::unique_lock lock(fake->mutex);
                    ++fake->deletions;
                    fake->lastDeleted = {snapshot};
                    fake->wake.wait(lock, [&] { return !fake->held; });
                    return fake->error;
                },
                [fake](const QList<SnapshotService::Snapshot>& snapshots) {
                    std::unique_lock lock(fake->mutex);
                    ++fake->deletions;
                    fake->lastDeleted = snapshots;
                    fake->wake.wait(lock, [&] { return !fake->held; });
                    return SnapshotService::Deletion{fake->error, fake->sent};
                }};
    }
};
