#pragma once

#include <QString>

#include <atomic>
#include <functional>
#include <stop_token>

namespace Platform {

// The sum of the allocated sizes (st_blocks × 512) of every regular file below `folder`. Links are never
// followed, hard links count each time they are reached, folders add nothing of their own, unreadable
// folders are passed over, and names that could not be shown as text still count. Each folder's files are
// added to `live`, when given, as soon as that folder is done, so a caller can read a lower bound while
// the walk goes on. Stops between entries when `stop` is triggered and returns the sum so far.
//
// Small trees are walked on the calling thread. A tree that turns out large is shared with a dedicated
// pool of walker threads, which never wait on one another; the calling thread keeps walking too.
qint64 treeAllocatedBytes(const QString& folder, std::stop_token stop = {}, std::atomic<qint64>* live = nullptr);

// The walk pool itself, for walks that split their own work into tasks (the disk map's tree). Its rule holds
// for them too: a task never waits for another task. A task may measure with treeAllocatedBytes().
int walkPoolSize();
void runOnWalkPool(std::function<void()> task);

} // namespace Platform
