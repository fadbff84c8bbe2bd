#pragma once

#include "Core/PathSafety.h"

class Exclusions;

#include <QString>

// The one place where a scanner decides that a path it found is not to be offered: a protected location, or
// one that the user's exclusions cover (the path is excluded, or an excluded path lies inside it, which
// removing it would take along). Callable from any thread.
namespace ScanFilter {

// `exclusions` is the list the removal engine judges against, so that a scan offers nothing it would refuse.
bool isSkipped(const Exclusions& exclusions, const QString& path);

// isSkipped() for a scan that judges many paths: the protection rules are made ready once, when it is made
// (the exclusions are read afresh for each path). The same answer for every path.
class Prepared final
{
public:
    explicit Prepared(const Exclusions& exclusions);
    bool isSkipped(const QString& path) const;

private:
    PathSafety::ProtectedPaths m_protected;
    const Exclusions& m_exclusions;
};

} // namespace ScanFilter
