#include "Platform/FolderSize.h"

#include "Platform/OpenFolder.h"

#include <algorithm>
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

// One measurement, shared by the calling thread and the pool threads that help it.
struct Job {
    std::stop_token stop;
    std::atomic<qint64>* live = nullptr;
    std::atomic<qint64> total{0};
    std::atomic<long> seen{0};
    std::atomic<int> idle{0};
    std::atomic<bool> parallel{false};

    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::string> queue; // folders waiting for a walker, as paths
    int active = 0;                // walkers inside a folder tree
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

// Whether a folder found now should go to the shared queue rather than be walked here.
bool shouldShare(Job& job)
{
    return job.parallel.load(std::memory_order_relaxed) && job.idle.load(std::memory_order_relaxed) > 0;
}

void share(Job& job, std::string path)
{
    {
        const std::lock_guard lock(job.mutex);
        job.queue.push_back(std::move(path));
    }
    job.wake.notify_one();
}

// Walks the folder open at `fd` (taken over and closed) and everything below it that is not shared.
void walkFolder(const std::shared_ptr<Job>& jobPtr, int fd, const std::string& path)
{
    Job& job = *jobPtr;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return;
    }
    const int dirFd = ::dirfd(dir);
    qint64 sum = 0;
    long entries = 0;
    while (dirent* entry = ::readdir(dir)) {
        if (job.stop.stop_requested())
            break;
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        ++entries;
        unsigned char type = entry->d_type;
        struct stat st {
        };
        if (type == DT_REG || type == DT_UNKNOWN) {
            if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            if (S_ISREG(st.st_mode)) {
                sum += qint64(st.st_blocks) * 512;
                continue;
            }
            if (!S_ISDIR(st.st_mode))
                continue;
            type = DT_DIR;
        }
        if (type != DT_DIR)
            continue; // links, devices, sockets: nothing of their own, never followed
        if (shouldShare(job)) {
            share(job, path + '/' + name);
            continue;
        }
        const int childFd = openFolderForReading(dirFd, name);
        if (childFd < 0)
            continue;
        add(job, sum);
        sum = 0;
        walkFolder(jobPtr, childFd, path + '/' + name);
    }
    ::closedir(dir);
    add(job, sum);
    const long seen = job.seen.fetch_add(entries, std::memory_order_relaxed) + entries;
    if (seen >= kParallelThreshold && !job.parallel.exchange(true))
        startHelpers(jobPtr);
}

// Takes shared folders until the whole tree is done. After a stop no new folder is taken, but the call
// still waits for the walkers inside the tree: they write to the caller's counter until they leave.
void drainQueue(const std::shared_ptr<Job>& jobPtr)
{
    Job& job = *jobPtr;
    std::unique_lock lock(job.mutex);
    while (!job.done) {
        if (job.stop.stop_requested())
            job.queue.clear();
        if (!job.queue.empty()) {
            std::string path = std::move(job.queue.front());
            job.queue.pop_front();
            ++job.active;
            lock.unlock();
            const int fd = openFolderForReading(AT_FDCWD, path.c_str());
            if (fd >= 0)
                walkFolder(jobPtr, fd, path);
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

qint64 treeAllocatedBytes(const QString& folder, std::stop_token stop, std::atomic<qint64>* live)
{
    const std::string path = QFile::encodeName(folder).toStdString();
    const int fd = openFolderForReading(AT_FDCWD, path.c_str());
    if (fd < 0)
        return 0;
    auto job = std::make_shared<Job>();
    job->stop = stop;
    job->live = live;
    job->active = 1; // the calling thread, inside the root
    walkFolder(job, fd, path == "/" ? std::string() : path);
    {
        const std::lock_guard lock(job->mutex);
        --job->active;
    }
    drainQueue(job);
    return job->total.load();
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
