#include "Platform/FolderSize.h"
#include "Platform/WalkPool.h"

#include "Platform/OpenFolder.h"

#include "Platform/FileSystem.h"
#include "Platform/SystemRoot.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QFile>

namespace Platform {

namespace {

// Entries a walk sees on its own before it asks the pool for help: below this, thread hand-offs cost more
// than they save, and the many small measurements of a scan stay on their own threads.
constexpr long kParallelThreshold = 4000;

// A fixed set of threads that only ever run walk tasks. A task never waits for another task, so the pool
// cannot deadlock whatever the number of concurrent walks.
class WalkPool final
{
public:
    static WalkPool& shared()
    {
        static WalkPool pool;
        return pool;
    }

    int size() const { return int(m_threads.size()); }

    void submit(std::function<void()> task)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_tasks.push_back(std::move(task));
        }
        m_wake.notify_one();
    }

    ~WalkPool()
    {
        for (std::jthread& thread : m_threads)
            thread.request_stop();
        m_wake.notify_all();
    }

private:
    WalkPool()
    {
        const unsigned count = std::max(2u, std::thread::hardware_concurrency()) - 1;
        for (unsigned i = 0; i < count; ++i)
            m_threads.emplace_back([this](std::stop_token stop) { run(stop); });
    }

    void run(const std::stop_token& stop)
    {
        while (true) {
            std::function<void()> task;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, stop, [this] { return !m_tasks.empty(); });
                if (stop.stop_requested())
                    return;
                task = std::move(m_tasks.front());
                m_tasks.pop_front();
            }
            task();
        }
    }

    std::mutex m_mutex;
    std::condition_variable_any m_wake;
    std::deque<std::function<void()>> m_tasks;
    std::vector<std::jthread> m_threads; // last: stopped and joined before the queue goes
};

// Folders one walker keeps open at once, its starting folder included; the others are closed and reopened
// through ".." when the walk comes back to them, so any depth fits in any descriptor limit.
constexpr size_t kOpenPerWalker = 8;
// Open folders waiting in the shared queue at most; past it a walker goes down on its own.
constexpr size_t kQueuedFolders = 16;

// One measurement, shared by the calling thread and the pool threads that help it.
struct Job {
    std::stop_token stop;
    std::atomic<qint64>* live = nullptr;
    CountedOnce* once = nullptr;
    std::atomic<qint64> total{0};
    std::atomic<long> seen{0};
    std::atomic<int> idle{0};
    std::atomic<bool> parallel{false};
    std::atomic<bool> complete{true};

    std::mutex mutex;
    std::condition_variable wake;
    std::deque<int> queue; // folders waiting for a walker, as open descriptors
    int active = 0;        // walkers inside a folder tree
    bool done = false;
};

void add(Job& job, qint64 bytes)
{
    if (bytes == 0)
        return;
    job.total.fetch_add(bytes, std::memory_order_relaxed);
    if (job.live)
        job.live->fetch_add(bytes, std::memory_order_relaxed);
}

void startHelpers(const std::shared_ptr<Job>& job);

// Hands an open folder to an idle walker; false when nobody waits or the queue is full.
bool share(Job& job, int fd)
{
    if (!job.parallel.load(std::memory_order_relaxed) || job.idle.load(std::memory_order_relaxed) == 0)
        return false;
    {
        const std::lock_guard lock(job.mutex);
        if (job.queue.size() >= kQueuedFolders)
            return false;
        job.queue.push_back(fd);
    }
    job.wake.notify_one();
    return true;
}

// A folder on a walker's stack: its files are added when it is read, its subfolders wait here by name.
struct Frame {
    int fd = -1; // -1 while closed to keep descriptors bounded
    dev_t device = 0;
    ino_t inode = 0;
    std::vector<std::string> subfolders;
    size_t next = 0;
};

