#include "Scanners/ScanFilter.h"

#include "Core/Removal.h"

#include <mutex>

namespace ScanFilter {

namespace {

std::mutex overrideMutex;
std::function<bool(const QString&)> overrideAnswer;

// A scan offers nothing that the removal engine would refuse: protected locations, and excluded ones or
// those holding an exclusion.
bool isProtectedOrExcluded(const QString& path)
{
    return Removal::refusalFor(path).has_value();
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
