#include "Core/SystemInfo.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace SystemInfo {

Disk disk(const QString& url)
{
    return diskFrom(Platform::volumeCapacity(url));
}

Memory memory()
{
    return memoryFrom(Platform::physicalMemory(), Platform::memoryCounters());
}

std::optional<CPUTicks> cpuTicks()
{
    return Platform::processorTicks();
}

QString osVersionString()
{
    const Platform::OperatingSystemVersion version = Platform::operatingSystemVersion();
    return u"macOS %1.%2.%3"_s.arg(version.major).arg(version.minor).arg(version.patch);
}

QString hardwareModel()
{
    return Platform::hardwareModel();
}

Disk diskFrom(const std::optional<Platform::VolumeCapacity>& capacity)
{
    if (!capacity)
        return {};
    const qint64 total = capacity->total.value_or(0);
    const qint64 free = capacity->availableForImportantUsage.value_or(capacity->available.value_or(0));
    return {total, free};
}

Memory memoryFrom(qint64 total, const std::optional<Platform::MemoryCounters>& counters)
{
    if (!counters)
        return {total, 0, 0.0};
    const qint64 used = std::min(counters->active + counters->wired + counters->compressed, total);
    double pressure = 0.0;
    if (total > 0)
        pressure = std::min(double(counters->wired + counters->compressed) / double(total), 1.0);
    return {total, used, pressure};
}

double cpuLoad(const std::optional<CPUTicks>& previous, const std::optional<CPUTicks>& current)
{
    if (!previous || !current)
        return 0.0;
    const double user = current->user - previous->user;
    const double system = current->system - previous->system;
    const double idle = current->idle - previous->idle;
    const double nice = current->nice - previous->nice;
    const double total = user + system + idle + nice;
    if (!(total > 0))
        return 0.0;
    const double load = (user + system + nice) / total;
    // Written so that a load that is not a number also reads as 0.
    if (!(load > 0))
        return 0.0;
    return std::min(load, 1.0);
}

} // namespace SystemInfo
