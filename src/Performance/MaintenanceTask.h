#pragma once

#include "Core/ProcessRunner.h"

#include <QString>

#include <optional>
#include <vector>

// One of the fixed maintenance commands the maintenance screen offers.
struct MaintenanceTask {
    QString id; // stable key of the selection, the outcomes and the failures
    QString title;
    QString detail;
    QString symbol;
    bool needsAdmin = false;
    QString command; // one shell command line, every program by its full path and every value quoted

    // The seven tasks in the order of the screen and of a run. Commands are built at each call, as the
    // program locations depend on the system root.
    static std::vector<MaintenanceTask> all();
};

namespace OptimizationService {

struct MaintenanceOutcome {
    QString message;
    bool failed = false;

    friend bool operator==(const MaintenanceOutcome&, const MaintenanceOutcome&) = default;
};

// The verdict on a task run through the shell: the exit status decides.
MaintenanceOutcome shellTaskOutcome(const ProcessResult& result);
// The verdict on a task run with administrator rights: nothing means done; a reason is the failure.
MaintenanceOutcome administratorTaskOutcome(const std::optional<QString>& reason);

// Runs one task and blocks until it ends; administrator tasks pass through the authorisation prompt.
MaintenanceOutcome runMaintenance(const MaintenanceTask& task);

} // namespace OptimizationService
