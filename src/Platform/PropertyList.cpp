#include "Platform/PropertyList.h"

#include "Platform/OpenFolder.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <plist/plist.h>

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QTimeZone>
#include <QXmlStreamReader>

namespace Platform::PropertyList {

namespace {

// Property-list dates count from 2001-01-01 00:00:00 UTC.
constexpr qint64 kReferenceEpochSeconds = 978307200;
// Dates kept from year 1 to year 9999: what QDateTime and the XML form both carry exactly.
constexpr qint64 kEarliestMs = -62135596800000;
constexpr qint64 kLatestMs = 253402300799999;
// Nesting beyond this is refused: no real list goes near it, and each level costs stack.
constexpr int kMaxDepth = 256;
// Larger files are refused rather than read into memory.
constexpr qint64 kMaxFileBytes = qint64(64) << 20;

std::optional<QDateTime> dateFromReferenceSeconds(double seconds)
{
    if (!std::isfinite(seconds))
        return std::nullopt;
    const double ms = std::round(seconds * 1000.0) + double(kReferenceEpochSeconds) * 1000.0;
    if (ms < double(kEarliestMs) || ms > double(kLatestMs))
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(qint64(ms), Qt::UTC);
}

// The binary form, read with every offset, count and reference checked against the bytes at hand: the
// library's own reader trusts them and asserts on a key holding U+0000, which would end the process.
class BinaryReader
{
public:
    explicit BinaryReader(const QByteArray& bytes)
        : m_data(reinterpret_cast<const uchar*>(bytes.constData())), m_size(quint64(bytes.size()))
    {
    }

    std::optional<QVariant> read()
    {
        constexpr quint64 kHeader = 8;
        constexpr quint64 kTrailer = 32;
        if (m_size < kHeader + kTrailer + 1 || std::memcmp(m_data, "bplist00", 8) != 0)
            return std::nullopt;
        const uchar* trailer = m_data + m_size - kTrailer;
        m_offsetSize = trailer[6];
        m_refSize = trailer[7];
        const quint64 objects = bigEndian(trailer + 8, 8);
        const quint64 top = bigEndian(trailer + 16, 8);
        m_tableOffset = bigEndian(trailer + 24, 8);
        m_objectsEnd = m_size - kTrailer;
        if (!validWidth(m_offsetSize) || !validWidth(m_refSize) || objects == 0 || top >= objects)
            return std::nullopt;
        // Every object takes at least one byte before the table.
        if (m_tableOffset < kHeader || m_tableOffset >= m_objectsEnd || objects > m_tableOffset - kHeader)
            return std::nullopt;
        if (objects > (m_objectsEnd - m_tableOffset) / m_offsetSize)
            return std::nullopt;
        m_objectCount = objects;
        m_state.assign(size_t(objects), 0);
        // A list may refer to one folder of objects many times; the values made are bounded by the bytes read.
        m_budget = m_size * 4 + 1024;
        return object(top, 0);
    }

private:
    static bool validWidth(quint64 width) { return width == 1 || width == 2 || width == 4 || width == 8; }

    static quint64 bigEndian(const uchar* p, quint64 width)
    {
        quint64 value = 0;
        for (quint64 i = 0; i < width; ++i)
            value = (value << 8) | p[i];
        return value;
    }

    // Whether `length` bytes from `at` lie within the objects.
    bool within(quint64 at, quint64 length) const { return at <= m_objectsEnd && length <= m_objectsEnd - at; }

    std::optional<quint64> offsetOf(quint64 index) const
    {
        const quint64 offset = bigEndian(m_data + m_tableOffset + index * m_offsetSize, m_offsetSize);
        if (offset < 8 || offset >= m_tableOffset)
            return std::nullopt;
        return offset;
    }

    // The count of a string, data, array or dictionary: in the marker, or an integer after it.
    std::optional<quint64> count(uchar marker, quint64& at) const
    {
        const quint64 low = marker & 0x0f;
        if (low != 0x0f)
            return low;
        if (!within(at, 1) || (m_data[at] & 0xf0) != 0x10)
            return std::nullopt;
        const quint64 width = quint64(1) << (m_data[at] & 0x0f);
        if (width > 8 || !within(at + 1, width))
            return std::nullopt;
        const quint64 value = bigEndian(m_data + at + 1, width);
        at += 1 + width;
        return value;
    }

