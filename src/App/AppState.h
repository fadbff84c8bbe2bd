#pragma once

#include "Core/ModuleID.h"
#include "Core/SystemInfo.h"
#include "Core/SystemSnapshot.h"
#include "Scanners/ModuleRegistry.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class ScanViewModel;

// The one app-wide state: the module selected in the sidebar, the latest reading of the machine, whether
// the application has Full Disk Access, and the view models that the module registry makes: a module whose
// entry lives for the run gets one, made on first use and kept for the whole run so that results outlive every
// screen; a tool screen gets a new one at each visit. While the main window is shown, a monitor replaces the
// reading every two seconds. Lives on the GUI thread.
class AppState final : public QObject, public Modules::AppFigures
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AppState)

public:
    using TickReader = std::function<std::optional<SystemInfo::CPUTicks>()>;

    static constexpr int monitorIntervalMs = 2000;

    // Takes the first reading (its processor load is 0: a load needs two) and probes Full Disk Access, the
    // only probe of the run. The registry and the services outlive the state; `ticks` is a seam for tests.
    AppState(const Modules::Registry& registry, const ModelServices& services, TickReader ticks = {},
             QObject* parent = nullptr);
    ~AppState() override;

    ModuleID selection() const { return m_selection; }
    // Publishes even when the module does not change, as the sidebar writes the current one back.
    void setSelection(ModuleID module);

    const Modules::Registry& registry() const { return m_registry; }
    const ModelServices& services() const { return m_services; }

    const SystemSnapshot& snapshot() const override { return m_snapshot; }
    bool hasFullDiskAccess() const override { return m_hasFullDiskAccess; }

    // The module's view model kept for the run, made on first use; null for a module whose entry makes one per
    // visit, or that has no model (a cleaning module whose scanner is not built yet: asked again next time).
    // Making one starts nothing.
    QObject* viewModel(ModuleID module);
    // A new view model for one visit of the module's screen, owned by the caller; null when it has none.
    std::unique_ptr<QObject> newViewModel(ModuleID module) const;
    // The kept model when it is a scan view model.
    ScanViewModel* model(ModuleID module);

    // What the cleanings of this run freed, over the view models made so far.
    qint64 totalFreedBytes() const override;
    void onChanged(QObject* context, std::function<void()> changed) const override;

    // Whether any module is in the middle of a cleaning or a put-back (quitting waits for it to be journaled).
    bool isCleaning() const;

    void startMonitoring();
    void stopMonitoring();
    bool isMonitoring() const { return m_monitor.isActive(); }

    // One reading of the monitor.
    void refresh();

signals:
    void selectionChanged();
    void snapshotChanged();

private:
    SystemSnapshot read(double cpuLoad) const;

    const Modules::Registry& m_registry;
    ModelServices m_services;
    TickReader m_ticks;
    ModuleID m_selection = ModuleID::smartScan;
    SystemSnapshot m_snapshot;
    bool m_hasFullDiskAccess = true;
    std::map<ModuleID, std::unique_ptr<QObject>> m_models;
    std::optional<SystemInfo::CPUTicks> m_previousCPU;
    QTimer m_monitor;
};
