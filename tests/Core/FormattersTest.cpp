#include "Core/Formatters.h"
#include "Core/FileUtils.h"

#include <limits>

#include <QTimeZone>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(ByteCount, frenchDecimalUnits)
{
    struct Case {
        qint64 bytes;
        QString text;
    };
    const Case cases[] = {
        {-5, u"0 Ko"_s},
        {0, u"0 Ko"_s},
        {1, u"1 Ko"_s},
        {499, u"1 Ko"_s},
        {500, u"1 Ko"_s},
        {1'000, u"1 Ko"_s},
        {1'499, u"1 Ko"_s},
        {1'500, u"2 Ko"_s},
        {999'499, u"999 Ko"_s},
        {999'500, u"1 Mo"_s},
        {1'000'000, u"1 Mo"_s},
        {1'500'000, u"1,5 Mo"_s},
        {1'549'999, u"1,5 Mo"_s},
        {1'550'000, u"1,6 Mo"_s},
        {12'340'000, u"12,3 Mo"_s},
        {999'950'000, u"1 Go"_s},
        {2'250'000'000, u"2,25 Go"_s},
        {2'205'000'000, u"2,21 Go"_s},
        {2'200'000'000, u"2,2 Go"_s},
        {999'995'000'000, u"1 To"_s},
        {3'000'000'000'000, u"3 To"_s},
        {1'234'560'000'000'000, u"1234,56 To"_s},
        {std::numeric_limits<qint64>::max(), u"9223372,04 To"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileUtils::byteFormatter().string(c.bytes), c.text) << c.bytes;
}

TEST(ByteCount, splitsAtTheLastSpace)
{
    using FileUtils::SplitByteCount;
    EXPECT_EQ(FileUtils::splitByteCount(0), (SplitByteCount{u"0"_s, u"Ko"_s}));
    EXPECT_EQ(FileUtils::splitByteCount(-1), (SplitByteCount{u"0"_s, u"Ko"_s}));
    EXPECT_EQ(FileUtils::splitByteCount(1'500'000), (SplitByteCount{u"1,5"_s, u"Mo"_s}));
    EXPECT_EQ(FileUtils::splitByteCount(2'250'000'000), (SplitByteCount{u"2,25"_s, u"Go"_s}));
}

// A figure below 2 takes the singular, whatever its unit; a name between guillemets is held to them.
TEST(FrenchText, recoverableAgreesWithItsFigureAndQuotesHoldTheirName)
{
    const struct {
        qint64 bytes;
        const char16_t* text;
    } cases[] = {
        {0, u"0 Ko récupérable"},           {1, u"1 Ko récupérable"},
        {1'000'000, u"1 Mo récupérable"},   {1'500'000, u"1,5 Mo récupérable"},
        {1'940'000, u"1,9 Mo récupérable"}, {2'000'000, u"2 Mo récupérables"},
        {12'000, u"12 Ko récupérables"},    {1'250'000'000, u"1,25 Go récupérable"},
    };
    const ByteCountFormatter bytes;
    for (const auto& c : cases)
        EXPECT_EQ(FrenchText::recoverable(bytes.string(c.bytes)), QString::fromUtf16(c.text)) << c.bytes;
    EXPECT_EQ(FrenchText::quoted(u"Safari"_s), u"«\u00A0Safari\u00A0»"_s);
}

TEST(RelativeDate, largestWholeUnitInFrench)
{
    const QDateTime now(QDate(2026, 6, 15), QTime(12, 0), Qt::UTC);
    struct Case {
        QDateTime date;
        QString text;
    };
    const Case cases[] = {
        {now.addSecs(-3 * 86400), u"il y a 3 jours"_s},
        {now.addSecs(2 * 3600), u"dans 2 heures"_s},
        {now.addSecs(-1 * 86400), u"il y a 1 jour"_s},
        {now.addSecs(-45), u"il y a 45 secondes"_s},
        {now.addSecs(-5 * 60 - 59), u"il y a 5 minutes"_s},
        {now.addSecs(-23 * 3600), u"il y a 23 heures"_s},
        {now.addDays(-7), u"il y a 1 semaine"_s},
        {now.addDays(-20), u"il y a 2 semaines"_s},
        {now.addMonths(-1), u"il y a 1 mois"_s},
        {now.addMonths(-11), u"il y a 11 mois"_s},
        {now.addYears(-1), u"il y a 1 an"_s},
        {now.addYears(-3).addMonths(-4), u"il y a 3 ans"_s},
        {now.addMonths(2), u"dans 2 mois"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileUtils::relativeFormatter().localizedString(c.date, now), c.text)
            << c.date.toString(Qt::ISODate).toStdString();
}

TEST(RelativeDate, noDateGivesNoText)
{
    EXPECT_FALSE(FileUtils::relativeDate(std::nullopt).has_value());
    EXPECT_EQ(FileUtils::relativeDate(QDateTime::currentDateTimeUtc().addDays(-3)), u"il y a 3 jours"_s);
}

TEST(DateTimeFormatter, writesTheMediumDateAndShortTimeInFrench)
{
    const QDateTime date(QDate(2026, 12, 10), QTime(5, 14), QTimeZone::systemTimeZone());
    const QString text = DateTimeFormatter::mediumDateShortTime().string(date);
    EXPECT_TRUE(text.startsWith(u"10 déc. 2026"_s)) << text.toStdString();
    EXPECT_TRUE(text.endsWith(u"05:14"_s)) << text.toStdString();
    EXPECT_EQ(&DateTimeFormatter::mediumDateShortTime(), &DateTimeFormatter::mediumDateShortTime());
    EXPECT_TRUE(DateTimeFormatter::mediumDateShortTime().string(QDateTime()).isEmpty());
}

TEST(DateTimeFormatter, writesTheFullDateWithItsWeekdayInFrench)
{
    const QDateTime date(QDate(2026, 12, 10), QTime(5, 14), QTimeZone::systemTimeZone());
    const QString text = DateTimeFormatter::fullDateShortTime().string(date);
    EXPECT_TRUE(text.startsWith(u"jeudi 10 décembre 2026"_s)) << text.toStdString();
    EXPECT_TRUE(text.endsWith(u"05:14"_s)) << text.toStdString();
}
