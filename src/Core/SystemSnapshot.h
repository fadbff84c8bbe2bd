#pragma once

#include <QtGlobal>

// One reading of the machine, as the app-wide state keeps and publishes it. Every figure is 0 until the
// first reading.
struct SystemSnapshot {
    qint64 diskTotal = 0;      // bytes, the startup volume's capacity
    qint64 diskFree = 0;       // bytes available on it
    qint64 memoryTotal = 0;    // bytes of physical memory
    qint64 memoryUsed = 0;     // bytes in use, never more than memoryTotal
    double memoryPressure = 0; // 0 to 1
    double cpuLoad = 0;        // 0 to 1, between this reading and the one before
    double uptime = 0;         // seconds since the system started
    friend bool operator==(const SystemSnapshot&, const SystemSnapshot&) = default;
};
