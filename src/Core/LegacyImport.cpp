#include "Core/LegacyImport.h"

#include <atomic>

#include <QtGlobal>

namespace LegacyImport {

namespace {

std::atomic<bool> legacyImportDone{false};

} // namespace

void importOnce()
{
    if (legacyImportDone.exchange(true))
        return;
    if (qEnvironmentVariableIsSet("XCTestConfigurationFilePath"))
        return;
    // The folder move and the settings copy come with the preferences.
}

} // namespace LegacyImport
