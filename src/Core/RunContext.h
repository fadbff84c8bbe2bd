#pragma once

// Whether the process runs as the installed application bundle: false under a test runner
// (XCTestConfigurationFilePath set), false when the bundle has no identifier, else whether the bundle
// folder ends in ".app". The scheduler and the settings ask it before using user notifications.
bool isRunningAsAppBundle();
