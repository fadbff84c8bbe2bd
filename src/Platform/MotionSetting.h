#pragma once

// The system's reduce-motion accessibility setting. On a Mac it is the user's choice in System Settings; here
// the environment variable QUORVANE_REDUCE_MOTION stands in for it ("1", "true" or "yes" turn it on).
namespace Platform {

// Read on every call, so that a test that changes the variable sees the change.
bool reduceMotion();

} // namespace Platform
