#include "Core/HistoryFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include <QDate>
#include <QTime>

// Both directions are written by hand. Qt's JSON classes would keep 64-bit integers exact and sort the keys as
// the file has them, but they write "/" where the journal has always written "\/", cannot reproduce the file's
// exact layout (indentation and spacing), and are several times slower on a journal of two hundred thousand
// files.

namespace HistoryFile {

namespace {

using RemovedKeys = RemovedFile::CodingKeys;
using SessionKeys = CleaningSession::CodingKeys;

// ----- Writing

// How an ASCII character is written inside a string: 0 as itself, otherwise the letter after the backslash
// ('u' for the \u00XX form).
constexpr std::array<char, 128> kEscape = [] {
    std::array<char, 128> table{};
    for (int c = 0; c < 0x20; ++c)
        table[size_t(c)] = 'u';
    table['"'] = '"';
    table['\\'] = '\\';
    table['/'] = '/';
    table['\b'] = 'b';
    table['\f'] = 'f';
    table['\n'] = 'n';
    table['\r'] = 'r';
    table['\t'] = 't';
    return table;
}();

// The texts of an item's kind in a file object's "trashKind", in the order of Platform::EntryKind.
constexpr std::array<std::string_view, 4> kKindTexts = {"regular", "directory", "symlink", "other"};

std::string_view kindText(Platform::EntryKind kind)
{
    switch (kind) {
    case Platform::EntryKind::Regular:
        return kKindTexts[0];
    case Platform::EntryKind::Directory:
        return kKindTexts[1];
    case Platform::EntryKind::Symlink:
        return kKindTexts[2];
    case Platform::EntryKind::Other:
        return kKindTexts[3];
    }
    return kKindTexts[3];
}

// A kind this version does not know reads as "other": it then matches no item, so nothing is put back on its word.
Platform::EntryKind kindFromText(std::string_view text)
{
    if (text == kKindTexts[0])
        return Platform::EntryKind::Regular;
    if (text == kKindTexts[1])
        return Platform::EntryKind::Directory;
    if (text == kKindTexts[2])
        return Platform::EntryKind::Symlink;
    return Platform::EntryKind::Other;
}

// Encodes into a buffer of its own that is handed to the sink whenever it fills, so that even the largest
// journal never needs its whole text in memory.
class Writer final
{
public:
    explicit Writer(const Sink& sink) : m_sink(sink) { m_buffer.resize(kCapacity); }

    // Whether everything was written as it stands: no lone surrogate replaced, no fraction of a second dropped.
    bool exact() const { return m_exact; }

    // Hands over what is left; false when the sink refused anything.
    bool finish()
    {
        flush();
        return m_ok;
    }

    void raw(std::string_view text)
    {
        std::memcpy(room(qsizetype(text.size())), text.data(), text.size());
        m_size += qsizetype(text.size());
    }

    void newline(int level)
    {
        char* p = room(1 + 2 * level);
        *p++ = '\n';
        std::memset(p, ' ', size_t(2 * level));
        m_size += 1 + 2 * level;
    }

    // `"name": ` on a new line.
    void key(std::string_view name, int level)
    {
        newline(level);
        char* p = room(qsizetype(name.size()) + 4);
        *p++ = '"';
        std::memcpy(p, name.data(), name.size());
        p += name.size();
        *p++ = '"';
        *p++ = ':';
        *p++ = ' ';
        m_size += qsizetype(name.size()) + 4;
    }

    void integer(qint64 value)
    {
        char* p = room(24);
        m_size += std::to_chars(p, p + 24, value).ptr - p;
    }

    void unsignedInteger(quint64 value)
    {
        char* p = room(24);
        m_size += std::to_chars(p, p + 24, value).ptr - p;
    }

    void boolean(bool value) { raw(value ? std::string_view("true") : std::string_view("false")); }

    void uuid(const QUuid& id)
    {
        static constexpr char digits[] = "0123456789ABCDEF";
        char* p = room(38);
        char* const start = p;
        *p++ = '"';
        const auto hex = [&p](quint64 value, int count) {
            for (int shift = 4 * (count - 1); shift >= 0; shift -= 4)
                *p++ = digits[(value >> shift) & 0xF];
        };
        hex(id.data1, 8);
        *p++ = '-';
        hex(id.data2, 4);
        *p++ = '-';
        hex(id.data3, 4);
        *p++ = '-';
        hex(quint64(id.data4[0]) << 8 | id.data4[1], 4);
        *p++ = '-';
        for (int i = 2; i < 8; ++i)
            hex(id.data4[i], 2);
        *p++ = '"';
        m_size += p - start;
    }

