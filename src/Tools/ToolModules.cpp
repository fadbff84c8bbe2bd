#include "Tools/ToolModules.h"

#include "Platform/Ask.h"

#include "Scanners/ModuleRegistry.h"
#include "Tools/ShredderView.h"
#include "Tools/ShredderViewModel.h"
#include "Tools/SnapshotsView.h"
#include "Tools/SnapshotsViewModel.h"
#include "Tools/SpaceMapView.h"
#include "Tools/SpaceMapViewModel.h"
#include "Tools/UninstallerView.h"
#include "Tools/UninstallerViewModel.h"

void registerToolModules(Modules::Registry& registry, Platform::OpenPanel& openPanel, Platform::Ask& ask)
{
    registry.setModel(ModuleID::spaceMap, Modules::Lifetime::visit,
                      [](const Modules::ModelContext&) { return std::make_unique<SpaceMapViewModel>(); });
    registry.setScreen(ModuleID::spaceMap, [&openPanel](const Modules::ScreenContext& context) -> QWidget* {
        auto* model = qobject_cast<SpaceMapViewModel*>(context.model);
        return model ? new SpaceMapView(*model, context.workspace, openPanel) : nullptr;
    });
    registry.setModel(ModuleID::snapshots, Modules::Lifetime::visit,
                      [](const Modules::ModelContext&) { return std::make_unique<SnapshotsViewModel>(); });
    registry.setScreen(ModuleID::snapshots, [](const Modules::ScreenContext& context) -> QWidget* {
        auto* model = qobject_cast<SnapshotsViewModel*>(context.model);
        return model ? new SnapshotsView(*model) : nullptr;
    });
    const Shredder::Confirm confirm = [&ask](const QString& title, const QString& message, const QString& destructive,
                                             std::function<void(bool)> answer) {
        ask.ask({title, message, destructive, QStringLiteral("Annuler")}, std::move(answer));
    };
    registry.setModel(ModuleID::shredder, Modules::Lifetime::visit, [](const Modules::ModelContext& context) {
        return std::make_unique<ShredderViewModel>(context.services);
    });
    registry.setScreen(ModuleID::shredder, [&openPanel, confirm](const Modules::ScreenContext& context) -> QWidget* {
        auto* model = qobject_cast<ShredderViewModel*>(context.model);
        return model ? new ShredderView(*model, context.workspace, openPanel, confirm) : nullptr;
    });
    registry.setModel(ModuleID::uninstaller, Modules::Lifetime::visit, [](const Modules::ModelContext& context) {
        return std::make_unique<UninstallerViewModel>(context.services);
    });
    registry.setScreen(ModuleID::uninstaller, [&ask](const Modules::ScreenContext& context) -> QWidget* {
        auto* model = qobject_cast<UninstallerViewModel*>(context.model);
        return model ? new UninstallerView(*model, context.workspace, ask) : nullptr;
    });
}
