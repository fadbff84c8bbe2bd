#include "Core/Preferences.h"

#include "Core/LegacyImport.h"
#include "Platform/UserDefaults.h"

using namespace Qt::StringLiterals;

namespace {

struct IntervalRow {
    Preferences::Interval interval;
    const char16_t* raw;
    qint64 seconds;
};

constexpr IntervalRow kIntervals[] = {
    {Preferences::Interval::daily, u"daily", 86400},
    {Preferences::Interval::weekly, u"weekly", 604800},
    {Preferences::Interval::monthly, u"monthly", 2592000},
};

const IntervalRow& rowOf(Preferences::Interval interval)
{
    for (const IntervalRow& row : kIntervals) {
        if (row.interval == interval)
            return row;
    }
    return kIntervals[1];
}

const QString kShowsMenuBarItem = u"showsMenuBarItem"_s;
const QString kNotifiesOnDiskPressure = u"notifiesOnDiskPressure"_s;
const QString kDiskThreshold = u"diskThreshold"_s;
const QString kNotifiesAfterScheduledRun = u"notifiesAfterScheduledRun"_s;
const QString kScheduleEnabled = u"scheduleEnabled"_s;
const QString kScheduleInterval = u"scheduleInterval"_s;
const QString kScheduleModule = u"scheduleModule"_s;
const QString kScheduleCleans = u"scheduleCleans"_s;
const QString kLastScheduledRun = u"lastScheduledRun"_s;
const QString kTakesSnapshotBeforeCleaning = u"takesSnapshotBeforeCleaning"_s;

// A stored number converts to a flag only when it is exactly 0 or 1, as a property-list number would.
void readFlag(const Platform::UserDefaults& defaults, const QString& key, bool& stored)
{
    const std::optional<QVariant> value = defaults.value(key);
    if (!value)
        return;
    switch (value->typeId()) {
    case QMetaType::Bool:
        stored = value->toBool();
        break;
    case QMetaType::LongLong:
    case QMetaType::Double:
        if (value->toDouble() == 0.0 || value->toDouble() == 1.0)
            stored = value->toDouble() == 1.0;
        break;
    default:
        break;
    }
}

void readNumber(const Platform::UserDefaults& defaults, const QString& key, double& stored)
{
    const std::optional<QVariant> value = defaults.value(key);
    if (value && (value->typeId() == QMetaType::Double || value->typeId() == QMetaType::LongLong))
        stored = value->toDouble();
}

std::optional<QDateTime> validDate(const std::optional<QDateTime>& date)
{
    if (!date || !date->isValid())
        return std::nullopt;
    return date->toUTC();
}

} // namespace

const std::array<Preferences::Interval, 3>& allIntervals()
{
    static constexpr std::array<Preferences::Interval, 3> intervals{
        Preferences::Interval::daily, Preferences::Interval::weekly, Preferences::Interval::monthly};
    return intervals;
}

QString toRaw(Preferences::Interval interval)
{
    return QString::fromUtf16(rowOf(interval).raw);
}

template <> std::optional<Preferences::Interval> fromRaw<Preferences::Interval>(QStringView raw)
{
    for (const IntervalRow& row : kIntervals) {
        if (raw == QStringView(row.raw))
            return row.interval;
    }
    return std::nullopt;
}

qint64 seconds(Preferences::Interval interval)
{
    return rowOf(interval).seconds;
}

