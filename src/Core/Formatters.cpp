#include "Core/Formatters.h"

#include <cmath>
#include <cstdlib>
#include <mutex>

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/reldatefmt.h>
#include <unicode/unistr.h>

using namespace Qt::StringLiterals;

namespace {

struct Unit {
    const char16_t* name;
    qint64 scale; // bytes per unit
    int decimals; // digits kept after the comma
    qint64 below; // the unit serves counts below this
};

constexpr Unit kUnits[] = {
    {u"Ko", 1'000, 0, 1'000'000},
    {u"Mo", 1'000'000, 1, 1'000'000'000},
    {u"Go", 1'000'000'000, 2, 1'000'000'000'000},
    {u"To", 1'000'000'000'000, 2, 0},
};

qint64 powerOfTen(int exponent)
{
    qint64 value = 1;
    while (exponent-- > 0)
        value *= 10;
    return value;
}

} // namespace

namespace FrenchText {

QString quoted(const QString& name)
{
    return u"«\u00A0"_s + name + u"\u00A0»"_s;
}

QString recoverable(const QString& byteText)
{
    bool isNumber = false;
    const double figure = byteText.section(u' ', 0, 0).replace(u',', u'.').toDouble(&isNumber);
    return byteText + (isNumber && figure < 2 ? u" récupérable"_s : u" récupérables"_s);
}

} // namespace FrenchText

QString ByteCountFormatter::string(qint64 bytes) const
{
    if (bytes <= 0)
        return u"0 Ko"_s;
    std::size_t index = 0;
    while (kUnits[index].below != 0 && bytes >= kUnits[index].below)
        ++index;
    qint64 scaled = 0;
    while (true) {
        const Unit& unit = kUnits[index];
        // The count in hundredths (or tenths, or units) of the unit, rounded half up, without overflow.
        const qint64 step = unit.scale / powerOfTen(unit.decimals);
        scaled = bytes / step + ((bytes % step) * 2 >= step ? 1 : 0);
        const bool roundsToNextUnit = kUnits[index].below != 0 && scaled >= 1000 * powerOfTen(unit.decimals);
        if (!roundsToNextUnit)
            break;
        ++index;
    }
    const Unit& unit = kUnits[index];
    if (scaled == 0)
        scaled = 1; // a positive count never reads as nothing
    const qint64 divisor = powerOfTen(unit.decimals);
    QString text = QString::number(scaled / divisor);
    QString fraction =
        unit.decimals > 0 ? QString::number(scaled % divisor).rightJustified(unit.decimals, u'0') : QString();
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    if (!fraction.isEmpty())
        text += u',' + fraction;
    return text + u' ' + QString::fromUtf16(unit.name);
}

struct RelativeDateFormatter::Impl {
    std::unique_ptr<icu::RelativeDateTimeFormatter> formatter;
};

RelativeDateFormatter::RelativeDateFormatter() : m_impl(std::make_unique<Impl>())
{
    UErrorCode status = U_ZERO_ERROR;
    auto formatter = std::make_unique<icu::RelativeDateTimeFormatter>(icu::Locale("fr", "FR"), nullptr, UDAT_STYLE_LONG,
                                                                      UDISPCTX_CAPITALIZATION_NONE, status);
    if (U_SUCCESS(status))
        m_impl->formatter = std::move(formatter);
}

RelativeDateFormatter::~RelativeDateFormatter() = default;

QString RelativeDateFormatter::localizedString(const QDateTime& date, const QDateTime& relativeTo) const
{
    if (!m_impl->formatter)
        return QString();
    const qint64 seconds = relativeTo.secsTo(date); // negative in the past
    const qint64 magnitude = std::llabs(seconds);
    const int sign = seconds < 0 ? -1 : 1;

    URelativeDateTimeUnit unit = UDAT_REL_UNIT_SECOND;
    qint64 count = magnitude;
    if (magnitude >= 7 * 86400) {
        // Months and years follow the calendar, so they are counted with it.
        const QDateTime earlier = seconds < 0 ? date : relativeTo;
        const QDateTime later = seconds < 0 ? relativeTo : date;
        const QDate from = earlier.toUTC().date();
        const QDate to = later.toUTC().date();
        qint64 months = (qint64(to.year()) - from.year()) * 12 + (to.month() - from.month());
        if (months > 0 && earlier.toUTC().addMonths(int(months)) > later.toUTC())
            --months;
        if (months >= 12) {
            unit = UDAT_REL_UNIT_YEAR;
            count = months / 12;
        } else if (months >= 1) {
            unit = UDAT_REL_UNIT_MONTH;
            count = months;
        } else {
            unit = UDAT_REL_UNIT_WEEK;
            count = magnitude / (7 * 86400);
        }
    } else if (magnitude >= 86400) {
        unit = UDAT_REL_UNIT_DAY;
        count = magnitude / 86400;
    } else if (magnitude >= 3600) {
        unit = UDAT_REL_UNIT_HOUR;
        count = magnitude / 3600;
    } else if (magnitude >= 60) {
        unit = UDAT_REL_UNIT_MINUTE;
        count = magnitude / 60;
    }

    icu::UnicodeString text;
    UErrorCode status = U_ZERO_ERROR;
    m_impl->formatter->formatNumeric(double(sign * count), unit, text, status);
    if (U_FAILURE(status))
        return QString();
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

struct DateTimeFormatter::Impl {
    std::mutex mutex; // ICU's date formats may not format from two threads at once
    std::unique_ptr<icu::DateFormat> format;
};

DateTimeFormatter::DateTimeFormatter(DateStyle dateStyle) : m_impl(std::make_unique<Impl>())
{
    const icu::DateFormat::EStyle date =
        dateStyle == DateStyle::full ? icu::DateFormat::kFull : icu::DateFormat::kMedium;
    m_impl->format.reset(
        icu::DateFormat::createDateTimeInstance(date, icu::DateFormat::kShort, icu::Locale("fr", "FR")));
}

DateTimeFormatter::~DateTimeFormatter() = default;

const DateTimeFormatter& DateTimeFormatter::mediumDateShortTime()
{
    static const DateTimeFormatter formatter;
    return formatter;
}

const DateTimeFormatter& DateTimeFormatter::fullDateShortTime()
{
    static const DateTimeFormatter formatter(DateStyle::full);
    return formatter;
}

QString DateTimeFormatter::string(const QDateTime& date) const
{
    if (!m_impl->format || !date.isValid())
        return QString();
    icu::UnicodeString text;
    {
        const std::lock_guard lock(m_impl->mutex);
        m_impl->format->format(UDate(date.toMSecsSinceEpoch()), text);
    }
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}
