#pragma once

#include "Core/BackgroundJob.h"
#include "Performance/UpdaterService.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

// What a check runs, one after the other; the services by default. Tests give their own.
struct UpdaterProbes {
    using Probe = std::function<std::vector<UpdaterService::Update>()>;

    Probe homebrew = UpdaterService::outdatedCasks;
    Probe system = UpdaterService::systemUpdates;
    Probe applications = UpdaterService::selfUpdatingApps;
};

// The updates screen's state: the last check's updates, the running check's progress and stage, and the
// installs under way. Probes and installs run off the GUI thread; their results reach a live model only.
// GUI thread.
class UpdaterViewModel final : public QObject
{
    Q_OBJECT

public:
    using Installer = std::function<UpdaterService::InstallOutcome(const UpdaterService::Update&)>;

    explicit UpdaterViewModel(UpdaterProbes probes = {}, Installer install = UpdaterService::install,
                              QObject* parent = nullptr);

    const std::vector<UpdaterService::Update>& updates() const { return m_updates; }
    bool isChecking() const { return m_checking; }
    double progress() const { return m_progress; }
    const QString& status() const { return m_status; }
    // The install started last among those still running.
    std::optional<QUuid> applying() const { return m_applying; }
    bool isInstalling(const QUuid& id) const { return m_installs.contains(id); }
    // Also true for the same update found again by a check made while its install runs.
    bool isInstalling(const UpdaterService::Update& update) const;
    // Why the last install of the update failed, in French; nothing once it is tried again or after a check.
    std::optional<QString> failure(const QUuid& id) const;

    // Runs the three probes in stages and then replaces the list; the previous list stays meanwhile. Ignored
    // while a check runs.
    void check();
    // Installs the update and drops it from the list on success. Ignored for an update already installing.
    void apply(const UpdaterService::Update& update);

signals:
    void changed();
    void checkFinished();
    void applyFinished(const QUuid& id, bool succeeded);

private:
    void setStage(double progress, const QString& status);
    void finishCheck(std::vector<UpdaterService::Update> updates);
    void finishApply(const QUuid& id, const UpdaterService::InstallOutcome& outcome);

    UpdaterProbes m_probes;
    Installer m_install;
    std::vector<UpdaterService::Update> m_updates;
    bool m_checking = false;
    double m_progress = 0;
    QString m_status;
    std::optional<QUuid> m_applying;
    std::map<QUuid, QString> m_failures;
    Background::JobLine<UpdaterViewModel> m_check{this};
    // One line per install, so that installs of different rows run side by side and each result arrives.
    struct Install {
        std::unique_ptr<Background::JobLine<UpdaterViewModel>> line;
        std::optional<QString> command;
        quint64 started = 0;
    };
    std::map<QUuid, Install> m_installs;
    quint64 m_installsStarted = 0;
};
