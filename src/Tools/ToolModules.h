#pragma once

namespace Modules {
class Registry;
}
namespace Platform {
class OpenPanel;
}

// Registers the tool screens of src/Tools, each on a new model at every visit. `openPanel` is the seam through
// which they ask the user for files and folders; it outlives the registry.
void registerToolModules(Modules::Registry& registry, Platform::OpenPanel& openPanel);