    bool date(const QDateTime& date)
    {
        if (!date.isValid())
            return false;
        // Whole seconds, rounded down, so that a moment never moves later when written.
        const qint64 msecs = date.toMSecsSinceEpoch();
        const qint64 seconds = msecs / 1000 - (msecs % 1000 < 0 ? 1 : 0);
        m_exact = m_exact && msecs % 1000 == 0;
        const QDateTime whole = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
        const QDate day = whole.date();
        const QTime time = whole.time();
        if (day.year() < 1 || day.year() > 9999)
            return false;
        char* p = room(22);
        const auto digits = [&p](int value, int count) {
            for (int i = count - 1; i >= 0; --i, value /= 10)
                p[i] = char('0' + value % 10);
            p += count;
        };
        *p++ = '"';
        digits(day.year(), 4);
        *p++ = '-';
        digits(day.month(), 2);
        *p++ = '-';
        digits(day.day(), 2);
        *p++ = 'T';
        digits(time.hour(), 2);
        *p++ = ':';
        digits(time.minute(), 2);
        *p++ = ':';
        digits(time.second(), 2);
        *p++ = 'Z';
        *p++ = '"';
        m_size += 22;
        return true;
    }

    // A JSON string in UTF-8, with "/" escaped as well as what JSON requires. A lone surrogate, which no
    // file name decoded from UTF-8 holds, is written as U+FFFD.
    void string(QStringView text)
    {
        // At most six bytes per UTF-16 unit ("\u001f"), plus the quotes.
        char* p = room(6 * text.size() + 2);
        char* const start = p;
        *p++ = '"';
        const char16_t* s = text.utf16();
        const char16_t* const end = s + text.size();
        while (s < end) {
            const char16_t c = *s++;
            if (c < 0x80) {
                const char escape = kEscape[c];
                if (escape == 0) {
                    *p++ = char(c);
                } else if (escape != 'u') {
                    *p++ = '\\';
                    *p++ = escape;
                } else {
                    static constexpr char digits[] = "0123456789abcdef";
                    std::memcpy(p, "\\u00", 4);
                    p[4] = digits[c >> 4];
                    p[5] = digits[c & 0xF];
                    p += 6;
                }
                continue;
            }
            char32_t code = c;
            if (QChar::isHighSurrogate(c) && s < end && QChar::isLowSurrogate(*s)) {
                code = QChar::surrogateToUcs4(c, *s++);
            } else if (QChar::isSurrogate(c)) {
                code = 0xFFFD;
                m_exact = false;
            }
            if (code < 0x800) {
                *p++ = char(0xC0 | (code >> 6));
                *p++ = char(0x80 | (code & 0x3F));
            } else if (code < 0x10000) {
                *p++ = char(0xE0 | (code >> 12));
                *p++ = char(0x80 | ((code >> 6) & 0x3F));
                *p++ = char(0x80 | (code & 0x3F));
            } else {
                *p++ = char(0xF0 | (code >> 18));
                *p++ = char(0x80 | ((code >> 12) & 0x3F));
                *p++ = char(0x80 | ((code >> 6) & 0x3F));
                *p++ = char(0x80 | (code & 0x3F));
            }
        }
        *p++ = '"';
        m_size += p - start;
    }

private:
    static constexpr qsizetype kCapacity = 1 << 20;

    // Space for `n` more bytes at the end of the buffer.
    char* room(qsizetype n)
    {
        if (m_size + n > m_buffer.size()) {
            flush();
            if (n > m_buffer.size())
                m_buffer.resize(n);
        }
        return m_buffer.data() + m_size;
    }

    void flush()
    {
        if (m_size > 0 && m_ok)
            m_ok = m_sink(QByteArrayView(m_buffer.constData(), m_size));
        m_size = 0;
    }

