#include "Performance/PerformanceModules.h"

#include "Scanners/ModuleRegistry.h"

void registerPerformanceModules(Modules::Registry& registry)
{
    (void)registry;
}
