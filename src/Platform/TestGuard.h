#pragma once

#include <QString>

#include <functional>
#include <optional>

// The guard that keeps a faulty test from touching the machine. The test mains install it with the
// sandbox folder they created; from then on every mutating operation of the platform layer (trash,
// remove, move, write, folder creation) asks check() first and is refused outside the sandbox. Under a
// test runner (XCTestConfigurationFilePath set) with no sandbox installed, everything is refused.
namespace Platform::TestGuard {

using ViolationHandler = std::function<void(const QString& message)>;

// Limits mutations to `sandbox` and its contents. The handler is told of every refusal; the test mains make
// it fail the running test.
void install(const QString& sandbox, ViolationHandler onViolation);

// Removes the limit (used by the test mains once the last case has run).
void uninstall();

// Whether the process runs under a test runner.
bool isTestRun();

// Nothing when `path` may be changed; otherwise the French refusal, after telling the handler.
// `operation` names the action in French ("supprimer", "déplacer", …) for the message.
std::optional<QString> check(const QString& path, const QString& operation);

} // namespace Platform::TestGuard
