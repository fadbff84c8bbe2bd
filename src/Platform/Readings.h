#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The machine's own figures: disk capacity, memory, processor ticks, uptime, the system version and the
// model. On a Mac they come from the host's statistics and the volume's resource values; here from what
// Linux offers (statvfs, sysconf, /proc), mapped to the same meanings. Every call reads afresh and keeps
// no state; none of them fails visibly.
namespace Platform {

// The capacities of one volume, in bytes. A field is absent where the system does not report it: Linux
// has no space that the system purges on demand, so `availableForImportantUsage` is absent here, except on a
// demonstration Mac whose snapshot stand-in records what its copies take ("private/var/db/purgeable-bytes"):
// a path under the system root then reports the available space plus that figure.
struct VolumeCapacity {
    std::optional<qint64> total;
    std::optional<qint64> availableForImportantUsage;
    std::optional<qint64> available;
    friend bool operator==(const VolumeCapacity&, const VolumeCapacity&) = default;
};

// The capacities of the volume that holds `path`; nothing when it cannot be queried (a missing path).
std::optional<VolumeCapacity> volumeCapacity(const QString& path);

// Bytes of physical memory; 0 when the system does not say.
qint64 physicalMemory();

// Memory in use, in bytes, by the three kinds the host counts: pages in active use, pages the kernel
// holds and can never release (wired), and the compressed store.
struct MemoryCounters {
    qint64 active = 0;
    qint64 wired = 0;
    qint64 compressed = 0;
    friend bool operator==(const MemoryCounters&, const MemoryCounters&) = default;
};

// Nothing when the host's memory statistics cannot be read.
std::optional<MemoryCounters> memoryCounters();

// The host's cumulative processor ticks since boot, all processors together, in the host's order.
struct ProcessorTicks {
    double user = 0;
    double system = 0;
    double idle = 0;
    double nice = 0;
    friend bool operator==(const ProcessorTicks&, const ProcessorTicks&) = default;
};

// Nothing when the host refuses the query.
std::optional<ProcessorTicks> processorTicks();

// Seconds since the system started; 0 when unknown.
double systemUptime();

struct OperatingSystemVersion {
    int major = 14;
    int minor = 0;
    int patch = 0;
    friend bool operator==(const OperatingSystemVersion&, const OperatingSystemVersion&) = default;
};

// The version of the Mac's system. This machine is no Mac: the environment variable QUORVANE_MACOS_VERSION
// ("14.2.1", "15.1", "15") stands in for it, and a missing or malformed value reads as 14.0.0. Missing
// minor and patch numbers are 0.
OperatingSystemVersion operatingSystemVersion();

// The Mac's hardware model identifier ("Mac14,2"). The environment variable QUORVANE_MAC_MODEL stands in
// for it, decoded as UTF-8 with invalid sequences replaced; "Mac" when it is unset or empty.
QString hardwareModel();

} // namespace Platform
