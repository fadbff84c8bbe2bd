#include "Tools/ToolModules.h"

#include "Platform/Ask.h"

#include "Scanners/ModuleRegistry.h"
#include "Tools/ShredderView.h"
#include "Tools/SnapshotsView.h"
#include "Tools/SnapshotsViewModel.h"
#include "Tools/SpaceMapView.h"
#include "Tools/SpaceMapViewModel.h"
#include "Tools/UninstallerView.h"

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
    registerShredder(registry, openPanel,
                     [&ask](const QString& title, const QString& message, const QString& destructive,
                            std::function<void(bool)> answer) {
                         ask.ask({title, message, destructive, QStringLiteral("Annuler")}, std::move(answer));
                     });
    registerUninstaller(registry, ask);
}
