#pragma once

#include <QString>

#include <functional>

// The one place where a scanner decides that a path it found is not to be offered: a protected location, or
// one that the user's exclusions cover (the path is excluded, or an excluded path lies inside it, which
// removing it would take along). Callable from any thread.
namespace ScanFilter {

bool isSkipped(const QString& path);

// Tests make chosen paths skipped as well, until reset with an empty function.
void setOverrideForTests(std::function<bool(const QString& path)> skipped);

} // namespace ScanFilter
