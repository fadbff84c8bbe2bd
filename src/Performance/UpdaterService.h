#pragma once

#include <QString>

#include <optional>

namespace OptimizationService {

// The Mac location of the `brew` executable: the first of "/opt/homebrew/bin/brew" and "/usr/local/bin/brew"
// that is an executable file under the system root (a folder, or a file without execute permission, is not).
std::optional<QString> brewPath();

} // namespace OptimizationService
