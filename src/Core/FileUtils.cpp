#include "Core/FileUtils.h"

#include "Core/BackgroundJob.h"
#include "Platform/FileSystem.h"
#include "Platform/FolderSize.h"
#include "Platform/SystemRoot.h"

#include <chrono>
#include <condition_variable>
#include <limits>
#include <memory>
#include <mutex>

#include <QDir>
#include <QThreadPool>

using namespace Qt::StringLiterals;

namespace FileUtils {

QString libraryURL(const QStringList& components)
{
    QString path = Platform::homeFolder();
    if (!path.endsWith(u'/'))
        path += u'/';
    path += u"Library"_s;
    for (const QString& component : components)
        path += u'/' + component;
    return QDir::cleanPath(path);
}

std::optional<QDateTime> modificationDate(const QString& path)
{
    const std::optional<Platform::FileInfo> info = Platform::fileInfo(path);
    if (!info || !info->modified.isValid())
        return std::nullopt;
    return info->modified;
}

qint64 walkAllocatedSize(const QString& path, Counter* counter, std::stop_token stop)
{
    return Platform::treeAllocatedBytes(path, std::move(stop), counter ? &counter->cell() : nullptr);
}

namespace {

// Shared by a timed measurement's waiting caller and its walking thread, which may outlive the wait.
struct TimedWalk {
    Counter counter;
    std::stop_source stop;
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
};

} // namespace

SizeResult allocatedSize(const QString& path, std::optional<double> timeout, std::stop_token stop)
{
    if (!timeout)
        return {Platform::entryAllocatedBytes(path, std::move(stop)), false};
    const std::optional<Platform::FileInfo> info = Platform::fileInfo(path);
    if (!info || info->isSymlink())
        return {};
    if (info->isRegular())
        return {info->allocatedSize, false};

    // The walk runs on the jobs' pool, which may be the very pool the caller runs on: while the caller waits,
    // its thread is handed back to the pool so that the walk always finds one.
    auto walk = std::make_shared<TimedWalk>();
    QThreadPool& pool = Background::pool();
    pool.start([walk, folder = info->path] {
        walkAllocatedSize(folder, &walk->counter, walk->stop.get_token());
        {
            const std::lock_guard lock(walk->mutex);
            walk->done = true;
        }
        walk->finished.notify_all();
    });

    bool inTime = false;
    bool stopped = false;
    pool.releaseThread();
    {
        // The caller's stop ends the wait too; the lock makes the wake-up reach the waiter.
        const std::stop_callback onStop(stop, [&walk] {
            const std::lock_guard lock(walk->mutex);
            walk->finished.notify_all();
        });
        std::unique_lock lock(walk->mutex);
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                   std::chrono::duration<double>(std::max(0.0, *timeout)));
        inTime = walk->finished.wait_until(lock, deadline, [&] { return walk->done || stop.stop_requested(); });
        stopped = !walk->done && stop.stop_requested();
    }
    pool.reserveThread();
    const qint64 counted = walk->counter.total();
    if (!inTime || stopped)
        walk->stop.request_stop(); // nobody reads the rest: let the walk end early
    return {counted, !inTime};
}

QString abbreviatedPath(const QString& path)
{
    return Platform::displayPath(path);
}

QString itemLine(const QString& path, const QString& reason)
{
    return abbreviatedPath(path) + u" — "_s + reason;
}

QString abbreviatedPath(const QString& path, const QString& homeFolder)
{
    return Platform::displayPath(path, homeFolder);
}

const ByteCountFormatter& byteFormatter()
{
    static const ByteCountFormatter formatter;
    return formatter;
}

const RelativeDateFormatter& relativeFormatter()
{
    static const RelativeDateFormatter formatter;
    return formatter;
}

SplitByteCount splitByteCount(qint64 bytes)
{
    const QString text = bytes <= 0 ? u"0 Ko"_s : byteFormatter().string(bytes);
    const qsizetype space = text.lastIndexOf(u' ');
    if (space < 0)
        return {text, QString()};
    return {text.left(space), text.mid(space + 1)};
}

std::optional<QString> relativeDate(const std::optional<QDateTime>& date)
{
    if (!date)
        return std::nullopt;
    return relativeFormatter().localizedString(*date, QDateTime::currentDateTimeUtc());
}

qint64 addBytes(qint64 total, qint64 bytes)
{
    qint64 sum = 0;
    if (!__builtin_add_overflow(total, bytes, &sum))
        return sum;
    return bytes > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
}

} // namespace FileUtils
