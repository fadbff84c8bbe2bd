#include "Scanners/ScannerFactory.h"

#include "Scanners/DuplicatesScanner.h"
#include "Scanners/LargeOldFilesScanner.h"
#include "Scanners/MailAttachmentsScanner.h"
#include "Scanners/PrivacyScanner.h"
#include "Scanners/SystemJunkScanner.h"
#include "Scanners/TrashScanner.h"

std::optional<ScannerPtr> makeScanner(ModuleID module)
{
    switch (module) {
    case ModuleID::systemJunk:
        return std::make_shared<const SystemJunkScanner>(module, true, SystemJunkScanner::standardCacheDenylist());
    case ModuleID::trashBins:
        return std::make_shared<const TrashScanner>(module);
    case ModuleID::mailAttachments:
        return std::make_shared<const MailAttachmentsScanner>(module);
    case ModuleID::privacy:
        return std::make_shared<const PrivacyScanner>(module);
    case ModuleID::largeOldFiles:
        return std::make_shared<const LargeOldFilesScanner>(module, LargeOldFilesScanner::standardMinimumSize,
                                                            LargeOldFilesScanner::standardSkippedDirectories());
    case ModuleID::duplicates:
        return std::make_shared<const DuplicatesScanner>(module);

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
    case ModuleID::malware:
    case ModuleID::leftovers:
        return std::nullopt;
    }
    return std::nullopt;
}
