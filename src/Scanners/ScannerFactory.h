#pragma once

#include "Scanners/ModuleScanner.h"

#include <optional>

// A new scanner for `module`, with that module's parameters: the tool modules get a NullScanner. Nothing
// for a cleaning module whose scanner is not available yet: such a module must be shown as not available,
// never as clean. Each call builds a new scanner; the caller decides whether to keep it.
std::optional<ScannerPtr> makeScanner(ModuleID module);

namespace Modules {
class Registry;
}

// Registers makeScanner() as the scanner factory of every module.
void registerScannerModules(Modules::Registry& registry);