    const Sink& m_sink;
    QByteArray m_buffer; // sized ahead; only the first m_size bytes are written
    qsizetype m_size = 0;
    bool m_ok = true;
    bool m_exact = true;
};

void writeFile(Writer& out, const RemovedFile& file)
{
    constexpr int level = 4;
    out.key(RemovedKeys::bytes, level);
    out.integer(file.bytes);
    out.raw(",");
    out.key(RemovedKeys::id, level);
    out.uuid(file.id);
    out.raw(",");
    out.key(RemovedKeys::originalPath, level);
    out.string(file.originalPath);
    out.raw(",");
    out.key(RemovedKeys::restored, level);
    out.boolean(file.restored);
    if (file.trashPath && file.trashIdentity) {
        out.raw(",");
        out.key(RemovedKeys::trashDevice, level);
        out.unsignedInteger(file.trashIdentity->device);
        out.raw(",");
        out.key(RemovedKeys::trashInode, level);
        out.unsignedInteger(file.trashIdentity->inode);
        out.raw(",");
        out.key(RemovedKeys::trashKind, level);
        out.raw("\"");
        out.raw(kindText(file.trashIdentity->kind));
        out.raw("\"");
    }
    if (file.trashPath) {
        out.raw(",");
        out.key(RemovedKeys::trashPath, level);
        out.string(*file.trashPath);
    }
}

bool writeSession(Writer& out, const CleaningSession& session)
{
    constexpr int level = 2;
    out.key(SessionKeys::date, level);
    if (!out.date(session.date))
        return false;
    out.raw(",");
    out.key(SessionKeys::failureCount, level);
    out.integer(session.failureCount);
    out.raw(",");
    out.key(SessionKeys::files, level);
    if (session.files.isEmpty()) {
        out.raw("[]");
    } else {
        out.raw("[");
        for (qsizetype i = 0; i < session.files.size(); ++i) {
            out.raw(i == 0 ? "" : ",");
            out.newline(level + 1);
            out.raw("{");
            writeFile(out, session.files[i]);
            out.newline(level + 1);
            out.raw("}");
        }
        out.newline(level);
        out.raw("]");
    }
    out.raw(",");
    out.key(SessionKeys::freedBytes, level);
    out.integer(session.freedBytes);
    out.raw(",");
    out.key(SessionKeys::id, level);
    out.uuid(session.id);
    out.raw(",");
    out.key(SessionKeys::moduleID, level);
    out.string(session.moduleID);
    out.raw(",");
    out.key(SessionKeys::moduleTitle, level);
    out.string(session.moduleTitle);
    if (session.snapshotStamp) {
        out.raw(",");
        out.key(SessionKeys::snapshotStamp, level);
        out.string(*session.snapshotStamp);
    }
    return true;
}

// ----- Reading

constexpr int kMaxDepth = 512; // for members we skip; deeper nesting is refused rather than recursed into

bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

// Bytes that stand for themselves inside a string: printable ASCII but the quote and the backslash.
constexpr std::array<bool, 256> kPlain = [] {
    std::array<bool, 256> table{};
    for (int c = 0x20; c < 0x80; ++c)
        table[size_t(c)] = c != '"' && c != '\\';
    return table;
}();

// A hexadecimal digit's value; -1 for any other byte.
constexpr std::array<int, 256> kHex = [] {
    std::array<int, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[size_t(c)] = -1;
    for (int c = '0'; c <= '9'; ++c)
        table[size_t(c)] = c - '0';
    for (int c = 'a'; c <= 'f'; ++c)
        table[size_t(c)] = c - 'a' + 10;
    for (int c = 'A'; c <= 'F'; ++c)
        table[size_t(c)] = c - 'A' + 10;
    return table;
}();

int digitsValue(const char* p, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return -1;
        value = value * 10 + (p[i] - '0');
    }
    return value;
}

// "8C6B3F0E-1234-4A5B-9C8D-0123456789AB", either case.
std::optional<QUuid> parseUuid(std::string_view text)
{
    if (text.size() != 36)
        return std::nullopt;
    uchar bytes[16];
    int count = 0;
    for (size_t i = 0; i < 36;) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i] != '-')
                return std::nullopt;
            ++i;
            continue;
        }
        const int high = kHex[uchar(text[i])];
        const int low = kHex[uchar(text[i + 1])];
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes[count++] = uchar(high << 4 | low);
        i += 2;
    }
    return QUuid::fromRfc4122(QByteArrayView(bytes, 16));
}

