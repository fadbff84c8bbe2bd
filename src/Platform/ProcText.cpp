#include "Platform/ProcText.h"

#include <QByteArrayList>

#include <array>
#include <cmath>
#include <initializer_list>
#include <limits>

namespace Platform::ProcText {

namespace {

// Digits only: the conversions of QByteArray also take signs and surrounding spaces.
std::optional<quint64> wholeNumber(const QByteArray& token)
{
    if (token.isEmpty())
        return std::nullopt;
    for (const char c : token) {
        if (c < '0' || c > '9')
            return std::nullopt;
    }
    bool ok = false;
    const quint64 value = token.toULongLong(&ok, 10);
    return ok ? std::optional<quint64>(value) : std::nullopt;
}

// "  1512680 kB" → 1512680 × 1024; nothing for another unit or a count too large for bytes in an Int64.
std::optional<qint64> kilobytes(const QByteArray& field)
{
    const QByteArrayList parts = field.simplified().split(' ');
    if (parts.size() != 2 || parts.at(1) != "kB")
        return std::nullopt;
    const std::optional<quint64> count = wholeNumber(parts.at(0));
    constexpr quint64 largest = quint64(std::numeric_limits<qint64>::max()) / 1024;
    if (!count || *count > largest)
        return std::nullopt;
    return qint64(*count) * 1024;
}

// Held at the largest Int64: four fields each just below the limit would otherwise wrap to a negative size.
qint64 saturatingSum(std::initializer_list<qint64> values)
{
    qint64 total = 0;
    for (const qint64 value : values) {
        if (__builtin_add_overflow(total, value, &total))
            return std::numeric_limits<qint64>::max();
    }
    return total;
}

} // namespace

std::optional<MemoryCounters> parseMeminfo(const QByteArray& text)
{
    // The first line of each name counts; "Active(anon)" is another name than "Active".
    enum Field { Active, Unevictable, SUnreclaim, KernelStack, PageTables, Zswap, FieldCount };
    static constexpr std::array<const char*, FieldCount> names = {"Active",      "Unevictable", "SUnreclaim",
                                                                  "KernelStack", "PageTables",  "Zswap"};
    std::array<std::optional<qint64>, FieldCount> values;
    for (const QByteArray& line : text.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon);
        for (int field = 0; field < FieldCount; ++field) {
            if (name != names[field] || values[field])
                continue;
            values[field] = kilobytes(line.mid(colon + 1));
            if (!values[field])
                return std::nullopt;
        }
    }
    for (int field = 0; field < Zswap; ++field) {
        if (!values[field])
            return std::nullopt;
    }
    MemoryCounters counters;
    counters.active = *values[Active];
    counters.wired =
        saturatingSum({*values[Unevictable], *values[SUnreclaim], *values[KernelStack], *values[PageTables]});
    counters.compressed = values[Zswap].value_or(0);
    return counters;
}

std::optional<ProcessorTicks> parseStat(const QByteArray& text)
{
    for (const QByteArray& line : text.split('\n')) {
        const QByteArrayList columns = line.simplified().split(' ');
        if (columns.first() != "cpu")
            continue;
        // user, nice, system, idle, iowait, irq, softirq; the rest is read only to refuse a damaged line.
        std::array<double, 7> ticks{};
        if (columns.size() < 5)
            return std::nullopt;
        for (qsizetype i = 1; i < columns.size(); ++i) {
            const std::optional<quint64> value = wholeNumber(columns.at(i));
            if (!value)
                return std::nullopt;
            if (size_t(i - 1) < ticks.size())
                ticks[size_t(i - 1)] = double(*value);
        }
        const auto [user, nice, system, idle, iowait, irq, softirq] = ticks;
        return ProcessorTicks{user, system + irq + softirq, idle + iowait, nice};
    }
    return std::nullopt;
}

std::optional<double> parseUptime(const QByteArray& text)
{
    const QByteArray first = text.simplified().split(' ').first();
    bool ok = false;
    const double seconds = first.toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0)
        return std::nullopt;
    return seconds;
}

} // namespace Platform::ProcText
