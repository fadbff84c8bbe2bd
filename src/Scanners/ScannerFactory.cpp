#include "Scanners/ScannerFactory.h"

#include "Scanners/LeftoversScanner.h"
#include "Scanners/MalwareScanner.h"
#include "Scanners/ModuleRegistry.h"
#include "Scanners/SmartScanScanner.h"
#include "Scanners/SystemJunkScanner.h"
#include "Scanners/TrashScanner.h"

std::optional<ScannerPtr> makeScanner(ModuleID module)
{
    switch (module) {
    case ModuleID::smartScan:
        return std::make_shared<const SmartScanScanner>();
    case ModuleID::systemJunk:
        return std::make_shared<const SystemJunkScanner>(module, true, SystemJunkScanner::standardCacheDenylist());
    case ModuleID::trashBins:
        return std::make_shared<const TrashScanner>(module);
    case ModuleID::malware:
        return std::make_shared<const MalwareScanner>(module);
    case ModuleID::leftovers:
        return std::make_shared<const LeftoversScanner>(module);

    case ModuleID::xcodeJunk:
    case ModuleID::optimization:
    case ModuleID::maintenance:
    case ModuleID::uninstaller:
    case ModuleID::updater:
    case ModuleID::snapshots:
    case ModuleID::shredder:
    case ModuleID::spaceMap:
        return std::make_shared<const NullScanner>(module);

    // Cleaning modules whose scanners are still to come.
    case ModuleID::mailAttachments:
    case ModuleID::privacy:
    case ModuleID::largeOldFiles:
    case ModuleID::duplicates:
        return std::nullopt;
    }
    return std::nullopt;
}

void registerScannerModules(Modules::Registry& registry)
{
    for (const ModuleID module : Modules::allModules())
        registry.setScanner(module, makeScanner);
}
