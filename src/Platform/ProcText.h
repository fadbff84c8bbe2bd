#pragma once

#include "Platform/Readings.h"

#include <QByteArray>

#include <optional>

// The texts of Linux's /proc files turned into the readings' records: pure functions, so that each one is
// tested with canned text. Each returns nothing for a text it cannot read fully; a half-read figure would
// show as a plausible but wrong one.
namespace Platform::ProcText {

// /proc/meminfo: active = "Active", wired = "Unevictable" + "SUnreclaim" + "KernelStack" + "PageTables",
// compressed = "Zswap" (0 when absent, on kernels without it). Values are in kB. Nothing when one of the
// other five lines is missing or a value is not a whole number of a size that fits in bytes. A sum too
// large for an Int64 is held at its largest value.
std::optional<MemoryCounters> parseMeminfo(const QByteArray& text);

// /proc/stat: the line "cpu" (all processors), whose columns are user, nice, system, idle, iowait, irq,
// softirq, steal, guest and guest_nice. Time waiting for input counts as idle, interrupts as system; steal
// is another machine's time, and the guest columns are already inside user and nice. Old kernels write only
// the first four columns, the missing ones count 0. Nothing without a "cpu" line of at least four numbers.
std::optional<ProcessorTicks> parseStat(const QByteArray& text);

// /proc/uptime: its first number, seconds since boot. Nothing when it is not a finite number of 0 or more.
std::optional<double> parseUptime(const QByteArray& text);

} // namespace Platform::ProcText
