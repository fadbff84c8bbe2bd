#include "Platform/Readings.h"

#include "Platform/ProcText.h"
#include "Platform/SystemRoot.h"

#include <algorithm>
#include <limits>

#include <sys/statvfs.h>
#include <unistd.h>

#include <QByteArrayList>
#include <QFile>

using namespace Qt::StringLiterals;

namespace Platform {

namespace {

// A count of units in bytes, held at the largest Int64 rather than wrapping to a negative size.
qint64 bytes(quint64 count, quint64 unit)
{
    quint64 product = 0;
    if (__builtin_mul_overflow(count, unit, &product) || product > quint64(std::numeric_limits<qint64>::max()))
        return std::numeric_limits<qint64>::max();
    return qint64(product);
}

// The files of /proc report a size of 0; readAll() then reads on to the end.
QByteArray procFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// What the Mac's system could purge on demand, where a stand-in tool that keeps such copies records it on the
// demonstration Mac; nothing here otherwise.
std::optional<qint64> purgeableBytes()
{
    QFile file(systemPath(u"/private/var/db/purgeable-bytes"_s));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    bool ok = false;
    const qint64 figure = file.read(64).trimmed().toLongLong(&ok);
    if (!ok || figure < 0)
        return std::nullopt;
    return figure;
}

} // namespace

std::optional<VolumeCapacity> volumeCapacity(const QString& path)
{
    struct statvfs volume = {};
    if (path.isEmpty() || ::statvfs(QFile::encodeName(path).constData(), &volume) != 0)
        return std::nullopt;
    // f_bavail leaves out the blocks kept for root: what the user can still fill.
    const qint64 available = bytes(volume.f_bavail, volume.f_frsize);
    std::optional<qint64> forImportantUsage;
    if (!macPathOf(path).isEmpty()) {
        if (const std::optional<qint64> purgeable = purgeableBytes())
            forImportantUsage = available > std::numeric_limits<qint64>::max() - *purgeable
                                    ? std::numeric_limits<qint64>::max()
                                    : available + *purgeable;
    }
    return VolumeCapacity{bytes(volume.f_blocks, volume.f_frsize), forImportantUsage, available};
}

qint64 physicalMemory()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return bytes(quint64(pages), quint64(pageSize));
}

std::optional<MemoryCounters> memoryCounters()
{
    return ProcText::parseMeminfo(procFile(u"/proc/meminfo"_s));
}

std::optional<ProcessorTicks> processorTicks()
{
    return ProcText::parseStat(procFile(u"/proc/stat"_s));
}

double systemUptime()
{
    return ProcText::parseUptime(procFile(u"/proc/uptime"_s)).value_or(0.0);
}

OperatingSystemVersion operatingSystemVersion()
{
    const QByteArrayList parts = qgetenv("QUORVANE_MACOS_VERSION").trimmed().split('.');
    if (parts.size() > 3)
        return {};
    int numbers[3] = {0, 0, 0};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QByteArray& part = parts.at(i);
        // Digits only: toInt() would also take a sign or spaces.
        const bool digits =
            !part.isEmpty() && std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
        bool ok = false;
        numbers[i] = digits ? part.toInt(&ok, 10) : 0;
        if (!ok)
            return {};
    }
    return {numbers[0], numbers[1], numbers[2]};
}

QString hardwareModel()
{
    const QString model = QString::fromUtf8(qgetenv("QUORVANE_MAC_MODEL"));
    return model.isEmpty() ? u"Mac"_s : model;
}

} // namespace Platform
