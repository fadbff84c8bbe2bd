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

namespace {

using Modules::ResultsScreen;

struct ScannerRow {
    ModuleID module;
    ResultsScreen results;
    ScannerPtr (*make)(ModuleID module, const Exclusions& exclusions);
};

// The cleaning modules: each one's scanner, with that module's parameters, and where its results show. A module
// missing here (a tool) has the registry's empty scanner.
const ScannerRow kScanners[] = {
    {ModuleID::smartScan, ResultsScreen::own,
     [](ModuleID, const Exclusions& exclusions) -> ScannerPtr {
         return std::make_shared<const SmartScanScanner>(exclusions);
     }},
    {ModuleID::systemJunk, ResultsScreen::generic,
     [](ModuleID module, const Exclusions& exclusions) -> ScannerPtr {
         return std::make_shared<const SystemJunkScanner>(exclusions, module, true,
                                                          SystemJunkScanner::standardCacheDenylist());
     }},
    {ModuleID::mailAttachments, ResultsScreen::generic,
     [](ModuleID module, const Exclusions& exclusions) -> ScannerPtr {
         return std::make_shared<const MailAttachmentsScanner>(exclusions, module);
     }},
    {ModuleID::trashBins, ResultsScreen::generic,
     [](ModuleID module, const Exclusions& exclusions) -> ScannerPtr {
         return std::make_shared<const TrashScanner>(exclusions, module);
     }},
    {ModuleID::malware, ResultsScreen::generic,
     [](ModuleID module, const Exclusions& exclusions) -> ScannerPtr {
         return std::make_shared<const MalwareScanner>(exclusions, module);
     }},
    {ModuleID::privacy, ResultsScreen::generic,
     [](ModuleID module, const Exclusions& exclusions) -> ScannerPtr {
         return std::make_shared<const PrivacyScanner>(exclusions, module);
     }},
    {ModuleID::leftovers, ResultsScreen::generic,
     [](ModuleID module, const Exclusions& exclusions) -> ScannerPtr {
         return std::make_shared<const LeftoversScanner>(exclusions, module);
     }},
    {ModuleID::largeOldFiles, ResultsScreen::generic,
     [](ModuleID module, const Exclusions& exclusions) -> ScannerPtr {
         return std::make_shared<const LargeOldFilesScanner>(exclusions, module,
                                                             LargeOldFilesScanner::standardMinimumSize,
                                                             LargeOldFilesScanner::standardSkippedDirectories());
     }},
    {ModuleID::duplicates, ResultsScreen::generic,
     [](ModuleID module, const Exclusions& exclusions) -> ScannerPtr {
         return std::make_shared<const DuplicatesScanner>(exclusions, module);
     }},
};

} // namespace

std::optional<ScannerPtr> makeScanner(ModuleID module, const Exclusions& exclusions)
{
    for (const ScannerRow& row : kScanners) {
        if (row.module == module)
            return row.make(module, exclusions);
    }
    // The tool modules have screens of their own; the registry's empty scanner stands in for theirs.
    return Modules::emptyScanner(module, exclusions);
}

void registerScannerModules(Modules::Registry& registry)
{
    for (const ScannerRow& row : kScanners)
        registry.setScanner(row.module, makeScanner, row.results);
}
