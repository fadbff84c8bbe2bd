#include "Performance/PerformanceModules.h"

#include "Performance/MaintenanceModel.h"
#include "Performance/MaintenanceView.h"
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
}