// "2025-03-14T09:26:53Z" or with an offset, "2025-03-14T10:26:53+01:00"; no fractions of a second.
std::optional<QDateTime> parseDate(std::string_view text)
{
    if (text.size() != 20 && text.size() != 25)
        return std::nullopt;
    const char* p = text.data();
    if (p[4] != '-' || p[7] != '-' || p[10] != 'T' || p[13] != ':' || p[16] != ':')
        return std::nullopt;
    const int year = digitsValue(p, 4);
    const int month = digitsValue(p + 5, 2);
    const int day = digitsValue(p + 8, 2);
    const int hour = digitsValue(p + 11, 2);
    const int minute = digitsValue(p + 14, 2);
    const int second = digitsValue(p + 17, 2);
    if (year < 1 || month < 1 || day < 1 || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
        second > 59)
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    int offsetSeconds = 0;
    if (text.size() == 20) {
        if (p[19] != 'Z')
            return std::nullopt;
    } else {
        if ((p[19] != '+' && p[19] != '-') || p[22] != ':')
            return std::nullopt;
        const int offsetHours = digitsValue(p + 20, 2);
        const int offsetMinutes = digitsValue(p + 23, 2);
        if (offsetHours < 0 || offsetHours > 23 || offsetMinutes < 0 || offsetMinutes > 59)
            return std::nullopt;
        offsetSeconds = (offsetHours * 3600 + offsetMinutes * 60) * (p[19] == '-' ? -1 : 1);
    }
    return QDateTime(date, QTime(hour, minute, second), Qt::UTC).addSecs(-offsetSeconds);
}

class Reader final
{
public:
    explicit Reader(QByteArrayView text, const char* start = nullptr)
        : m_p(start ? start : text.data()), m_end(text.data() + text.size())
    {
    }

    // Reads the sessions of one piece of the top-level array. The first piece starts at the opening bracket,
    // any other at the opening brace of a session. A piece with a `stop` ends where, after a comma, the next
    // session starts exactly there; without one it ends with the closing bracket at the end of the text.
    // Nothing when the text does not read so, `stop` included.
    std::optional<QList<CleaningSession>> piece(bool first, const char* stop)
    {
        QList<CleaningSession> sessions;
        if (first) {
            if (!expect('['))
                return std::nullopt;
            if (consume(']'))
                return stop ? std::nullopt : end(std::move(sessions));
        }
        while (true) {
            CleaningSession session;
            if (!readSession(session))
                return std::nullopt;
            sessions.append(std::move(session));
            if (!consume(','))
                break;
            skipSpace();
            if (stop && m_p >= stop)
                return m_p == stop ? std::optional(std::move(sessions)) : std::nullopt;
        }
        if (stop || !expect(']'))
            return std::nullopt;
        return end(std::move(sessions));
    }

private:
    // Only blank space may follow the closing bracket.
    std::optional<QList<CleaningSession>> end(QList<CleaningSession> sessions)
    {
        skipSpace();
        if (m_p != m_end)
            return std::nullopt;
        return sessions;
    }

    void skipSpace()
    {
        while (m_p < m_end && isSpace(*m_p))
            ++m_p;
    }

    bool peekIs(char c)
    {
        skipSpace();
        return m_p < m_end && *m_p == c;
    }

    bool consume(char c)
    {
        if (!peekIs(c))
            return false;
        ++m_p;
        return true;
    }

    bool expect(char c) { return consume(c); }

    bool literal(std::string_view word)
    {
        skipSpace();
        if (size_t(m_end - m_p) < word.size() || std::memcmp(m_p, word.data(), word.size()) != 0)
            return false;
        m_p += word.size();
        return true;
    }

