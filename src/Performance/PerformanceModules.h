#pragma once

namespace Modules {
class Registry;
}

// Registers the screens of src/Performance, each on a new model at every visit.
void registerPerformanceModules(Modules::Registry& registry);
