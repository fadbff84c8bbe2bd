#include "Scan/ScanModules.h"

#include "Scan/Screen/ProvenanceCard.h"
#include "Scan/Screen/ScanModuleView.h"
#include "Scan/Screen/ScanViewModel.h"
#include "Scan/SmartScan/SmartScanView.h"
#include "Scanners/ModuleRegistry.h"

namespace {

QWidget* scanScreen(const Modules::ScreenContext& context)
{
    auto* screen = new ScanModuleView(context.module, qobject_cast<ScanViewModel*>(context.model),
                                      context.figures.hasFullDiskAccess(), context.workspace);
    screen->setProvenanceOpener(showProvenanceCard);
    return screen;
}

QWidget* smartScanScreen(const Modules::ScreenContext& context)
{
    return makeSmartScanScreen(qobject_cast<ScanViewModel*>(context.model), context.figures.hasFullDiskAccess(),
                               context.workspace, context.figures);
}

} // namespace

void registerScanModules(Modules::Registry& registry, Platform::Ask* ask)
{
    for (const ModuleID module : Modules::allModules()) {
        if (registry.entry(module).scanner) {
            registry.setModel(module, Modules::Lifetime::run,
                              [ask](const Modules::ModelContext& context) -> std::unique_ptr<QObject> {
                                  if (!context.scanner)
                                      return nullptr; // not available yet: never shown as clean
                                  return std::make_unique<ScanViewModel>(*context.scanner, context.services, ask);
                              });
        }
        if (registry.entry(module).results == Modules::ResultsScreen::generic)
            registry.setScreen(module, scanScreen);
    }
    registry.setScreen(ModuleID::smartScan, smartScanScreen);
    registry.setFallbackScreen(scanScreen);
}