    // Moves past the string whose opening quote is next. Printable ASCII without escapes, the usual case for
    // names, identifiers and dates, is left where it stands in `plain`; anything else is decoded into
    // `decoded` (left empty for plain text): escapes resolved, escaped surrogates paired, UTF-8 checked (no
    // overlong forms, surrogates or code points past U+10FFFF).
    bool string(std::string_view* plain, QString* decoded)
    {
        if (!expect('"'))
            return false;
        const uchar* const begin = reinterpret_cast<const uchar*>(m_p);
        const uchar* p = begin;
        const uchar* close = reinterpret_cast<const uchar*>(m_end);
        while (p < close && kPlain[*p])
            ++p;
        if (p < close && *p == '"') {
            *plain = std::string_view(m_p, size_t(p - begin));
            m_p = reinterpret_cast<const char*>(p + 1);
            return true;
        }
        *plain = {};
        // Find the closing quote first, so that the text is decoded in place: it has at most as many UTF-16
        // units as the body has bytes less one per escape.
        const uchar* q = p;
        qsizetype escapes = 0;
        while (q < close && *q != '"') {
            if (*q == '\\') {
                ++escapes;
                q += 2;
            } else {
                ++q;
            }
        }
        if (q >= close)
            return false;
        close = q;
        QString text(close - begin - escapes, Qt::Uninitialized);
        char16_t* w = reinterpret_cast<char16_t*>(text.data());
        for (const uchar* c = begin; c < p; ++c)
            *w++ = *c;
        const auto continuation = [&](int index) { return close - p > index && (p[index] & 0xC0) == 0x80; };
        const auto hex4 = [&]() -> int {
            if (close - p < 4)
                return -1;
            int value = 0;
            for (int i = 0; i < 4; ++i) {
                const int digit = kHex[p[i]];
                if (digit < 0)
                    return -1;
                value = value << 4 | digit;
            }
            p += 4;
            return value;
        };
        while (p < close) {
            const uchar c = *p;
            if (kPlain[c]) {
                *w++ = c;
                ++p;
                continue;
            }
            if (c < 0x20)
                return false;
            if (c == '\\') {
                const uchar e = p[1]; // within the body: the scan above stepped over it
                p += 2;
                switch (e) {
                case '"':
                case '\\':
                case '/':
                    *w++ = e;
                    continue;
                case 'b':
                    *w++ = u'\b';
                    continue;
                case 'f':
                    *w++ = u'\f';
                    continue;
                case 'n':
                    *w++ = u'\n';
                    continue;
                case 'r':
                    *w++ = u'\r';
                    continue;
                case 't':
                    *w++ = u'\t';
                    continue;
                case 'u':
                    break;
                default:
                    return false;
                }
                const int unit = hex4();
                if (unit < 0 || QChar::isLowSurrogate(char32_t(unit)))
                    return false;
                if (QChar::isHighSurrogate(char32_t(unit))) {
                    if (close - p < 2 || p[0] != '\\' || p[1] != 'u')
                        return false;
                    p += 2;
                    const int low = hex4();
                    if (low < 0 || !QChar::isLowSurrogate(char32_t(low)))
                        return false;
                    *w++ = char16_t(unit);
                    *w++ = char16_t(low);
                    continue;
                }
                *w++ = char16_t(unit);
                continue;
            }
            char32_t code = 0;
            if (c >= 0xC2 && c <= 0xDF) {
                if (!continuation(1))
                    return false;
                code = char32_t(c & 0x1F) << 6 | (p[1] & 0x3F);
                p += 2;
            } else if (c >= 0xE0 && c <= 0xEF) {
                if (!continuation(1) || !continuation(2))
                    return false;
                if ((c == 0xE0 && p[1] < 0xA0) || (c == 0xED && p[1] > 0x9F))
                    return false; // overlong, or a surrogate
                code = char32_t(c & 0x0F) << 12 | char32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F);
                p += 3;
            } else if (c >= 0xF0 && c <= 0xF4) {
                if (!continuation(1) || !continuation(2) || !continuation(3))
                    return false;
                if ((c == 0xF0 && p[1] < 0x90) || (c == 0xF4 && p[1] > 0x8F))
                    return false; // overlong, or past U+10FFFF
                code =
                    char32_t(c & 0x07) << 18 | char32_t(p[1] & 0x3F) << 12 | char32_t(p[2] & 0x3F) << 6 | (p[3] & 0x3F);
                p += 4;
            } else {
                return false;
            }
            if (code < 0x10000) {
                *w++ = char16_t(code);
            } else {
                *w++ = QChar::highSurrogate(code);
                *w++ = QChar::lowSurrogate(code);
            }
        }
        text.truncate(w - reinterpret_cast<const char16_t*>(text.constData()));
        *decoded = std::move(text);
        m_p = reinterpret_cast<const char*>(close + 1);
        return true;
    }

    bool readString(QString* out)
    {
        std::string_view plain;
        QString decoded;
        if (!string(&plain, &decoded))
            return false;
        *out = plain.data() ? QString::fromLatin1(plain.data(), qsizetype(plain.size())) : std::move(decoded);
        return true;
    }

    bool readOptionalString(std::optional<QString>* out)
    {
        if (peekIs('n')) {
            out->reset();
            return literal("null");
        }
        QString text;
        if (!readString(&text))
            return false;
        *out = std::move(text);
        return true;
    }

    // A string's text as UTF-8 bytes, for identifiers, dates and member names; `storage` holds them when
    // they had to be decoded.
    bool readBytes(std::string_view* out, std::string* storage)
    {
        QString decoded;
        if (!string(out, &decoded))
            return false;
        if (!out->data()) {
            *storage = decoded.toStdString();
            *out = *storage;
        }
        return true;
    }

    bool readKey(std::string_view* key) { return readBytes(key, &m_keyStorage) && expect(':'); }

    bool readUuid(QUuid* out)
    {
        // Written by us, an identifier is 36 plain characters between quotes.
        skipSpace();
        if (m_end - m_p >= 38 && m_p[0] == '"' && m_p[37] == '"') {
            if (const std::optional<QUuid> id = parseUuid(std::string_view(m_p + 1, 36))) {
                *out = *id;
                m_p += 38;
                return true;
            }
        }
        std::string_view text;
        std::string storage;
        if (!readBytes(&text, &storage))
            return false;
        const std::optional<QUuid> id = parseUuid(text);
        if (!id)
            return false;
        *out = *id;
        return true;
    }

    bool readDate(QDateTime* out)
    {
        std::string_view text;
        std::string storage;
        if (!readBytes(&text, &storage))
            return false;
        const std::optional<QDateTime> date = parseDate(text);
        if (!date)
            return false;
        *out = *date;
        return true;
    }

    // A JSON number with no fraction and no exponent that fits in 64 bits.
    bool readInteger(qint64* out)
    {
        skipSpace();
        const char* const begin = m_p;
        const char* p = m_p;
        if (p < m_end && *p == '-')
            ++p;
        if (p >= m_end || *p < '0' || *p > '9')
            return false;
        if (*p == '0' && p + 1 < m_end && p[1] >= '0' && p[1] <= '9')
            return false; // a leading zero is not JSON
        while (p < m_end && *p >= '0' && *p <= '9')
            ++p;
        if (p < m_end && (*p == '.' || *p == 'e' || *p == 'E'))
            return false;
        const std::from_chars_result result = std::from_chars(begin, p, *out);
        if (result.ec != std::errc() || result.ptr != p)
            return false;
        m_p = p;
        return true;
    }

    // The same for a JSON integer from 0 to 2^64 - 1.
    bool readUnsigned(quint64* out)
    {
        skipSpace();
        const char* p = m_p;
        if (p >= m_end || *p < '0' || *p > '9')
            return false;
        if (*p == '0' && p + 1 < m_end && p[1] >= '0' && p[1] <= '9')
            return false;
        while (p < m_end && *p >= '0' && *p <= '9')
            ++p;
        if (p < m_end && (*p == '.' || *p == 'e' || *p == 'E'))
            return false;
        const std::from_chars_result result = std::from_chars(m_p, p, *out);
        if (result.ec != std::errc() || result.ptr != p)
            return false;
        m_p = p;
        return true;
    }

    bool readKind(Platform::EntryKind* out)
    {
        std::string_view text;
        std::string storage;
        if (!readBytes(&text, &storage))
            return false;
        *out = kindFromText(text);
        return true;
    }

    bool readInt(int* out)
    {
        qint64 value = 0;
        if (!readInteger(&value) || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
            return false;
        *out = int(value);
        return true;
    }

    bool readBool(bool* out)
    {
        if (peekIs('t')) {
            *out = true;
            return literal("true");
        }
        *out = false;
        return literal("false");
    }

    // Moves past any JSON value, checking it as strictly as the values we read.
    bool skipValue(int depth)
    {
        if (depth > kMaxDepth)
            return false;
        skipSpace();
        if (m_p >= m_end)
            return false;
        switch (*m_p) {
        case '"': {
            QString ignored;
            return readString(&ignored);
        }
        case '{':
            ++m_p;
            if (consume('}'))
                return true;
            do {
                std::string_view key;
                if (!readKey(&key) || !skipValue(depth + 1))
                    return false;
            } while (consume(','));
            return expect('}');
        case '[':
            ++m_p;
            if (consume(']'))
                return true;
            do {
                if (!skipValue(depth + 1))
                    return false;
            } while (consume(','));
            return expect(']');
        case 't':
            return literal("true");
        case 'f':
            return literal("false");
        case 'n':
            return literal("null");
        default:
            return skipNumber();
        }
    }

    bool skipNumber()
    {
        const auto digits = [this]() {
            const char* const start = m_p;
            while (m_p < m_end && *m_p >= '0' && *m_p <= '9')
                ++m_p;
            return m_p > start;
        };
        if (m_p < m_end && *m_p == '-')
            ++m_p;
        if (m_p < m_end && *m_p == '0')
            ++m_p;
        else if (!digits())
            return false;
        if (m_p < m_end && *m_p == '.') {
            ++m_p;
            if (!digits())
                return false;
        }
        if (m_p < m_end && (*m_p == 'e' || *m_p == 'E')) {
            ++m_p;
            if (m_p < m_end && (*m_p == '+' || *m_p == '-'))
                ++m_p;
            if (!digits())
                return false;
        }
        return true;
    }

    // Reads `{ … }` member by member; `member` reads the value of a known name, or returns nullopt for an
    // unknown one, which is skipped.
    template <class Member> bool object(Member&& member)
    {
        if (!expect('{'))
            return false;
        if (consume('}'))
            return true;
        do {
            std::string_view key;
            if (!readKey(&key))
                return false;
            const std::optional<bool> known = member(key);
            if (known ? !*known : !skipValue(1))
                return false;
        } while (consume(','));
        return expect('}');
    }

    bool readFile(RemovedFile& file)
    {
        enum : unsigned { Id = 1, OriginalPath = 2, Bytes = 4, Restored = 8, All = 15 };
        enum : unsigned { Device = 1, Inode = 2, Kind = 4, WholeIdentity = 7 };
        unsigned seen = 0;
        unsigned identitySeen = 0;
        Platform::ItemIdentity identity;
        const bool read = object([&](std::string_view key) -> std::optional<bool> {
            if (key == RemovedKeys::id) {
                seen |= Id;
                return readUuid(&file.id);
            }
            if (key == RemovedKeys::originalPath) {
                seen |= OriginalPath;
                return readString(&file.originalPath);
            }
            if (key == RemovedKeys::trashPath)
                return readOptionalString(&file.trashPath);
            if (key == RemovedKeys::bytes) {
                seen |= Bytes;
                return readInteger(&file.bytes);
            }
            if (key == RemovedKeys::restored) {
                seen |= Restored;
                return readBool(&file.restored);
            }
            if (key == RemovedKeys::trashDevice) {
                identitySeen |= Device;
                return readUnsigned(&identity.device);
            }
            if (key == RemovedKeys::trashInode) {
                identitySeen |= Inode;
                return readUnsigned(&identity.inode);
            }
            if (key == RemovedKeys::trashKind) {
                identitySeen |= Kind;
                return readKind(&identity.kind);
            }
            return std::nullopt;
        });
        // The identity's members come together or not at all, and only with a place in the Trash.
        if (!read || seen != All || (identitySeen != 0 && identitySeen != WholeIdentity))
            return false;
        if (identitySeen == WholeIdentity) {
            if (!file.trashPath)
                return false;
            file.trashIdentity = identity;
        }
        return true;
    }

    bool readFiles(QList<RemovedFile>* files)
    {
        files->clear();
        if (!expect('['))
            return false;
        if (consume(']'))
            return true;
        do {
            RemovedFile file;
            if (!readFile(file))
                return false;
            files->append(std::move(file));
        } while (consume(','));
        return expect(']');
    }

    bool readSession(CleaningSession& session)
    {
        enum : unsigned {
            Id = 1,
            Date = 2,
            ModuleID = 4,
            ModuleTitle = 8,
            FreedBytes = 16,
            FailureCount = 32,
            Files = 64,
            All = 127
        };
        unsigned seen = 0;
        const bool read = object([&](std::string_view key) -> std::optional<bool> {
            if (key == SessionKeys::id) {
                seen |= Id;
                return readUuid(&session.id);
            }
            if (key == SessionKeys::date) {
                seen |= Date;
                return readDate(&session.date);
            }
            if (key == SessionKeys::moduleID) {
                seen |= ModuleID;
                return readString(&session.moduleID);
            }
            if (key == SessionKeys::moduleTitle) {
                seen |= ModuleTitle;
                return readString(&session.moduleTitle);
            }
            if (key == SessionKeys::freedBytes) {
                seen |= FreedBytes;
                return readInteger(&session.freedBytes);
            }
            if (key == SessionKeys::failureCount) {
                seen |= FailureCount;
                return readInt(&session.failureCount);
            }
            if (key == SessionKeys::files) {
                seen |= Files;
                return readFiles(&session.files);
            }
            if (key == SessionKeys::snapshotStamp)
                return readOptionalString(&session.snapshotStamp);
            return std::nullopt;
        });
        return read && seen == All;
    }

    const char* m_p;
    const char* const m_end;
    std::string m_keyStorage;
};

