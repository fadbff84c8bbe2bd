#include "Platform/FolderSize.h"
#include "Platform/WalkPool.h"

#include "Platform/OpenFolder.h"
#include "Platform/TreeWalk.h"

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

// What the measure takes from one folder: its files' sizes, added as soon as it is read.
struct SizeReader {
    static constexpr bool kPaths = false;

    std::stop_token stop;
    std::atomic<qint64>* live = nullptr;
    CountedOnce* once = nullptr;
    std::atomic<qint64> total{0};

    int read(int fd, std::string_view, std::uint32_t, std::vector<TreeWalk::Subfolder>& subfolders, long& entries)
    {
        qint64 sum = 0;
        bool stopped = false;
        const int error = readFolderNames(fd, [&](const char* name, unsigned char type) {
            if (stop.stop_requested()) {
                stopped = true;
                return false;
            }
            ++entries;
            if (type == DT_REG || type == DT_UNKNOWN) {
                struct stat st {
                };
                if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                    return true;
                if (S_ISREG(st.st_mode)) {
                    if (st.st_nlink <= 1 || !once ||
                        once->firstTime((quint64(major(st.st_dev)) << 32) | minor(st.st_dev), st.st_ino))
                        sum += qint64(st.st_blocks) * 512;
                    return true;
                }
                if (!S_ISDIR(st.st_mode))
                    return true;
                type = DT_DIR;
            }
            if (type == DT_DIR)
                subfolders.push_back({name, 0}); // links, devices, sockets: nothing of their own, never followed
            return true;
        });
        if (sum != 0) {
            total.fetch_add(sum, std::memory_order_relaxed);
            if (live)
                live->fetch_add(sum, std::memory_order_relaxed);
        }
        return stopped ? ECANCELED : error;
    }
};

// Measures the folder open at `fd` (taken over and closed).
qint64 measureOpenFolder(int fd, std::stop_token stop, std::atomic<qint64>* live, bool* complete,
                         CountedOnce* once = nullptr)
{
    SizeReader reader;
    reader.stop = stop;
    reader.live = live;
    reader.once = once;
    const bool whole = TreeWalk::walk(reader, fd, {}, 0, stop);
    if (complete)
        *complete = whole;
    return reader.total.load();
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
