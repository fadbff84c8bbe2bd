#include "Performance/PerformanceModules.h"

#include "Performance/MaintenanceModel.h"
#include "Performance/MaintenanceView.h"
#include "Performance/OptimizationModel.h"
#include "Performance/OptimizationView.h"
#include "Performance/UpdaterModel.h"
#include "Performance/UpdaterView.h"
#include "Scanners/ModuleRegistry.h"

void registerPerformanceModules(Modules::Registry& registry)
{
    // Maintenance: a new model at each visit.
    registry.setModel(ModuleID::maintenance, Modules::Lifetime::visit,
                      [](const Modules::ModelContext&) { return std::make_unique<MaintenanceModel>(); });
    registry.setScreen(ModuleID::maintenance, [](const Modules::ScreenContext& context) -> QWidget* {
        auto* model = qobject_cast<MaintenanceModel*>(context.model);
        return model ? new MaintenanceView(*model) : nullptr;
    });
    // Updates: a new model at each visit; nothing runs until the user asks for a check.
    registry.setModel(ModuleID::updater, Modules::Lifetime::visit,
                      [](const Modules::ModelContext&) { return std::make_unique<UpdaterModel>(); });
    registry.setScreen(ModuleID::updater, [](const Modules::ScreenContext& context) -> QWidget* {
        auto* model = qobject_cast<UpdaterModel*>(context.model);
        return model ? new UpdaterView(*model, context.workspace) : nullptr;
    });
    // Optimisation: a new model at each visit; the diagnosis waits the application's respawn window.
    registry.setModel(ModuleID::optimization, Modules::Lifetime::visit, [](const Modules::ModelContext& context) {
        return std::make_unique<OptimizationModel>(
            context.services, OptimizationModel::Sources::standard(Diagnostics::applicationWindow));
    });
    registry.setScreen(ModuleID::optimization, [](const Modules::ScreenContext& context) -> QWidget* {
        auto* model = qobject_cast<OptimizationModel*>(context.model);
        return model ? new OptimizationView(*model, context.workspace, context.figures) : nullptr;
    });
}
