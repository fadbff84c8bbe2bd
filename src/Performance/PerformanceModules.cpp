#include "Performance/PerformanceModules.h"

#include "Performance/MaintenanceView.h"
#include "Performance/MaintenanceViewModel.h"
#include "Performance/OptimizationView.h"
#include "Performance/OptimizationViewModel.h"
#include "Performance/UpdaterView.h"
#include "Performance/UpdaterViewModel.h"
#include "Scanners/ModuleRegistry.h"

void registerPerformanceModules(Modules::Registry& registry)
{
    // Maintenance: a new model at each visit.
    registry.setModel(ModuleID::maintenance, Modules::Lifetime::visit,
                      [](const Modules::ModelContext&) { return std::make_unique<MaintenanceViewModel>(); });
    registry.setScreen(ModuleID::maintenance, [](const Modules::ScreenContext& context) -> QWidget* {
        auto* model = qobject_cast<MaintenanceViewModel*>(context.model);
        return model ? new MaintenanceView(*model) : nullptr;
    });
    // Updates: a new model at each visit; nothing runs until the user asks for a check.
    registry.setModel(ModuleID::updater, Modules::Lifetime::visit,
                      [](const Modules::ModelContext&) { return std::make_unique<UpdaterViewModel>(); });
    registry.setScreen(ModuleID::updater, [](const Modules::ScreenContext& context) -> QWidget* {
        auto* model = qobject_cast<UpdaterViewModel*>(context.model);
        return model ? new UpdaterView(*model, context.workspace) : nullptr;
    });
    // Optimisation: a new model at each visit; the diagnosis waits the application's respawn window.
    registry.setModel(ModuleID::optimization, Modules::Lifetime::visit, [](const Modules::ModelContext& context) {
        return std::make_unique<OptimizationViewModel>(
            context.services, OptimizationViewModel::Sources::standard(Diagnostics::applicationWindow));
    });
    registry.setScreen(ModuleID::optimization, [](const Modules::ScreenContext& context) -> QWidget* {
        auto* model = qobject_cast<OptimizationViewModel*>(context.model);
        return model ? new OptimizationView(*model, context.workspace, context.figures) : nullptr;
    });
}
