#pragma once

namespace Modules {
class Registry;
}

// Registers the screens of src/Developer, each on a new model at every visit.
void registerDeveloperModules(Modules::Registry& registry);