    std::optional<QVariant> integer(quint64 at, uchar low) const
    {
        if (low > 4)
            return std::nullopt;
        const quint64 width = quint64(1) << low;
        if (!within(at, width))
            return std::nullopt;
        if (width < 8)
            return QVariant(qint64(bigEndian(m_data + at, width)));
        if (width == 8)
            return QVariant(qint64(bigEndian(m_data + at, 8)));
        // Sixteen bytes: an unsigned 64-bit value, or a negative one sign-extended.
        const quint64 high = bigEndian(m_data + at, 8);
        const quint64 value = bigEndian(m_data + at + 8, 8);
        if (high == 0)
            return value > quint64(std::numeric_limits<qint64>::max()) ? QVariant(value) : QVariant(qint64(value));
        if (high == ~quint64(0) && qint64(value) < 0)
            return QVariant(qint64(value));
        return std::nullopt;
    }

    std::optional<double> real(quint64 at, uchar low) const
    {
        if (low == 2 && within(at, 4)) {
            const quint32 bits = quint32(bigEndian(m_data + at, 4));
            float value = 0;
            std::memcpy(&value, &bits, sizeof value);
            return double(value);
        }
        if (low == 3 && within(at, 8)) {
            const quint64 bits = bigEndian(m_data + at, 8);
            double value = 0;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        return std::nullopt;
    }

    // Text without U+0000: the writers of this system and the library's both end a string there.
    std::optional<QString> string(uchar marker, quint64 at) const
    {
        const std::optional<quint64> length = count(marker, at);
        if (!length)
            return std::nullopt;
        if ((marker & 0xf0) == 0x50) {
            if (!within(at, *length))
                return std::nullopt;
            const char* text = reinterpret_cast<const char*>(m_data + at);
            if (std::memchr(text, 0, size_t(*length)) != nullptr)
                return std::nullopt;
            return QString::fromLatin1(text, qsizetype(*length));
        }
        if (*length > m_objectsEnd / 2 || !within(at, *length * 2))
            return std::nullopt;
        QString text(qsizetype(*length), Qt::Uninitialized);
        for (quint64 i = 0; i < *length; ++i) {
            const char16_t unit = char16_t(bigEndian(m_data + at + 2 * i, 2));
            if (unit == 0)
                return std::nullopt;
            text[qsizetype(i)] = QChar(unit);
        }
        return text;
    }

    std::optional<QVariant> object(quint64 index, int depth)
    {
        if (index >= m_objectCount || depth > kMaxDepth || m_budget == 0)
            return std::nullopt;
        --m_budget;
        const std::optional<quint64> offset = offsetOf(index);
        if (!offset)
            return std::nullopt;
        quint64 at = *offset;
        const uchar marker = m_data[at++];
        const uchar low = marker & 0x0f;
        switch (marker >> 4) {
        case 0x0:
            if (marker == 0x08 || marker == 0x09)
                return QVariant(marker == 0x09);
            return std::nullopt;
        case 0x1:
            return integer(at, low);
        case 0x2:
            if (const std::optional<double> value = real(at, low))
                return QVariant(*value);
            return std::nullopt;
        case 0x3: {
            const std::optional<double> seconds = marker == 0x33 ? real(at, 3) : std::nullopt;
            const std::optional<QDateTime> date = seconds ? dateFromReferenceSeconds(*seconds) : std::nullopt;
            return date ? std::optional<QVariant>(QVariant(*date)) : std::nullopt;
        }
        case 0x4: {
            const std::optional<quint64> length = count(marker, at);
            if (!length || !within(at, *length))
                return std::nullopt;
            return QVariant(QByteArray(reinterpret_cast<const char*>(m_data + at), qsizetype(*length)));
        }
        case 0x5:
        case 0x6:
            if (const std::optional<QString> text = string(marker, *offset + 1))
                return QVariant(*text);
            return std::nullopt;
        case 0x8:
            if (!within(at, quint64(low) + 1) || low >= 8)
                return std::nullopt;
            return QVariant(qint64(bigEndian(m_data + at, quint64(low) + 1)));
        case 0xa:
        case 0xc:
        case 0xd: {
            // A container inside itself, however far down, is a cycle: refused, not followed forever.
            if (m_state[size_t(index)] != 0)
                return std::nullopt;
            m_state[size_t(index)] = 1;
            std::optional<QVariant> result = container(marker, at, depth);
            m_state[size_t(index)] = 0;
            return result;
        }
        default:
            return std::nullopt;
        }
    }

    std::optional<QVariant> container(uchar marker, quint64 at, int depth)
    {
        const bool dictionary = (marker >> 4) == 0xd;
        const std::optional<quint64> length = count(marker, at);
        if (!length)
            return std::nullopt;
        const quint64 refs = dictionary ? *length * 2 : *length;
        if (*length > m_objectsEnd || !within(at, refs * m_refSize))
            return std::nullopt;
        const auto ref = [&](quint64 i) { return bigEndian(m_data + at + i * m_refSize, m_refSize); };
        QVariantList list;
        QVariantMap map;
        for (quint64 i = 0; i < *length; ++i) {
            const quint64 valueRef = ref(dictionary ? *length + i : i);
            std::optional<QVariant> value = object(valueRef, depth + 1);
            if (!value)
                return std::nullopt;
            if (!dictionary) {
                list.append(std::move(*value));
                continue;
            }
            const quint64 keyRef = ref(i);
            if (keyRef >= m_objectCount)
                return std::nullopt;
            const std::optional<quint64> keyOffset = offsetOf(keyRef);
            if (!keyOffset)
                return std::nullopt;
            const uchar keyMarker = m_data[*keyOffset];
            if ((keyMarker >> 4) != 0x5 && (keyMarker >> 4) != 0x6)
                return std::nullopt;
            const std::optional<QString> key = string(keyMarker, *keyOffset + 1);
            if (!key)
                return std::nullopt;
            map.insert(*key, std::move(*value));
        }
        return dictionary ? QVariant(map) : QVariant(list);
    }

    const uchar* m_data;
    quint64 m_size;
    quint64 m_offsetSize = 0;
    quint64 m_refSize = 0;
    quint64 m_tableOffset = 0;
    quint64 m_objectsEnd = 0;
    quint64 m_objectCount = 0;
    quint64 m_budget = 0;
    std::vector<char> m_state; // 1 while the object is being read further up
};

// The XML form, read with Qt's stream reader (no external entities, a bound on internal ones).
class XmlReader
{
public:
    explicit XmlReader(const QByteArray& bytes) : m_xml(bytes) {}

