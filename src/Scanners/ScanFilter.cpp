#include "Scanners/ScanFilter.h"

#include "Core/Exclusions.h"
#include "Core/Removal.h"

namespace ScanFilter {

bool isSkipped(const Exclusions& exclusions, const QString& path)
{
    // A scan offers nothing that the removal engine would refuse: protected locations, and excluded ones or
    // those holding an exclusion.
    return Removal::refusalFor(exclusions, path).has_value();
}

Prepared::Prepared(const Exclusions& exclusions) : m_exclusions(exclusions)
{
}

bool Prepared::isSkipped(const QString& path) const
{
    // The removal engine's refusal, in its order: protected, then excluded or holding an exclusion.
    return m_protected.contains(path) || m_exclusions.isExcludedOrHoldsExclusion(path);
}

} // namespace ScanFilter
