#include "Scanners/ScanFilter.h"

#include <mutex>

namespace ScanFilter {

namespace {

std::mutex overrideMutex;
std::function<bool(const QString&)> overrideAnswer;

// STAND-IN until the protected-path rules and the exclusions join this branch: nothing is protected or
// excluded yet. Replace the body with the protected-path test and the exclusions' candidate test.
bool isProtectedOrExcluded(const QString&)
{
    return false;
}

} // namespace

bool isSkipped(const QString& path)
{
    if (isProtectedOrExcluded(path))
        return true;
    const std::lock_guard lock(overrideMutex);
    return overrideAnswer && overrideAnswer(path);
}

void setOverrideForTests(std::function<bool(const QString& path)> skipped)
{
    const std::lock_guard lock(overrideMutex);
    overrideAnswer = std::move(skipped);
}

} // namespace ScanFilter
