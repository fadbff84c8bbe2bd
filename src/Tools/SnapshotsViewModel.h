#pragma once

#include "Core/BackgroundJob.h"
#include "Core/SnapshotService.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// The local-snapshots screen's state: the last state loaded, whether a load or a deletion runs, and the one-line
// outcome of the last deletion. GUI thread only; every call to the service runs on the pool, and an outcome
// reaches the model only while it exists, so a model gone before tmutil ends receives and reloads nothing.
// Every deletion, successful or not, is followed by a reload: the screen shows what tmutil reports.
class SnapshotsViewModel final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SnapshotsViewModel)

public:
    // What the model asks of the system; tests put latched stand-ins here.
    struct Service {
        std::function<SnapshotService::State()> loadState;
        std::function<std::optional<QString>(const SnapshotService::Snapshot&)> deleteOne;
        std::function<SnapshotService::Deletion(const QList<SnapshotService::Snapshot>&)> deleteAll;

        static Service system();
    };

    explicit SnapshotsViewModel(QObject* parent = nullptr);
    explicit SnapshotsViewModel(Service service, QObject* parent = nullptr);
    ~SnapshotsViewModel() override;

    const SnapshotService::State& state() const { return m_state; }
    bool isLoading() const { return m_isLoading; }
    bool isWorking() const { return m_isWorking; }
    const std::optional<QString>& notice() const { return m_notice; }
    const std::optional<QString>& error() const { return m_error; }
    bool hasLoaded() const { return m_hasLoaded; }

    // Reads the whole state again; a newer load replaces one still running.
    void load();
    // Deletes one snapshot, unless a deletion runs.
    void deleteSnapshot(const SnapshotService::Snapshot& snapshot);
    // Deletes every listed snapshot behind one prompt, unless the list is empty or a deletion runs.
    void deleteAll();

signals:
    void changed();

private:
    void finishDeletion(const std::optional<QString>& error, const QString& notice);

    Service m_service;
    SnapshotService::State m_state;
    bool m_isLoading = false;
    bool m_isWorking = false;
    std::optional<QString> m_notice;
    std::optional<QString> m_error;
    bool m_hasLoaded = false;
    Background::JobLine<SnapshotsViewModel> m_loads{this};
    Background::JobLine<SnapshotsViewModel> m_deletions{this};
};
