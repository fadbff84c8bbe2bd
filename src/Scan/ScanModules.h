#pragma once

namespace Modules {
class Registry;
}

namespace Platform {
class Ask;
}

// Registers what src/Scan gives the modules: for every module with a scanner factory, a scan view model kept for
// the whole run (a placeholder for a tool module until its library registers its own); for the cleaning modules,
// the generic scan screen; for the smart scan, its dashboard; and the fallback screen, the same screen without a
// model, which says the module is not available yet. Every screen's rows open the provenance card. The scan
// models put their questions (removing every copy of a file) through `ask`, which outlives the registry; without
// one, such a cleaning is not done.
void registerScanModules(Modules::Registry& registry, Platform::Ask* ask = nullptr);
