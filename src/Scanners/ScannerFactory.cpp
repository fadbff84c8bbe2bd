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

std::optional<ScannerPtr> makeScanner(ModuleID module, const Exclusions& exclusions)
{
    switch (module) {
    case ModuleID::smartScan:
        return std::make_shared<const SmartScanScanner>(exclusions);
    case ModuleID::systemJunk:
        return std::make_shared<const SystemJunkScanner>(exclusions, module, true,
                                                         SystemJunkScanner::standardCacheDenylist());
    case ModuleID::trashBins:
        return std::make_shared<const TrashScanner>(exclusions, module);
    case ModuleID::malware:
        return std::make_shared<const MalwareScanner>(exclusions, module);
    case ModuleID::leftovers:
        return std::make_shared<const LeftoversScanner>(exclusions, module);
    case ModuleID::mailAttachments:
        return std::make_shared<const MailAttachmentsScanner>(exclusions, module);
    case ModuleID::privacy:
        return std::make_shared<const PrivacyScanner>(exclusions, module);
    case ModuleID::largeOldFiles:
        return std::make_shared<const LargeOldFilesScanner>(exclusions, module,
                                                            LargeOldFilesScanner::standardMinimumSize,
                                                            LargeOldFilesScanner::standardSkippedDirectories());
    case ModuleID::duplicates:
        return std::make_shared<const DuplicatesScanner>(exclusions, module);
    default:
        // The tool modules have screens of their own; the registry's empty scanner stands in for theirs.
        return Modules::emptyScanner(module, exclusions);
    }
}

void registerScannerModules(Modules::Registry& registry)
{
    for (const ModuleID module : Modules::allModules())
        registry.setScanner(module, makeScanner);
}
