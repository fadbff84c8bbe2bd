#include "Scanners/ScannerFactory.h"

#include "Scanners/DuplicatesScanner.h"
#include "Scanners/LargeOldFilesScanner.h"
#include "Scanners/LeftoversScanner.h"
#include "Scanners/MailAttachmentsScanner.h"
#include "Scanners/MalwareScanner.h"
#include "Scanners/ModuleRegistry.h"
#include "Scanners/PrivacyScanner.h"
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
    case ModuleID::mailAttachments:
        return std::make_shared<const MailAttachmentsScanner>(module);
    case ModuleID::privacy:
        return std::make_shared<const PrivacyScanner>(module);
    case ModuleID::largeOldFiles:
        return std::make_shared<const LargeOldFilesScanner>(module, LargeOldFilesScanner::standardMinimumSize,
                                                            LargeOldFilesScanner::standardSkippedDirectories());
    case ModuleID::duplicates:
        return std::make_shared<const DuplicatesScanner>(module);
    // Tool modules have screens of their own; their scanner finds nothing.
    case ModuleID::xcodeJunk:
    case ModuleID::optimization:
    case ModuleID::maintenance:
    case ModuleID::uninstaller:
    case ModuleID::updater:
    case ModuleID::snapshots:
    case ModuleID::shredder:
    case ModuleID::spaceMap:
        return std::make_shared<const NullScanner>(module);
    }
    return std::nullopt;
}

void registerScannerModules(Modules::Registry& registry)
{
    for (const ModuleID module : Modules::allModules())
        registry.setScanner(module, makeScanner);
}