Preferences::Preferences(std::shared_ptr<Platform::UserDefaults> defaults, QObject* parent)
    : QObject(parent), m_defaults(std::move(defaults))
{
    // The earlier product's settings are copied in before anything is read, so they count from the start.
    LegacyImport::importOnce();

    const Platform::UserDefaults& store = *m_defaults;
    readFlag(store, kShowsMenuBarItem, m_storedShowsMenuBarItem);
    readFlag(store, kNotifiesOnDiskPressure, m_storedNotifiesOnDiskPressure);
    readNumber(store, kDiskThreshold, m_storedDiskThreshold);
    readFlag(store, kNotifiesAfterScheduledRun, m_storedNotifiesAfterScheduledRun);
    readFlag(store, kScheduleEnabled, m_storedScheduleEnabled);
    if (const std::optional<QString> raw = store.string(kScheduleInterval))
        m_storedScheduleInterval = fromRaw<Interval>(*raw).value_or(Interval::weekly);
    if (const std::optional<QString> raw = store.string(kScheduleModule))
        m_storedScheduleModule = fromRaw<ModuleID>(*raw).value_or(ModuleID::systemJunk);
    readFlag(store, kScheduleCleans, m_storedScheduleCleans);
    if (const std::optional<QVariant> value = store.value(kLastScheduledRun);
        value && value->typeId() == QMetaType::QDateTime)
        m_storedLastScheduledRun = validDate(value->toDateTime());
    readFlag(store, kTakesSnapshotBeforeCleaning, m_storedTakesSnapshotBeforeCleaning);
}

Preferences::~Preferences() = default;

template <class T> void Preferences::assign(T& stored, const T& value, const QString& key)
{
    if (stored == value)
        return;
    stored = value;
    if constexpr (std::is_same_v<T, Interval> || std::is_same_v<T, ModuleID>)
        write(QVariant(toRaw(value)), key);
    else if constexpr (std::is_same_v<T, std::optional<QDateTime>>)
        write(value ? std::optional<QVariant>(*value) : std::nullopt, key);
    else
        write(QVariant(value), key);
    emit changed();
}

void Preferences::write(const std::optional<QVariant>& value, const QString& key)
{
    // A failed write is not reported: the new value still holds for this process.
    if (value)
        m_defaults->setValue(key, *value);
    else
        m_defaults->removeValue(key);
}

void Preferences::setShowsMenuBarItem(bool value)
{
    assign(m_storedShowsMenuBarItem, value, kShowsMenuBarItem);
}

void Preferences::setNotifiesOnDiskPressure(bool value)
{
    assign(m_storedNotifiesOnDiskPressure, value, kNotifiesOnDiskPressure);
}

void Preferences::setDiskThreshold(double value)
{
    assign(m_storedDiskThreshold, value, kDiskThreshold);
}

void Preferences::setNotifiesAfterScheduledRun(bool value)
{
    assign(m_storedNotifiesAfterScheduledRun, value, kNotifiesAfterScheduledRun);
}

void Preferences::setScheduleEnabled(bool value)
{
    assign(m_storedScheduleEnabled, value, kScheduleEnabled);
}

void Preferences::setScheduleInterval(Interval value)
{
    assign(m_storedScheduleInterval, value, kScheduleInterval);
}

void Preferences::setScheduleModule(ModuleID value)
{
    assign(m_storedScheduleModule, value, kScheduleModule);
}

void Preferences::setScheduleCleans(bool value)
{
    assign(m_storedScheduleCleans, value, kScheduleCleans);
}

void Preferences::setLastScheduledRun(const std::optional<QDateTime>& value)
{
    assign(m_storedLastScheduledRun, validDate(value), kLastScheduledRun);
}

void Preferences::setTakesSnapshotBeforeCleaning(bool value)
{
    assign(m_storedTakesSnapshotBeforeCleaning, value, kTakesSnapshotBeforeCleaning);
}

std::optional<QDateTime> Preferences::nextScheduledRun(const QDateTime& now) const
{
    if (!m_storedScheduleEnabled)
        return std::nullopt;
    // A last run later than now (the clock set back, an imported value) would hold every run off until that date
    // plus the interval: run now instead.
    if (!m_storedLastScheduledRun || *m_storedLastScheduledRun > now)
        return now;
    return m_storedLastScheduledRun->addSecs(seconds(m_storedScheduleInterval));
}
