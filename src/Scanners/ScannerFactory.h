#pragma once

#include "Scanners/ModuleScanner.h"

#include <optional>

class Exclusions;

// A new scanner for `module`, with that module's parameters, leaving out what `exclusions` covers (the list
// the removal engine judges against, so that a scan offers nothing a cleaning would refuse). A module without
// a scanner of its own (the tools) gets a NullScanner. Each call builds a new scanner; the caller decides
// whether to keep it.
std::optional<ScannerPtr> makeScanner(ModuleID module, const Exclusions& exclusions);

namespace Modules {
class Registry;
}

// Registers makeScanner() as the scanner factory of every cleaning module, with where its results show.
void registerScannerModules(Modules::Registry& registry);
