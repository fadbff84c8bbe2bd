#pragma once

#include <cstddef>
#include <functional>
#include <stop_token>

namespace Platform {

// Calls `work(i)` once for every i from 0 to `count` − 1, on the calling thread and, side by side, on the
// threads of the pool that the folder measure walks on (never the application's general pool, on which the
// caller itself may run). Indexes are taken in rising order; which thread runs which is not defined, so
// each call must write only its own result. Once `stop` is triggered no further call starts. Returns when
// every call that started has returned. A call never waits for another, so the pool cannot deadlock.
void forEachOnWalkPool(std::size_t count, const std::function<void(std::size_t index)>& work,
                       std::stop_token stop = {});

} // namespace Platform