// Where to cut the text into about `pieces` pieces to be read side by side: at sessions laid out one to a
// line, each opening brace beginning a line indented as the first session's, after a line ending with a
// comma. A layout that offers no such place gives no cut. The places are only likely session starts: every
// piece is checked to end exactly where the next begins, which holds only at a true one.
std::vector<const char*> pieceStarts(QByteArrayView text, int pieces)
{
    std::vector<const char*> starts;
    const std::string_view all(text.data(), size_t(text.size()));
    const size_t bracket = all.find_first_not_of(" \t\r\n");
    if (pieces < 2 || bracket == std::string_view::npos || all[bracket] != '[')
        return starts;
    const size_t brace = all.find_first_not_of(" \t\r\n", bracket + 1);
    const size_t lineStart = brace == std::string_view::npos ? brace : all.rfind('\n', brace);
    if (brace == std::string_view::npos || all[brace] != '{' || lineStart == std::string_view::npos ||
        lineStart < bracket)
        return starts;
    const std::string_view marker = all.substr(lineStart, brace - lineStart + 1); // "\n" + indentation + "{"
    size_t from = brace + 1;
    for (int cut = 1; cut < pieces; ++cut) {
        size_t at = std::max(from, size_t(qint64(all.size()) * cut / pieces));
        while ((at = all.find(marker, at)) != std::string_view::npos) {
            const size_t comma = all.find_last_not_of(" \t\r", at - 1);
            if (comma != std::string_view::npos && all[comma] == ',')
                break;
            at += marker.size();
        }
        if (at == std::string_view::npos)
            break;
        starts.push_back(text.data() + at + marker.size() - 1);
        from = at + marker.size();
    }
    return starts;
}

} // namespace

