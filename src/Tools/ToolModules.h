#pragma once

namespace Modules {
class Registry;
}
namespace Platform {
class Ask;
class OpenPanel;
} // namespace Platform

// Registers the tool screens of src/Tools, each on a new model at every visit. `openPanel` is the seam through
// which they ask the user for files and folders, `ask` the one through which they confirm what cannot be taken
// back; both outlive the registry.
void registerToolModules(Modules::Registry& registry, Platform::OpenPanel& openPanel, Platform::Ask& ask);
