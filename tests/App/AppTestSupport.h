#pragma once

#include "App/AppState.h"
#include "Scan/ScanModules.h"
#include "Scanners/ModuleRegistry.h"
#include "Scanners/ScannerFactory.h"
#include "TestServices.h"

namespace AppTest {

// The modules of the libraries below the app, registered as the composition root does.
inline Modules::Registry standardModules()
{
    Modules::Registry registry;
    registerScannerModules(registry);
    registerScanModules(registry);
    return registry;
}

// What an app-wide state needs in a test: services of its own and a module table.
struct Kit {
    TestSupport::TestServices services;
    Modules::Registry registry = standardModules();
};

} // namespace AppTest
