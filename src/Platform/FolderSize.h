#pragma once

#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <stop_token>
#include <unordered_set>

namespace Platform {

// The files with several names met so far in one measurement that counts each file once, as `du` does: the
// first path met counts it, the others add nothing. Safe to share between threads.
class CountedOnce final
{
public:
    // True the first time the file (device and inode, as FileInfo gives them) is met.
    bool firstTime(quint64 device, quint64 inode);

private:
    struct Hash {
        std::size_t operator()(const std::pair<quint64, quint64>& file) const
        {
            return std::hash<quint64>()(file.second * 0x9E3779B97F4A7C15ULL ^ file.first);
        }
    };
    std::mutex m_mutex;
    std::unordered_set<std::pair<quint64, quint64>, Hash> m_met;
};

// The sum of the allocated sizes (st_blocks × 512) of every regular file below `folder`. Links are never
// followed, hard links count each time they are reached, folders add nothing of their own, unreadable
// folders are passed over, and names that could not be shown as text still count. Each folder's files are
// added to `live`, when given, as soon as that folder is done, so a caller can read a lower bound while
// the walk goes on. Stops between entries when `stop` is triggered and returns the sum so far.
// With `once`, a file with several names counts only where `once` meets it first.
// `complete`, when given, says whether every folder was read (false after a stop, or when a folder could not
// be opened or read: the sum is then a lower bound). Any depth and path length is measured, with a bounded
// number of open descriptors per walker; shared folders pass between walkers as open descriptors.
//
// Small trees are walked on the calling thread. A tree that turns out large is shared with a dedicated
// pool of walker threads, which never wait on one another; the calling thread keeps walking too.
qint64 treeAllocatedBytes(const QString& folder, std::stop_token stop = {}, std::atomic<qint64>* live = nullptr,
                          bool* complete = nullptr, CountedOnce* once = nullptr);

// The on-disk size of the entry at `path` itself: a regular file's allocated size, a folder's as
// treeAllocatedBytes() measures it, and 0 for a link (never followed), anything else, or nothing there.
qint64 entryAllocatedBytes(const QString& path, std::stop_token stop = {});

// The walk pool itself, for walks that split their own work into tasks (the disk map's tree). Its rule holds
// for them too: a task never waits for another task. A task may measure with treeAllocatedBytes().
int walkPoolSize();
void runOnWalkPool(std::function<void()> task);

} // namespace Platform
