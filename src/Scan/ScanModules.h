#pragma once

namespace Modules {
class Registry;
}

// Registers what src/Scan gives the modules: for every module with a scanner factory, a scan view model kept for
// the whole run (a placeholder for a tool module until its library registers its own); for the cleaning modules,
// the generic scan screen; for the smart scan, its dashboard; and the fallback screen, the same screen without a
// model, which says the module is not available yet. Every screen's rows open the provenance card.
void registerScanModules(Modules::Registry& registry);
