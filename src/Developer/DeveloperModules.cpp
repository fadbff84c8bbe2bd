#include "Developer/DeveloperModules.h"

#include "Developer/XcodeView.h"
#include "Developer/XcodeViewModel.h"
#include "Scanners/ModuleRegistry.h"

void registerDeveloperModules(Modules::Registry& registry)
{
    registry.setModel(ModuleID::xcodeJunk, Modules::Lifetime::visit, [](const Modules::ModelContext& context) {
        return std::make_unique<XcodeViewModel>(context.services);
    });
    registry.setScreen(ModuleID::xcodeJunk, [](const Modules::ScreenContext& context) -> QWidget* {
        auto* model = qobject_cast<XcodeViewModel*>(context.model);
        return model ? new XcodeView(*model) : nullptr;
    });
}
