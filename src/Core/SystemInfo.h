#pragma once

#include "Platform/Readings.h"

#include <QString>
#include <QtGlobal>

#include <optional>

// The figures about the Mac that the sidebar, the smart scan, the shortcuts and the monitor show. Every
// reading is synchronous, keeps no state and never fails visibly: what cannot be read reads as zero, as
// nothing (processor ticks) or as a default text.
namespace SystemInfo {

// The host's cumulative processor ticks (user, system, idle, nice).
using CPUTicks = Platform::ProcessorTicks;

struct Disk {
    qint64 total = 0;
    qint64 free = 0;
    friend bool operator==(const Disk&, const Disk&) = default;
};

struct Memory {
    qint64 total = 0;
    qint64 used = 0;     // never more than total
    double pressure = 0; // 0 to 1
    friend bool operator==(const Memory&, const Memory&) = default;
};

// The capacity and the free space of the volume holding `url`, a path on this machine: the startup disk is
// the volume of Platform::systemPath("/"). (0, 0) when the volume cannot be queried.
Disk disk(const QString& url);

// The physical memory, what of it is in use and the memory pressure. A refused statistics query gives the
// true physical memory with zero use and pressure.
Memory memory();

// Nothing when the host refuses the query.
std::optional<CPUTicks> cpuTicks();

// "macOS 14.2.1": major, minor and patch, the patch written also when it is 0.
QString osVersionString();

// The hardware model identifier ("Mac14,2"), "Mac" when unavailable.
QString hardwareModel();

// The free space of a volume is what it can make available for important usage (space the system purges
// on demand counted in), else its plain available space; a missing figure is 0, a failed query (0, 0).
Disk diskFrom(const std::optional<Platform::VolumeCapacity>& capacity);

// used = active + wired + compressed, held at `total`; pressure = (wired + compressed) / total, held at 1,
// and 0 when `total` is 0 (active pages are no pressure: the system can reclaim them). Without counters
// (a refused query) nothing is in use.
Memory memoryFrom(qint64 total, const std::optional<Platform::MemoryCounters>& counters);

// The processor load between two tick readings: the share of non-idle ticks among all the ticks elapsed,
// from 0 to 1. 0 without a previous reading, for a failed current one, and when no tick elapsed or the
// counters went backwards (a restart, or counters that wrapped).
double cpuLoad(const std::optional<CPUTicks>& previous, const std::optional<CPUTicks>& current);

} // namespace SystemInfo