    std::optional<QVariant> read()
    {
        if (!nextElement())
            return std::nullopt;
        std::optional<QVariant> result;
        if (m_xml.name() == u"plist") {
            if (!nextElement())
                return std::nullopt;
            result = value(0);
            if (!result || nextElement() || m_xml.hasError() || !m_xml.isEndElement())
                return std::nullopt;
        } else {
            result = value(0);
        }
        while (!m_xml.atEnd())
            m_xml.readNext();
        if (!result || m_xml.hasError())
            return std::nullopt;
        return result;
    }

private:
    // Moves to the next start element at this level; false at an end element, the end or an error.
    bool nextElement()
    {
        while (!m_xml.atEnd()) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::StartElement:
                return true;
            case QXmlStreamReader::EndElement:
                return false;
            case QXmlStreamReader::Characters:
                if (!m_xml.isWhitespace())
                    return false;
                break;
            case QXmlStreamReader::Invalid:
                return false;
            default:
                break;
            }
        }
        return false;
    }

    std::optional<QString> text()
    {
        const QString content = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (m_xml.hasError() || content.contains(QChar(0)))
            return std::nullopt;
        return content;
    }

    std::optional<QVariant> value(int depth)
    {
        if (depth > kMaxDepth)
            return std::nullopt;
        const QStringView name = m_xml.name();
        if (name == u"dict") {
            QVariantMap map;
            while (nextElement()) {
                if (m_xml.name() != u"key")
                    return std::nullopt;
                const std::optional<QString> key = text();
                if (!key || !nextElement())
                    return std::nullopt;
                std::optional<QVariant> item = value(depth + 1);
                if (!item)
                    return std::nullopt;
                map.insert(*key, std::move(*item));
            }
            return m_xml.hasError() || !m_xml.isEndElement() ? std::nullopt : std::optional<QVariant>(map);
        }
        if (name == u"array") {
            QVariantList list;
            while (nextElement()) {
                std::optional<QVariant> item = value(depth + 1);
                if (!item)
                    return std::nullopt;
                list.append(std::move(*item));
            }
            return m_xml.hasError() || !m_xml.isEndElement() ? std::nullopt : std::optional<QVariant>(list);
        }
        if (name == u"true" || name == u"false") {
            const bool flag = name == u"true";
            const std::optional<QString> content = text();
            if (!content || !content->trimmed().isEmpty())
                return std::nullopt;
            return QVariant(flag);
        }
        const QString kind = name.toString();
        const std::optional<QString> content = text();
        if (!content)
            return std::nullopt;
        if (kind == u"string")
            return QVariant(*content);
        if (kind == u"integer") {
            // Decimal, or hexadecimal after "0x": a leading zero is no octal mark here.
            QString digits = content->trimmed();
            const bool negative = digits.startsWith(u'-');
            const QStringView magnitude = QStringView(digits).mid(negative ? 1 : 0);
            const bool hexadecimal = magnitude.startsWith(u"0x") || magnitude.startsWith(u"0X");
            const int base = hexadecimal ? 16 : 10;
            if (hexadecimal)
                digits = (negative ? QStringLiteral("-") : QString()) + magnitude.mid(2).toString();
            bool ok = false;
            const qint64 signedValue = digits.toLongLong(&ok, base);
            if (ok)
                return QVariant(signedValue);
            const quint64 unsignedValue = digits.toULongLong(&ok, base);
            return ok ? std::optional<QVariant>(QVariant(unsignedValue)) : std::nullopt;
        }
        if (kind == u"real") {
            bool ok = false;
            const double number = content->trimmed().toDouble(&ok);
            return ok ? std::optional<QVariant>(QVariant(number)) : std::nullopt;
        }
        if (kind == u"date") {
            const QDateTime date = QDateTime::fromString(content->trimmed(), Qt::ISODate);
            if (!date.isValid())
                return std::nullopt;
            const qint64 ms = date.toMSecsSinceEpoch();
            if (ms < kEarliestMs || ms > kLatestMs)
                return std::nullopt;
            return QVariant(QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC));
        }
        if (kind == u"data") {
            QByteArray encoded = content->toLatin1();
            encoded.replace(' ', "").replace('\n', "").replace('\t', "").replace('\r', "");
            const auto decoded = QByteArray::fromBase64Encoding(encoded, QByteArray::AbortOnBase64DecodingErrors);
            return decoded ? std::optional<QVariant>(QVariant(*decoded)) : std::nullopt;
        }
        return std::nullopt;
    }