bool encode(const QList<CleaningSession>& sessions, const Sink& sink, bool* exact)
{
    Writer out(sink);
    if (exact)
        *exact = false;
    if (sessions.isEmpty()) {
        out.raw("[]\n");
        if (exact)
            *exact = true;
        return out.finish();
    }
    out.raw("[");
    for (qsizetype i = 0; i < sessions.size(); ++i) {
        out.raw(i == 0 ? "" : ",");
        out.newline(1);
        out.raw("{");
        if (!writeSession(out, sessions[i]))
            return false;
        out.newline(1);
        out.raw("}");
    }
    out.raw("\n]\n");
    if (exact)
        *exact = out.exact();
    return out.finish();
}

std::optional<QByteArray> encode(const QList<CleaningSession>& sessions)
{
    QByteArray text;
    const bool encoded = encode(sessions, [&text](QByteArrayView bytes) {
        text.append(bytes);
        return true;
    });
    return encoded ? std::optional<QByteArray>(std::move(text)) : std::nullopt;
}

std::optional<QList<CleaningSession>> decode(QByteArrayView text)
{
    constexpr qsizetype kPieceSize = 4 << 20;
    const int processors = int(std::max(1u, std::thread::hardware_concurrency()));
    return decode(text, int(std::clamp<qsizetype>(text.size() / kPieceSize, 1, std::min(processors, 8))));
}

