#pragma once

#include "Platform/FolderSize.h"
#include "Platform/OpenFolder.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

// The walk that the folder measure and the side-by-side walk share. Each folder is opened from its parent's
// descriptor, never through a link, so depth costs nothing and no path length limits it; a walker keeps a
// bounded number of folders open and comes back to the others through "..", checked against the folder it
// left. A tree that turns out large is shared with the walk pool: folders pass between walkers as open
// descriptors, and a walker never waits for another.
//
// A reader says what one folder gives:
//   static constexpr bool kPaths;  whether read() needs the folder's path (kept as bytes, built as the walk goes)
//   int read(int fd, std::string_view path, std::uint32_t id, std::vector<TreeWalk::Subfolder>& subfolders,
//            long& entries);
// It lists the folders to walk into, in order, and counts the entries it saw. It returns 0, the errno that kept
// the folder from being read whole, or ECANCELED when the walk is to stop. It runs on several threads at once.
namespace Platform::TreeWalk {

// A folder to walk into, by its name in the folder being read, with the number its reader gave it.
struct Subfolder {
    std::string name;
    std::uint32_t id = 0;
};

// Entries a walk sees on its own before it asks the pool for help: below this, thread hand-offs cost more
// than they save, and the many small measurements of a scan stay on their own threads.
constexpr long kParallelThreshold = 4000;
// Folders one walker keeps open at once, its starting folder included.
constexpr std::size_t kOpenPerWalker = 8;
// Open folders waiting in the shared queue at most; past it a walker goes down on its own.
constexpr std::size_t kQueuedFolders = 16;

// A folder handed to another walker.
struct SharedFolder {
    int fd = -1;
    std::uint32_t id = 0;
    std::string path;
};

template <class Reader> struct Job {
    Job(Reader& r, std::stop_token s) : reader(r), stop(std::move(s)) {}

    Reader& reader;
    std::stop_token stop;
    std::atomic<long> seen{0};
    std::atomic<int> idle{0};
    std::atomic<bool> parallel{false};
    std::atomic<bool> complete{true};

    std::mutex mutex;
    std::condition_variable wake;
    std::deque<SharedFolder> queue;
    int active = 0; // walkers inside the tree
    bool done = false;
};

template <class Reader> void drainQueue(const std::shared_ptr<Job<Reader>>& jobPtr);

// Hands an open folder to an idle walker; false when nobody waits or the queue is full.
template <class Reader> bool share(Job<Reader>& job, SharedFolder& folder)
{
    if (!job.parallel.load(std::memory_order_relaxed) || job.idle.load(std::memory_order_relaxed) == 0)
        return false;
    {
        const std::lock_guard lock(job.mutex);
        if (job.queue.size() >= kQueuedFolders)
            return false;
        job.queue.push_back(std::move(folder));
    }
    job.wake.notify_one();
    return true;
}

// The path of the folder `name` inside the folder at `parent`.
inline std::string childPath(std::string parent, std::string_view name)
{
    if (parent != "/")
        parent += '/';
    parent += name;
    return parent;
}

// A folder on a walker's stack: read when pushed, its subfolders wait here by name.
struct Frame {
    int fd = -1;      // -1 while closed to keep descriptors bounded
    dev_t device = 0; // with `inode`, looked at when the folder is closed
    ino_t inode = 0;
    std::size_t pathLength = 0; // of the walker's path while this folder is the deepest
    std::vector<Subfolder> subfolders;
    std::size_t next = 0;
};

// Walks `start` (its descriptor taken over and closed) and everything below it that is not shared, with an
// explicit stack so that the depth of a tree costs memory, not thread stack.
template <class Reader> void walkFolder(const std::shared_ptr<Job<Reader>>& jobPtr, SharedFolder start)
{
    Job<Reader>& job = *jobPtr;
    std::vector<Frame> stack;
    std::string path = std::move(start.path); // the deepest folder's, when the reader wants paths
    std::size_t openCount = 0;
    std::size_t firstOpen = 1; // frames above this one (the starting folder excepted) are closed
    std::size_t exhausted = 0; // frames below this one have no subfolder left to walk into
    // Whether no frame up to `level` has a subfolder left (a frame's list is only ever taken from).
    const auto nothingLeftThrough = [&](std::size_t level) {
        while (exhausted < stack.size() && stack[exhausted].next == stack[exhausted].subfolders.size())
            ++exhausted;
        return exhausted > level;
    };
    const auto push = [&](int fd, std::uint32_t id) {
        Frame& frame = stack.emplace_back();
        exhausted = std::min(exhausted, stack.size() - 1);
        frame.fd = fd;
        frame.pathLength = path.size();
        long entries = 0;
        const int error = job.reader.read(fd, path, id, frame.subfolders, entries);
        if (error != 0 && error != ECANCELED)
            job.complete.store(false, std::memory_order_relaxed);
        const long seen = job.seen.fetch_add(entries, std::memory_order_relaxed) + entries;
        if (seen >= kParallelThreshold && !job.parallel.exchange(true)) {
            for (int i = 0; i < walkPoolSize(); ++i)
                runOnWalkPool([jobPtr] { drainQueue(jobPtr); });
        }
        if (++openCount > kOpenPerWalker) {
            while (stack[firstOpen].fd < 0)
                ++firstOpen;
            // Looked at only now, the one time its identity is needed: to know the way back through "..".
            Frame& closing = stack[firstOpen];
            struct stat self {
            };
            if (::fstat(closing.fd, &self) == 0) {
                closing.device = self.st_dev;
                closing.inode = self.st_ino;
            }
            ::close(closing.fd);
            closing.fd = -1;
            --openCount;
        }
        return error != ECANCELED;
    };
    const auto pop = [&] {
        Frame& done = stack.back();
        if (stack.size() > 1) {
            Frame& parent = stack[stack.size() - 2];
            // Reopened even when it has nothing left to open: it is the way back to the folders above it, unless
            // none of them has anything left either (the end of a deep chain then costs no walk back up).
            if (parent.fd < 0 && !nothingLeftThrough(stack.size() - 2)) {
                parent.fd = reopenParent(done.fd, parent.device, parent.inode);
                if (parent.fd < 0) {
                    job.complete.store(false, std::memory_order_relaxed);
                    parent.next = parent.subfolders.size();
                } else {
                    ++openCount;
                    firstOpen = std::min(firstOpen, stack.size() - 2);
                }
            }
        }
        if (done.fd >= 0) {
            ::close(done.fd);
            --openCount;
        }
        stack.pop_back();
    };
    // An idle walker gets the shallowest folder still waiting, the one most likely to hold a large part of the
    // tree, rather than the next one down: in a deep chain, the next one down would leave this walker a long way
    // back with every folder waiting above it. False when no folder above the deepest one was handed over (or
    // passed over, gone or unreadable).
    const auto shareFromAbove = [&] {
        nothingLeftThrough(0);
        for (std::size_t level = exhausted; level + 1 < stack.size(); ++level) {
            Frame& frame = stack[level];
            if (frame.fd < 0 || frame.next == frame.subfolders.size())
                continue;
            Subfolder& sub = frame.subfolders[frame.next];
            const int childFd = openFolderForReading(frame.fd, sub.name.c_str());
            if (childFd < 0) {
                if (lostPart(errno))
                    job.complete.store(false, std::memory_order_relaxed);
                ++frame.next; // unreadable, replaced by a link, or gone: passed over
                return true;
            }
            SharedFolder child{childFd, sub.id, {}};
            if constexpr (Reader::kPaths)
                child.path = childPath(path.substr(0, frame.pathLength), sub.name);
            if (!share(job, child)) {
                ::close(childFd); // nobody took it after all: it waits for this walker's way back
                return false;
            }
            ++frame.next;
            std::string().swap(sub.name);
            return true;
        }
        return false;
    };
    bool running = push(start.fd, start.id);
    while (running && !stack.empty()) {
        if (job.stop.stop_requested())
            break;
        if (job.parallel.load(std::memory_order_relaxed) && job.idle.load(std::memory_order_relaxed) > 0 &&
            shareFromAbove())
            continue;
        Frame& top = stack.back();
        if (top.next == top.subfolders.size()) {
            pop();
            continue;
        }
        Subfolder& sub = top.subfolders[top.next++];
        const int childFd = openFolderForReading(top.fd, sub.name.c_str());
        if (childFd < 0) {
            if (lostPart(errno))
                job.complete.store(false, std::memory_order_relaxed);
            continue; // unreadable, replaced by a link, or gone: passed over
        }
        if constexpr (Reader::kPaths) {
            path.resize(top.pathLength);
            path = childPath(std::move(path), sub.name);
        }
        SharedFolder child{childFd, sub.id, {}};
        // The last folder waiting here stays with this walker: handing it over would leave this one nothing but
        // the way back, and a chain would pass from walker to walker one folder at a time.
        if (top.next < top.subfolders.size() && job.parallel.load(std::memory_order_relaxed) &&
            job.idle.load(std::memory_order_relaxed) > 0) {
            child.path = path;
            if (share(job, child))
                continue;
        }
        std::string().swap(sub.name); // read once: its name is no longer needed
        running = push(childFd, sub.id);
    }
    for (Frame& frame : stack) {
        if (frame.fd >= 0)
            ::close(frame.fd);
    }
}

// Takes shared folders until the whole tree is done. After a stop no new folder is taken, but the call
// still waits for the walkers inside the tree: they use the caller's reader until they leave.
template <class Reader> void drainQueue(const std::shared_ptr<Job<Reader>>& jobPtr)
{
    Job<Reader>& job = *jobPtr;
    std::unique_lock lock(job.mutex);
    while (!job.done) {
        if (job.stop.stop_requested()) {
            for (const SharedFolder& folder : job.queue)
                ::close(folder.fd);
            job.queue.clear();
        }
        if (!job.queue.empty()) {
            SharedFolder folder = std::move(job.queue.front());
            job.queue.pop_front();
            ++job.active;
            lock.unlock();
            walkFolder(jobPtr, std::move(folder));
            lock.lock();
            --job.active;
            continue;
        }
        if (job.active == 0) {
            job.done = true;
            job.wake.notify_all();
            return;
        }
        job.idle.fetch_add(1, std::memory_order_relaxed);
        job.wake.wait(lock);
        job.idle.fetch_sub(1, std::memory_order_relaxed);
    }
}

// Walks the folder open at `fd` (taken over and closed), whose path is `path` (as bytes; only read when the
// reader wants paths) and whose reader's number is `id`. Returns whether every folder was read whole.
template <class Reader> bool walk(Reader& reader, int fd, std::string path, std::uint32_t id, std::stop_token stop)
{
    auto job = std::make_shared<Job<Reader>>(reader, std::move(stop));
    job->active = 1; // the calling thread, inside the root
    walkFolder(job, SharedFolder{fd, id, std::move(path)});
    {
        const std::lock_guard lock(job->mutex);
        --job->active;
    }
    drainQueue(job);
    return job->complete.load() && !job->stop.stop_requested();
}

} // namespace Platform::TreeWalk