    QXmlStreamReader m_xml;
};

// The binary form, written here because the library keeps dates in 32-bit seconds (1901 to 2038) while
// the format holds any date.
class BinaryWriter
{
public:
    std::optional<QByteArray> write(const QVariant& root)
    {
        if (!add(root, 0))
            return std::nullopt;
        const quint64 count = m_objects.size();
        m_refSize = count <= 0xff ? 1 : count <= 0xffff ? 2 : count <= 0xffffffffu ? 4 : 8;
        QByteArray out("bplist00");
        std::vector<quint64> offsets;
        offsets.reserve(m_objects.size());
        for (const Object& object : m_objects) {
            offsets.push_back(quint64(out.size()));
            out += object.bytes;
            for (const quint64 ref : object.refs)
                appendBigEndian(out, ref, m_refSize);
        }
        const quint64 tableOffset = quint64(out.size());
        const quint64 offsetSize = widthFor(tableOffset);
        for (const quint64 offset : offsets)
            appendBigEndian(out, offset, offsetSize);
        out.append(6, '\0');
        out.append(char(offsetSize));
        out.append(char(m_refSize));
        appendBigEndian(out, count, 8);
        appendBigEndian(out, 0, 8);
        appendBigEndian(out, tableOffset, 8);
        return out;
    }

private:
    struct Object {
        QByteArray bytes;
        std::vector<quint64> refs;
    };