std::optional<QList<CleaningSession>> decode(QByteArrayView text, int pieces)
{
    const std::vector<const char*> starts = pieceStarts(text, pieces);
    if (starts.empty())
        return Reader(text).piece(true, nullptr);

    std::vector<std::optional<QList<CleaningSession>>> read(starts.size() + 1);
    const auto readPiece = [&](size_t index) {
        const char* const stop = index < starts.size() ? starts[index] : nullptr;
        read[index] = index == 0 ? Reader(text).piece(true, stop) : Reader(text, starts[index - 1]).piece(false, stop);
    };
    std::vector<std::thread> threads;
    for (size_t index = 1; index <= starts.size(); ++index) {
        try {
            threads.emplace_back(readPiece, index);
        } catch (const std::system_error&) {
            readPiece(index); // no thread to spare: read it here
        }
    }
    readPiece(0);
    for (std::thread& thread : threads)
        thread.join();

    // A piece that did not end exactly where the next one starts was cut at the wrong place, or the text is
    // not a journal: reading it whole decides.
    if (std::any_of(read.cbegin(), read.cend(), [](const auto& piece) { return !piece.has_value(); }))
        return Reader(text).piece(true, nullptr);
    QList<CleaningSession> sessions;
    qsizetype count = 0;
    for (const auto& piece : read)
        count += piece->size();
    sessions.reserve(count);
    for (auto& piece : read)
        sessions.append(std::move(*piece));
    return sessions;
}

} // namespace HistoryFile
