#pragma once

#include "Core/Formatters.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <atomic>
#include <optional>
#include <stop_token>

// Stateless file helpers shared by every scanner, the journal and the tool screens.
namespace FileUtils {

// The running total of a walk, shared by the walking thread and a caller that waits for it with a
// time-out. Reads and additions are safe from any thread.
class Counter final
{
public:
    void add(qint64 bytes) { m_total.fetch_add(bytes, std::memory_order_relaxed); }
    qint64 total() const { return m_total.load(std::memory_order_relaxed); }
    std::atomic<qint64>& cell() { return m_total; }

private:
    std::atomic<qint64> m_total{0};
};

struct SizeResult {
    qint64 bytes = 0;
    bool timedOut = false; // the wait ran out: `bytes` is what was counted by then, a lower bound
    friend bool operator==(const SizeResult&, const SizeResult&) = default;
};

struct SplitByteCount {
    QString value;
    QString unit;
    friend bool operator==(const SplitByteCount&, const SplitByteCount&) = default;
};

// The user's Library folder, with each component appended: libraryURL({"Caches"}) is ~/Library/Caches.
QString libraryURL(const QStringList& components = {});

// The content modification date of the entry itself (a link is not followed); nothing when unreadable.
std::optional<QDateTime> modificationDate(const QString& path);

// The on-disk size of a file or folder tree. A missing or unreadable path and a symbolic link measure
// (0, false); a file its allocated size; a folder the allocated sizes of every regular file below it,
// hard links counted each time. With a time-out, the caller stops waiting after that many seconds and
// gets what was counted so far with `timedOut` set; the abandoned walk then stops early. Without one the
// walk runs on the calling thread and stops, returning its partial sum, when `stop` is triggered.
SizeResult allocatedSize(const QString& path, std::optional<double> timeout = std::nullopt, std::stop_token stop = {});

// The walk behind allocatedSize(): the sum below `path`, each folder's files also added to `counter` as
// the walk goes, when one is given.
qint64 walkAllocatedSize(const QString& path, Counter* counter = nullptr, std::stop_token stop = {});

// The path as the user reads it (Platform::displayPath): the home folder shown as "~", only at a path boundary
// (with home /Users/al, /Users/al/Documents reads ~/Documents, /Users/al reads ~, /Users/al2/x stays as it is),
// and a place under the system root as its Mac location.
QString abbreviatedPath(const QString& path);

// The same against a home folder read once by a caller that abbreviates many paths.
QString abbreviatedPath(const QString& path, const QString& homeFolder);

// An item and what became of it, as the reports list them: "~/Library/Caches/x — reason".
QString itemLine(const QString& path, const QString& reason);

// The shared byte-count and relative-date formatters, made once per process.
const ByteCountFormatter& byteFormatter();
const RelativeDateFormatter& relativeFormatter();

// A byte count split into figure and unit at the last ordinary space ("1,5 Mo" → "1,5" and "Mo").
SplitByteCount splitByteCount(qint64 bytes);

// The French relative text of `date` against now; nothing for no date.
std::optional<QString> relativeDate(const std::optional<QDateTime>& date);

// `total` + `bytes`, held at the 64-bit limits rather than wrapping: sums of item sizes that no disk could hold
// still read as a size.
qint64 addBytes(qint64 total, qint64 bytes);

} // namespace FileUtils
