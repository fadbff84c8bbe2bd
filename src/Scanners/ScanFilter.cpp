#include "Scanners/ScanFilter.h"

#include "Core/Exclusions.h"
#include "Core/Removal.h"

#include <atomic>
#include <mutex>

namespace ScanFilter {

namespace {

std::mutex overrideMutex;
std::function<bool(const QString&)> overrideAnswer;
std::atomic<bool> overrideSet{false}; // read for every path: no lock while no test set one

// A scan offers nothing that the removal engine would refuse: protected locations, and excluded ones or
// those holding an exclusion.
bool isProtectedOrExcluded(const Exclusions& exclusions, const QString& path)
{
    return Removal::refusalFor(exclusions, path).has_value();
}

bool isOverridden(const QString& path)
{
    if (!overrideSet.load(std::memory_order_acquire))
        return false;
    const std::lock_guard lock(overrideMutex);
    return overrideAnswer && overrideAnswer(path);
}

} // namespace

bool isSkipped(const Exclusions& exclusions, const QString& path)
{
    if (isProtectedOrExcluded(exclusions, path))
        return true;
    return isOverridden(path);
}

Prepared::Prepared(const Exclusions& exclusions) : m_exclusions(exclusions)
{
}

bool Prepared::isSkipped(const QString& path) const
{
    // The removal engine's refusal, in its order: protected, then excluded or holding an exclusion.
    if (m_protected.contains(path) || m_exclusions.isExcludedOrHoldsExclusion(path))
        return true;
    return isOverridden(path);
}

void setOverrideForTests(std::function<bool(const QString& path)> skipped)
{
    const std::lock_guard lock(overrideMutex);
    overrideSet.store(bool(skipped), std::memory_order_release);
    overrideAnswer = std::move(skipped);
}

} // namespace ScanFilter
