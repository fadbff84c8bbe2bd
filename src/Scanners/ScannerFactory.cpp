#include "Scanners/ScannerFactory.h"

#include "Scanners/LeftoversScanner.h"
#include "Scanners/SystemJunkScanner.h"
#include "Scanners/TrashScanner.h"

std::optional<ScannerPtr> makeScanner(ModuleID module)
{
    switch (module) {
    case ModuleID::systemJunk:
        return std::make_shared<const SystemJunkScanner>(module, true, SystemJunkScanner::standardCacheDenylist());
    case ModuleID::trashBins:
        return std::make_shared<const TrashScanner>(module);
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

    // Cleaning modules whose scanners are still to come; the smart scan needs the malware scanner as well.
    case ModuleID::smartScan:
    case ModuleID::mailAttachments:
    case ModuleID::malware:
    case ModuleID::privacy:
    case ModuleID::largeOldFiles:
    case ModuleID::duplicates:
        return std::nullopt;
    }
    return std::nullopt;
}
