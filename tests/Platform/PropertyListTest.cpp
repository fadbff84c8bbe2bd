#include "Platform/PropertyList.h"

#include <QDateTime>
#include <QSize>
#include <QTimeZone>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using Platform::PropertyList::Format;

TEST(PropertyList, everyValueTypeSurvivesBothFormats)
{
    const QVariantMap original{
        {u"flag"_s, true},
        {u"count"_s, qint64(-42)},
        {u"big"_s, qint64(5'000'000'000)},
        {u"ratio"_s, 0.85},
        {u"name"_s, u"Préférences « été »"_s},
        {u"when"_s, QDateTime(QDate(2025, 3, 14), QTime(9, 26, 53), Qt::UTC)},
        {u"blob"_s, QByteArray("\x00\x01\xff", 3)},
        {u"list"_s, QVariantList{u"a"_s, qint64(1), QVariantMap{{u"k"_s, false}}}},
    };
    for (const Format format : {Format::Xml, Format::Binary}) {
        const std::optional<QByteArray> bytes = Platform::PropertyList::serialize(original, format);
        ASSERT_TRUE(bytes.has_value());
        const std::optional<QVariant> back = Platform::PropertyList::parse(*bytes);
        ASSERT_TRUE(back.has_value());
        const QVariantMap map = back->toMap();
        EXPECT_EQ(map.value(u"flag"_s).typeId(), QMetaType::Bool);
        EXPECT_EQ(map.value(u"flag"_s).toBool(), true);
        EXPECT_EQ(map.value(u"count"_s).toLongLong(), -42);
        EXPECT_EQ(map.value(u"big"_s).toLongLong(), 5'000'000'000);
        EXPECT_DOUBLE_EQ(map.value(u"ratio"_s).toDouble(), 0.85);
        EXPECT_EQ(map.value(u"name"_s).toString(), u"Préférences « été »"_s);
        EXPECT_EQ(map.value(u"when"_s).toDateTime(), original.value(u"when"_s).toDateTime());
        EXPECT_EQ(map.value(u"blob"_s).toByteArray(), QByteArray("\x00\x01\xff", 3));
        const QVariantList list = map.value(u"list"_s).toList();
        ASSERT_EQ(list.size(), 3);
        EXPECT_EQ(list[2].toMap().value(u"k"_s).toBool(), false);
    }
}

TEST(PropertyList, garbageIsNoPropertyList)
{
    EXPECT_FALSE(Platform::PropertyList::parse(QByteArray()).has_value());
    EXPECT_FALSE(Platform::PropertyList::parse("this is not a plist").has_value());
    EXPECT_FALSE(Platform::PropertyList::parse("bplist00\x01\x02").has_value());
    EXPECT_FALSE(Platform::PropertyList::readFile(u"/nonexistent/Info.plist"_s).has_value());
}

TEST(PropertyList, valuesAPropertyListCannotCarryAreRefused)
{
    EXPECT_FALSE(Platform::PropertyList::serialize(QVariant()).has_value());
    EXPECT_FALSE(Platform::PropertyList::serialize(QVariantList{QVariant::fromValue(QSize(1, 2))}).has_value());
}