    static quint64 widthFor(quint64 value)
    {
        return value <= 0xff ? 1 : value <= 0xffff ? 2 : value <= 0xffffffffu ? 4 : 8;
    }

    static void appendBigEndian(QByteArray& out, quint64 value, quint64 width)
    {
        for (quint64 i = width; i > 0; --i)
            out.append(char((value >> (8 * (i - 1))) & 0xff));
    }

    static void appendMarker(QByteArray& out, uchar kind, quint64 length)
    {
        if (length < 15) {
            out.append(char(kind | uchar(length)));
            return;
        }
        out.append(char(kind | 0x0f));
        const quint64 width = widthFor(length);
        out.append(char(0x10 | (width == 1 ? 0 : width == 2 ? 1 : width == 4 ? 2 : 3)));
        appendBigEndian(out, length, width);
    }

    static void appendInteger(QByteArray& out, qint64 value)
    {
        if (value < 0) {
            out.append(char(0x13));
            appendBigEndian(out, quint64(value), 8);
            return;
        }
        const quint64 width = widthFor(quint64(value));
        out.append(char(0x10 | (width == 1 ? 0 : width == 2 ? 1 : width == 4 ? 2 : 3)));
        appendBigEndian(out, quint64(value), width);
    }

    static void appendString(QByteArray& out, const QString& text)
    {
        const bool ascii = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
        if (ascii) {
            appendMarker(out, 0x50, quint64(text.size()));
            out += text.toLatin1();
            return;
        }
        appendMarker(out, 0x60, quint64(text.size()));
        for (const QChar c : text)
            appendBigEndian(out, c.unicode(), 2);
    }

    bool add(const QVariant& value, int depth)
    {
        if (depth > kMaxDepth)
            return false;
        const size_t index = m_objects.size();
        m_objects.emplace_back();
        QByteArray bytes;
        switch (value.typeId()) {
        case QMetaType::Bool:
            bytes.append(char(value.toBool() ? 0x09 : 0x08));
            break;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Long:
        case QMetaType::Short:
        case QMetaType::UInt:
        case QMetaType::ULong:
        case QMetaType::UShort:
            appendInteger(bytes, value.toLongLong());
            break;
        case QMetaType::ULongLong: {
            const quint64 number = value.toULongLong();
            if (number <= quint64(std::numeric_limits<qint64>::max())) {
                appendInteger(bytes, qint64(number));
            } else {
                bytes.append(char(0x14));
                appendBigEndian(bytes, 0, 8);
                appendBigEndian(bytes, number, 8);
            }
            break;
        }
        case QMetaType::Double:
        case QMetaType::Float: {
            const double number = value.toDouble();
            quint64 bits = 0;
            std::memcpy(&bits, &number, sizeof bits);
            bytes.append(char(0x23));
            appendBigEndian(bytes, bits, 8);
            break;
        }
        case QMetaType::QString: {
            const QString text = value.toString();
            if (text.contains(QChar(0)))
                return false;
            appendString(bytes, text);
            break;
        }
        case QMetaType::QByteArray: {
            const QByteArray data = value.toByteArray();
            appendMarker(bytes, 0x40, quint64(data.size()));
            bytes += data;
            break;
        }
        case QMetaType::QDateTime: {
            const QDateTime date = value.toDateTime();
            if (!date.isValid())
                return false;
            const double seconds = double(date.toMSecsSinceEpoch() - kReferenceEpochSeconds * 1000) / 1000.0;
            quint64 bits = 0;
            std::memcpy(&bits, &seconds, sizeof bits);
            bytes.append(char(0x33));
            appendBigEndian(bytes, bits, 8);
            break;
        }
        case QMetaType::QStringList:
        case QMetaType::QVariantList: {
            const QVariantList list = value.toList();
            appendMarker(bytes, 0xa0, quint64(list.size()));
            std::vector<quint64> refs;
            for (const QVariant& item : list) {
                refs.push_back(m_objects.size());
                if (!add(item, depth + 1))
                    return false;
            }
            m_objects[index].refs = std::move(refs);
            break;
        }
        case QMetaType::QVariantMap: {
            const QVariantMap map = value.toMap();
            appendMarker(bytes, 0xd0, quint64(map.size()));
            std::vector<quint64> keys;
            std::vector<quint64> values;
            for (auto it = map.cbegin(); it != map.cend(); ++it) {
                if (it.key().contains(QChar(0)))
                    return false;
                keys.push_back(m_objects.size());
                m_objects.emplace_back();
                appendString(m_objects.back().bytes, it.key());
                values.push_back(m_objects.size());
                if (!add(it.value(), depth + 1))
                    return false;
            }
            keys.insert(keys.end(), values.begin(), values.end());
            m_objects[index].refs = std::move(keys);
            break;
        }
        default:
            return false;
        }
        m_objects[index].bytes = std::move(bytes);
        return true;
    }

