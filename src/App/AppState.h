#pragma once

#include "Core/ModuleID.h"
#include "Core/SystemInfo.h"
#include "Core/SystemSnapshot.h"
#include "Scanners/ModuleScanner.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class ScanViewModel;

// The one app-wide state: the module selected in the sidebar, the latest reading of the machine, whether
// the application has Full Disk Access, and one scan view model per module, made on first use and kept for
// the whole run so that results outlive every screen. While the main window is shown, a monitor replaces
// the reading every two seconds. Lives on the GUI thread.
class AppState final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AppState)

public:
    using ScannerFactory = std::function<std::optional<ScannerPtr>(ModuleID)>;
    using TickReader = std::function<std::optional<SystemInfo::CPUTicks>()>;

    static constexpr int monitorIntervalMs = 2000;

    // Takes the first reading (its processor load is 0: a load needs two) and probes Full Disk Access, the
    // only probe of the run. `factory` and `ticks` are seams for tests.
    explicit AppState(ScannerFactory factory = {}, TickReader ticks = {}, QObject* parent = nullptr);
    ~AppState() override;

    // The live app-wide state, for code that has no screen to take it from; null when there is none.
    static AppState* current();

    ModuleID selection() const { return m_selection; }
    // Publishes even when the module does not change, as the sidebar writes the current one back.
    void setSelection(ModuleID module);

    const SystemSnapshot& snapshot() const { return m_snapshot; }
    bool hasFullDiskAccess() const { return m_hasFullDiskAccess; }

    // The module's view model, made on first use; null for a cleaning module whose scanner is not built
    // yet. Making one starts no scan.
    ScanViewModel* model(ModuleID module);

    // What the cleanings of this run freed, over the view models made so far.
    qint64 totalFreedBytes() const;

    // Whether any module is in the middle of a cleaning (quitting waits for it to be journaled).
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

    ScannerFactory m_factory;
    TickReader m_ticks;
    ModuleID m_selection = ModuleID::smartScan;
    SystemSnapshot m_snapshot;
    bool m_hasFullDiskAccess = true;
    std::map<ModuleID, std::unique_ptr<ScanViewModel>> m_models;
    std::optional<SystemInfo::CPUTicks> m_previousCPU;
    QTimer m_monitor;
};