// Reads the folder open at `fd`: adds its files and lists its subfolders. False when stopped.
bool readFolder(const std::shared_ptr<Job>& jobPtr, Frame& frame)
{
    Job& job = *jobPtr;
    struct stat self {
    };
    if (::fstat(frame.fd, &self) == 0) {
        frame.device = self.st_dev;
        frame.inode = self.st_ino;
    }
    qint64 sum = 0;
    long entries = 0;
    bool stopped = false;
    const int error = readFolderNames(frame.fd, [&](const char* name, unsigned char type) {
        if (job.stop.stop_requested()) {
            stopped = true;
            return false;
        }
        ++entries;
        if (type == DT_REG || type == DT_UNKNOWN) {
            struct stat st {
            };
            if (::fstatat(frame.fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                return true;
            if (S_ISREG(st.st_mode)) {
                if (st.st_nlink <= 1 || !job.once ||
                    job.once->firstTime((quint64(major(st.st_dev)) << 32) | minor(st.st_dev), st.st_ino))
                    sum += qint64(st.st_blocks) * 512;
                return true;
            }
            if (!S_ISDIR(st.st_mode))
                return true;
            type = DT_DIR;
        }
        if (type == DT_DIR)
            frame.subfolders.emplace_back(name); // links, devices, sockets: nothing of their own, never followed
        return true;
    });
    if (error != 0)
        job.complete.store(false, std::memory_order_relaxed);
    add(job, sum);
    const long seen = job.seen.fetch_add(entries, std::memory_order_relaxed) + entries;
    if (seen >= kParallelThreshold && !job.parallel.exchange(true))
        startHelpers(jobPtr);
    return !stopped;
}

// Walks the folder open at `fd` (taken over and closed) and everything below it that is not shared, with
// an explicit stack so that the depth of a tree costs memory, not thread stack.
void walkFolder(const std::shared_ptr<Job>& jobPtr, int fd)
{
    Job& job = *jobPtr;
    std::vector<Frame> stack;
    size_t openCount = 0;
    size_t firstOpen = 1; // frames above this one (the starting folder excepted) are closed
    const auto push = [&](int folderFd) {
        stack.emplace_back();
        stack.back().fd = folderFd;
        const bool read = readFolder(jobPtr, stack.back());
        if (++openCount > kOpenPerWalker) {
            while (stack[firstOpen].fd < 0)
                ++firstOpen;
            ::close(stack[firstOpen].fd);
            stack[firstOpen].fd = -1;
            --openCount;
        }
        return read;
    };
    const auto pop = [&] {
        Frame& done = stack.back();
        if (stack.size() > 1) {
            Frame& parent = stack[stack.size() - 2];
            // Reopened even when it has nothing left to open: it is the way back to the folders above it.
            if (parent.fd < 0) {
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
    bool running = push(fd);
    while (running && !stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.subfolders.size()) {
            pop();
            continue;
        }
        if (job.stop.stop_requested())
            break;
        const std::string& name = top.subfolders[top.next++];
        const int childFd = openFolderForReading(top.fd, name.c_str());
        if (childFd < 0) {
            if (lostPart(errno))
                job.complete.store(false, std::memory_order_relaxed);
            continue;
        }
        if (share(job, childFd))
            continue;
        running = push(childFd);
    }
    for (Frame& frame : stack) {
        if (frame.fd >= 0)
            ::close(frame.fd);
    }
}

// Takes shared folders until the whole tree is done. After a stop no new folder is taken, but the call
// still waits for the walkers inside the tree: they write to the caller's counter until they leave.
void drainQueue(const std::shared_ptr<Job>& jobPtr)
{
    Job& job = *jobPtr;
    std::unique_lock lock(job.mutex);
    while (!job.done) {
        if (job.stop.stop_requested()) {
            for (const int fd : job.queue)
                ::close(fd);
            job.queue.clear();
        }
        if (!job.queue.empty()) {
            const int fd = job.queue.front();
            job.queue.pop_front();
            ++job.active;
            lock.unlock();
            walkFolder(jobPtr, fd);
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

void startHelpers(const std::shared_ptr<Job>& job)
{
    WalkPool& pool = WalkPool::shared();
    for (int i = 0; i < pool.size(); ++i)
        pool.submit([job] { drainQueue(job); });
}

} // namespace

namespace {

// Measures the folder open at `fd` (taken over and closed).
qint64 measureOpenFolder(int fd, std::stop_token stop, std::atomic<qint64>* live, bool* complete,
                         CountedOnce* once = nullptr)
{
    auto job = std::make_shared<Job>();
    job->stop = stop;
    job->live = live;
    job->once = once;
    job->active = 1; // the calling thread, inside the root
    walkFolder(job, fd);
    {
        const std::lock_guard lock(job->mutex);
        --job->active;
    }
    drainQueue(job);
    if (complete)
        *complete = job->complete.load() && !stop.stop_requested();
    return job->total.load();
}

} // namespace

bool CountedOnce::firstTime(quint64 device, quint64 inode)
{
    const std::lock_guard lock(m_mutex);
    return m_met.emplace(device, inode).second;
}

qint64 treeAllocatedBytes(const QString& folder, std::stop_token stop, std::atomic<qint64>* live, bool* complete,
                          CountedOnce* once)
{
    const int fd = openFolderForReading(AT_FDCWD, QFile::encodeName(folder).constData());
    if (fd < 0) {
        if (complete)
            *complete = !lostPart(errno);
        return 0;
    }
    return measureOpenFolder(fd, std::move(stop), live, complete, once);
}

qint64 entryAllocatedBytes(const QString& path, std::stop_token stop)
{
    // Opened as a folder first: a folder, by far the most measured, then costs one open, and its own look is
    // the descriptor's.
    const QByteArray name = QFile::encodeName(absolutePath(path));
    const int fd = openFolderForReading(AT_FDCWD, name.constData());
    if (fd >= 0)
        return measureOpenFolder(fd, std::move(stop), nullptr, nullptr);
    if (errno != ENOTDIR)
        return 0; // nothing there, a link (ELOOP), or a folder that cannot be read
    struct stat st {
    };
    if (::fstatat(AT_FDCWD, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
        return 0;
    return qint64(st.st_blocks) * 512;
}

int walkPoolSize()
{
    return WalkPool::shared().size();
}

void runOnWalkPool(std::function<void()> task)
{
    WalkPool::shared().submit(std::move(task));
}

} // namespace Platform

// ---- Other work on the same pool -------------------------------------------------------------------------

namespace Platform {

namespace {

// One forEachOnWalkPool() call, shared by the caller and the helpers it asked for. Helpers that start after
// the last index was taken find nothing to do and touch nothing but this record. Indexes are taken without a
// lock: a hundred thousand short calls would otherwise queue on it.
struct IndexedRun {
    std::function<void(std::size_t)> work;
    std::size_t count = 0;
    std::stop_token stop;

    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable idle;
    int running = 0; // helpers inside drain(), under `mutex`

    // Runs indexes until none is left or a stop came.
    void take()
    {
        while (!stop.stop_requested()) {
            const std::size_t index = next.fetch_add(1);
            if (index >= count)
                return;
            work(index);
        }
    }

    // take() on a helper thread, counted so that the caller can wait for it.
    void drain()
    {
        {
            const std::lock_guard lock(mutex);
            ++running;
        }
        // Once the caller has found no index left, or a stop, a helper arriving late takes none either.
        take();
        const std::lock_guard lock(mutex);
        if (--running == 0)
            idle.notify_all();
    }
};

} // namespace

void forEachOnWalkPool(std::size_t count, const std::function<void(std::size_t index)>& work, std::stop_token stop)
{
    if (count == 0)
        return;
    auto run = std::make_shared<IndexedRun>();
    run->work = work;
    run->count = count;
    run->stop = stop;
    if (count > 1) {
        WalkPool& pool = WalkPool::shared();
        const std::size_t helpers = std::min<std::size_t>(count - 1, std::size_t(pool.size()));
        for (std::size_t i = 0; i < helpers; ++i)
            pool.submit([run] { run->drain(); });
    }
    run->take();
    // Nothing is left to take: wait for the calls still running on the pool, which use the caller's data.
    std::unique_lock lock(run->mutex);
    run->idle.wait(lock, [&] { return run->running == 0; });
}

} // namespace Platform