    std::vector<Object> m_objects;
    quint64 m_refSize = 1;
};

struct PlistFree {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<std::remove_pointer_t<plist_t>, PlistFree>;

// The XML form through the library: it is given only values made here, never outside bytes.
plist_t fromVariant(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return plist_new_bool(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::Short:
        return plist_new_uint(static_cast<uint64_t>(value.toLongLong()));
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::ULong:
    case QMetaType::UShort:
        return plist_new_uint(value.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return plist_new_real(value.toDouble());
    case QMetaType::QString: {
        const QString text = value.toString();
        return text.contains(QChar(0)) ? nullptr : plist_new_string(text.toUtf8().constData());
    }
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return plist_new_data(bytes.constData(), uint64_t(bytes.size()));
    }
    case QMetaType::QDateTime: {
        const qint64 ms = value.toDateTime().toMSecsSinceEpoch() - kReferenceEpochSeconds * 1000;
        qint64 seconds = ms / 1000;
        qint64 micro = (ms % 1000) * 1000;
        if (micro < 0) {
            micro += 1000000;
            --seconds;
        }
        // The library's dates are 32-bit seconds: another date is refused rather than wrapped.
        if (seconds < std::numeric_limits<int32_t>::min() || seconds > std::numeric_limits<int32_t>::max())
            return nullptr;
        return plist_new_date(int32_t(seconds), int32_t(micro));
    }
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        plist_t array = plist_new_array();
        for (const QVariant& item : value.toList()) {
            plist_t child = fromVariant(item);
            if (child == nullptr) {
                plist_free(array);
                return nullptr;
            }
            plist_array_append_item(array, child);
        }
        return array;
    }
    case QMetaType::QVariantMap: {
        plist_t dict = plist_new_dict();
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            plist_t child = it.key().contains(QChar(0)) ? nullptr : fromVariant(it.value());
            if (child == nullptr) {
                plist_free(dict);
                return nullptr;
            }
            plist_dict_set_item(dict, it.key().toUtf8().constData(), child);
        }
        return dict;
    }
    default:
        return nullptr;
    }
}

} // namespace

std::optional<QVariant> parse(const QByteArray& bytes)
{
    if (bytes.isEmpty() || bytes.size() > kMaxFileBytes)
        return std::nullopt;
    if (bytes.startsWith("bplist"))
        return BinaryReader(bytes).read();
    return XmlReader(bytes).read();
}

std::optional<QVariant> readFile(const QString& path, FollowLink follow)
{
    // Non-blocking, so that a FIFO named like a property list cannot hold the reader; only a regular file
    // is read.
    int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    if (follow == FollowLink::No)
        flags |= O_NOFOLLOW;
    const int fd = openWithoutAccessDate(AT_FDCWD, QFile::encodeName(path).constData(), flags);
    if (fd < 0)
        return std::nullopt;
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > kMaxFileBytes) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray bytes;
    char buffer[65536];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || bytes.size() + n > kMaxFileBytes) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        bytes.append(buffer, n);
    }
    ::close(fd);
    return parse(bytes);
}

std::optional<QByteArray> serialize(const QVariant& value, Format format)
{
    if (format == Format::Binary)
        return BinaryWriter().write(value);
    plist_t root = fromVariant(value);
    if (root == nullptr)
        return std::nullopt;
    const PlistPtr owner(root);
    char* buffer = nullptr;
    uint32_t length = 0;
    plist_to_xml(root, &buffer, &length);
    if (buffer == nullptr)
        return std::nullopt;
    QByteArray bytes(buffer, qsizetype(length));
    plist_to_xml_free(buffer);
    return bytes;
}

} // namespace Platform::PropertyList
