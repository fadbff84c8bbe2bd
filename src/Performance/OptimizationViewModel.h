#pragma once

#include "Core/BackgroundJob.h"
#include "Core/ModelServices.h"
#include "Performance/Diagnostics.h"
#include "Performance/OptimizationService.h"
#include "Platform/RunningApplications.h"

#include <QList>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

// The optimisation screen's state: the startup items and heavy applications of the last refresh, the last
// diagnosis, and what a refused "Désactiver" said. The listings and the diagnosis run off the GUI thread and
// reach the model only while it lives; a removal runs to its end and is journaled even when the model is gone,
// holding a ticket that quitting waits for. GUI thread.
class OptimizationViewModel final : public QObject
{
    Q_OBJECT

public:
    // Where the model's data comes from; tests give their own.
    struct Sources {
        std::function<QList<OptimizationService::LaunchItem>()> launchItems;
        std::function<QList<OptimizationService::HeavyApp>()> heavyApps;
        std::function<std::vector<Diagnostics::Finding>(std::stop_token)> diagnose;

        // The machine's own, the respawn probe waiting `window`.
        static Sources standard(std::chrono::milliseconds window);
    };

    // A removal the engine did not carry out: the row stays, and this says why.
    struct RemovalNotice {
        QString title;
        QString message;
    };

    static constexpr int heavyAppRows = 12;

    // `applications`: the running applications "Quitter" asks, which outlive the model.
    OptimizationViewModel(const ModelServices& services, Sources sources,
                          const Platform::ApplicationProcesses& applications = Platform::systemApplications(),
                          QObject* parent = nullptr);
    ~OptimizationViewModel() override;

    const QList<OptimizationService::LaunchItem>& launchItems() const { return m_launchItems; }
    const QList<OptimizationService::HeavyApp>& heavyApps() const { return m_heavyApps; }
    bool isLoading() const { return m_isLoading; }
    const std::vector<Diagnostics::Finding>& findings() const { return m_findings; }
    bool hasDiagnosed() const { return m_hasDiagnosed; }
    bool isDiagnosing() const { return m_isDiagnosing; }
    const std::optional<RemovalNotice>& removalNotice() const { return m_notice; }

    // Lists both again, concurrently; each list is published as soon as it is ready, replacing the old one. A
    // newer refresh supersedes an older one still under way.
    void refresh();
    // Runs the health probes unless they already run; the previous findings stay until the new ones come.
    void diagnose();
    // Moves the item's file to the Trash and journals it as a cleaning of this module. The row leaves once the
    // file is gone; otherwise it stays and removalNotice() says why.
    void remove(const OptimizationService::LaunchItem& item);
    // Asks the running application of the bundle to quit (each of its processes); nothing when none runs. The
    // application list is read again once they have ended, or after `quitWaitMs` if they have not.
    void quit(const OptimizationService::HeavyApp& app);

    static constexpr int quitPollMs = 100;
    static constexpr int quitWaitMs = 10000;

signals:
    void launchItemsChanged();
    void heavyAppsChanged();
    void diagnosisChanged();
    void removalNoticeChanged();
    void loadingChanged();

private:
    void finishListing();
    void listHeavyApps();
    void finishRemoval(const QUuid& id, const QString& label, bool gone, const QString& reason);
    void setNotice(std::optional<RemovalNotice> notice);

    ModelServices m_services;
    Sources m_sources;
    const Platform::ApplicationProcesses& m_applications;
    QList<OptimizationService::LaunchItem> m_launchItems;
    QList<OptimizationService::HeavyApp> m_heavyApps;
    bool m_isLoading = false;
    int m_pendingLists = 0;
    bool m_appsPending = false; // the refresh under way still waits for the application list
    std::vector<Diagnostics::Finding> m_findings;
    bool m_hasDiagnosed = false;
    bool m_isDiagnosing = false;
    std::optional<RemovalNotice> m_notice;
    Background::JobLine<OptimizationViewModel> m_launchJobs{this};
    Background::JobLine<OptimizationViewModel> m_appJobs{this};
    Background::JobLine<OptimizationViewModel> m_diagnosis{this};
    // One line per quit request, each watching its application until it has ended.
    std::vector<std::unique_ptr<Background::JobLine<OptimizationViewModel>>> m_quits;
};
