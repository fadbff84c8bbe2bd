#include "Platform/PropertyList.h"

#include "Platform/FileOperations.h"
#include "TempTree.h"

#include <sys/stat.h>

#include <QDateTime>
#include <QFile>
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

namespace {

// A binary list laid out by hand: header, objects, offsets of `offsetSize` bytes, trailer.
QByteArray binaryList(const QList<QByteArray>& objects, quint64 top = 0)
{
    QByteArray out("bplist00");
    QByteArray offsets;
    for (const QByteArray& object : objects) {
        offsets.append(char(out.size()));
        out += object;
    }
    const char tableOffset = char(out.size());
    out += offsets;
    out.append(6, '\0');
    out.append('\x01').append('\x01');
    const auto eight = [](quint64 value) {
        QByteArray bytes(8, '\0');
        for (int i = 7; i >= 0; --i, value >>= 8)
            bytes[i] = char(value & 0xff);
        return bytes;
    };
    out += eight(quint64(objects.size())) + eight(top) + eight(quint64(uchar(tableOffset)));
    return out;
}

} // namespace

TEST(PropertyList, hostileBinaryListsGiveNoValueAndNeverStopTheProcess)
{
    const QByteArray yes("\x09", 1);
    const struct {
        const char* label;
        QByteArray bytes;
    } cases[] = {
        {"an ASCII key holding U+0000",
         binaryList({QByteArray("\xd1\x01\x02", 3), QByteArray("\x53\x61\x00\x62", 4), yes})},
        {"the 50-byte list whose UTF-16 key is U+0000 (the library asserts on it)",
         binaryList({QByteArray("\xd1\x01\x02", 3), QByteArray("\x61\x00\x00", 3), yes})},
        {"a string value holding U+0000", binaryList({QByteArray("\xa1\x01", 2), QByteArray("\x52\x00x", 3)})},
        {"an array holding itself", binaryList({QByteArray("\xa1\x00", 2)})},
        {"a cycle through a dictionary",
         binaryList({QByteArray("\xa1\x01", 2), QByteArray("\xd1\x02\x00", 3), QByteArray("\x51k", 2)})},
        {"a reference past the objects", binaryList({QByteArray("\xa1\x07", 2)})},
        {"a top object past the objects", binaryList({yes}, 5)},
        {"a string longer than the file", binaryList({QByteArray("\x5f\x13\x7f\xff\xff\xff\xff\xff\xff\xff", 10)})},
        {"a count that is no integer", binaryList({QByteArray("\x5f\x23", 2)})},
        {"a key that is no string", binaryList({QByteArray("\xd1\x01\x01", 3), yes})},
        {"a date that is not a number", binaryList({QByteArray("\x33\x7f\xf8\0\0\0\0\0\0", 9)})},
        {"a date beyond year 9999", binaryList({QByteArray("\x33\x43\x30\0\0\0\0\0\0", 9)})},
        {"a trailer claiming more objects than bytes", QByteArray("bplist00\x09\x08", 10) + QByteArray(6, '\0') +
                                                           "\x01\x01" + QByteArray("\0\0\0\0\x7f\0\0\0", 8) +
                                                           QByteArray(8, '\0') + QByteArray("\0\0\0\0\0\0\0\x09", 8)},
        {"XML holding a character reference to U+0000",
         "<?xml version=\"1.0\"?><plist><dict><key>a&#0;b</key><true/></dict></plist>"},
        {"XML nested 10,000 levels", QByteArray("<plist>") + QByteArray("<array>").repeated(10000) +
                                         QByteArray("</array>").repeated(10000) + "</plist>"},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(Platform::PropertyList::parse(c.bytes).has_value()) << c.label;
    // The same layout with a plain key reads: only the NUL was refused.
    const std::optional<QVariant> plain = Platform::PropertyList::parse(
        binaryList({QByteArray("\xd1\x01\x02", 3), QByteArray("\x53\x61\x2e\x62", 4), yes}));
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(plain->toMap(), (QVariantMap{{u"a.b"_s, true}}));
}

TEST(PropertyList, xmlIntegersAreDecimalOrHexadecimal)
{
    const struct {
        QByteArray text;
        QVariant expected;
    } cases[] = {
        {"010", qint64(10)},
        {"-42", qint64(-42)},
        {"0x1F", qint64(31)},
        {"18446744073709551615", quint64(18446744073709551615ull)},
    };
    for (const auto& c : cases) {
        const std::optional<QVariant> value =
            Platform::PropertyList::parse("<plist><integer>" + c.text + "</integer></plist>");
        ASSERT_TRUE(value.has_value()) << c.text.constData();
        EXPECT_EQ(*value, c.expected) << c.text.constData();
    }
    EXPECT_FALSE(Platform::PropertyList::parse("<plist><integer>12a</integer></plist>").has_value());
}

TEST(PropertyList, datesOutsideThirtyTwoBitSecondsAreExactOrRefusedNeverWrapped)
{
    const QDateTime dates[] = {
        QDateTime(QDate(2070, 6, 1), QTime(12, 0, 0, 250), Qt::UTC),
        QDateTime(QDate(1850, 1, 2), QTime(3, 4, 5), Qt::UTC),
        QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59), Qt::UTC),
    };
    for (const QDateTime& date : dates) {
        const std::optional<QByteArray> binary = Platform::PropertyList::serialize(QVariantMap{{u"d"_s, date}});
        ASSERT_TRUE(binary.has_value());
        EXPECT_EQ(Platform::PropertyList::parse(*binary)->toMap().value(u"d"_s).toDateTime(), date);
        // The XML form goes through the library, whose seconds are 32 bits: refused, not wrapped.
        EXPECT_FALSE(Platform::PropertyList::serialize(QVariantMap{{u"d"_s, date}}, Format::Xml).has_value());
        const QByteArray xml =
            "<plist><dict><key>d</key><date>" + date.toString(Qt::ISODate).toLatin1() + "</date></dict></plist>";
        EXPECT_EQ(Platform::PropertyList::parse(xml)->toMap().value(u"d"_s).toDateTime(),
                  date.addMSecs(-date.time().msec()));
    }
}

TEST(PropertyList, onlyRegularFilesAreReadWithoutWaitingOnAFifo)
{
    const TempTree tree(u"folder.plist/\nlist.plist\nlink.plist -> list.plist\n"_s);
    ASSERT_TRUE(Platform::writeFileAtomically(tree.path(u"list.plist"_s),
                                              *Platform::PropertyList::serialize(QVariantMap{{u"a"_s, true}}))
                    .has_value() == false);
    ASSERT_EQ(::mkfifo(QFile::encodeName(tree.path(u"fifo.plist"_s)).constData(), 0600), 0);
    EXPECT_FALSE(Platform::PropertyList::readFile(tree.path(u"fifo.plist"_s)).has_value());
    EXPECT_FALSE(Platform::PropertyList::readFile(tree.path(u"folder.plist"_s)).has_value());
    EXPECT_TRUE(Platform::PropertyList::readFile(tree.path(u"link.plist"_s)).has_value());
    using Platform::PropertyList::FollowLink;
    EXPECT_FALSE(Platform::PropertyList::readFile(tree.path(u"link.plist"_s), FollowLink::No).has_value());
    EXPECT_TRUE(Platform::PropertyList::readFile(tree.path(u"list.plist"_s), FollowLink::No).has_value());
}
