#include "Developer/DeveloperModules.h"

#include "Scanners/ModuleRegistry.h"

void registerDeveloperModules(Modules::Registry& registry)
{
    (void)registry;
}
