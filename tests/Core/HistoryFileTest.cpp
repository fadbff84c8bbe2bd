#include "Core/HistoryFile.h"

#include <limits>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray journalWith(const QByteArray& session)
{
    return "[" + session + "]";
}

// A valid session object with `extra` spliced in among its members and `files` as its file list.
QByteArray sessionText(const QByteArray& extra = {}, const QByteArray& files = "[]")
{
    return R"({"id":"0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0","date":"2025-03-14T09:26:53Z","moduleID":"systemJunk",)"
           R"("moduleTitle":"Fichiers système","freedBytes":10,"failureCount":0,)" +
           extra + R"("files":)" + files + "}";
}

QByteArray fileText(const QByteArray& extra = {})
{
    return R"({"id":"11111111-2222-3333-4444-555555555555","originalPath":"\/a\/b",)" + extra +
           R"("bytes":5,"restored":false})";
}

// The text, with what the encoder says of keeping everything as it stands.
std::optional<QByteArray> encodeTelling(const QList<CleaningSession>& sessions, bool* exact)
{
    QByteArray text;
    const HistoryFile::Sink sink = [&text](QByteArrayView bytes) {
        text.append(bytes);
        return true;
    };
    return HistoryFile::encode(sessions, sink, exact) ? std::optional(text) : std::nullopt;
}

} // namespace

TEST(HistoryFile, decodesWhatItEncodesAndEmptyJournals)
{
    CleaningSession session;
    session.id = QUuid::createUuid();
    session.date = QDateTime(QDate(2025, 3, 14), QTime(10, 0, 0), Qt::UTC);
    session.moduleID = u"unknownModule"_s; // kept as text
    session.moduleTitle = u"Ligne\n\ttab \x01 \\ \" / 😀 é"_s;
    session.freedBytes = std::numeric_limits<qint64>::max();
    session.failureCount = std::numeric_limits<int>::max();
    session.files = {
        RemovedFile{QUuid::createUuid(), u"/x/y"_s, std::nullopt, std::numeric_limits<qint64>::min(), true},
        RemovedFile{QUuid::createUuid(), u"/x/z"_s, u"/t/z 2"_s, 0, false},
        RemovedFile{QUuid::createUuid(), u"/x/w"_s, u"/t/w"_s, 1, false,
                    Platform::ItemIdentity{std::numeric_limits<quint64>::max(), 0, Platform::EntryKind::Symlink}}};
    bool exact = false;
    const std::optional<QByteArray> text = encodeTelling({session}, &exact);
    ASSERT_TRUE(text.has_value());
    EXPECT_TRUE(exact);
    EXPECT_EQ(HistoryFile::decode(*text), QList<CleaningSession>{session});

    EXPECT_EQ(HistoryFile::encode({}), QByteArray("[]\n"));
    EXPECT_EQ(HistoryFile::decode("[]"), QList<CleaningSession>{});
    EXPECT_EQ(HistoryFile::decode(" \n[ ]\t\r\n"), QList<CleaningSession>{});
}

TEST(HistoryFile, encodingReportsWhatItCannotKeep)
{
    CleaningSession session;
    session.id = QUuid::createUuid();
    session.date = QDateTime(QDate(2025, 3, 14), QTime(10, 0, 0, 700), Qt::UTC);
    bool exact = true;
    const std::optional<QByteArray> text = encodeTelling({session}, &exact);
    ASSERT_TRUE(text.has_value());
    EXPECT_FALSE(exact);
    EXPECT_EQ(HistoryFile::decode(*text)->front().date, QDateTime(QDate(2025, 3, 14), QTime(10, 0, 0), Qt::UTC));

    session.date = QDateTime(QDate(2025, 3, 14), QTime(10, 0, 0), Qt::UTC);
    session.moduleTitle = QString(QChar(0xD800)); // a lone surrogate cannot be written as it stands
    exact = true;
    ASSERT_TRUE(encodeTelling({session}, &exact).has_value());
    EXPECT_FALSE(exact);

    for (const QDateTime& date : {QDateTime(), QDateTime(QDate(10000, 1, 1), QTime(0, 0), Qt::UTC)}) {
        session.date = date;
        EXPECT_FALSE(HistoryFile::encode({session}).has_value());
    }
    session.date = QDateTime(QDate(2025, 3, 14), QTime(10, 0, 0), Qt::UTC);
    EXPECT_FALSE(HistoryFile::encode({session}, [](QByteArrayView) { return false; }));
}

TEST(HistoryFile, readingAcceptsAbsentValuesUnknownMembersAndAnyLayout)
{
    const std::optional<QList<CleaningSession>> read = HistoryFile::decode(journalWith(
        sessionText(R"("snapshotStamp":null,"extra":{"nested":[1,-2.5e3,true,null,"\u00e9"]},)",
                    "[" + fileText(R"("trashPath":null,)") + "," + fileText(R"("trashPath":"\/T\/b",)") + "]")));
    ASSERT_TRUE(read.has_value());
    ASSERT_EQ(read->size(), 1);
    EXPECT_FALSE(read->front().snapshotStamp.has_value());
    ASSERT_EQ(read->front().files.size(), 2);
    EXPECT_FALSE(read->front().files[0].trashPath.has_value());
    EXPECT_EQ(read->front().files[1].trashPath, u"/T/b"_s);
    EXPECT_EQ(read->front().files[0].originalPath, u"/a/b"_s);
    EXPECT_EQ(read->front().moduleTitle, u"Fichiers système"_s);

    struct Case {
        const char* what;
        QByteArray text;
        std::function<void(const CleaningSession&)> check;
    };
    const Case cases[] = {
        {"lower-case identifier",
         journalWith(
             sessionText().replace("0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0", "0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0")),
         [](const CleaningSession& s) { EXPECT_EQ(s.id, QUuid(u"0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0"_s)); }},
        {"date with an offset", journalWith(sessionText().replace("2025-03-14T09:26:53Z", "2025-03-14T10:26:53+01:00")),
         [](const CleaningSession& s) { EXPECT_EQ(s.date, QDateTime(QDate(2025, 3, 14), QTime(9, 26, 53), Qt::UTC)); }},
        {"escapes", journalWith(sessionText(R"("snapshotStamp":"\u00e9\ud83d\ude00\/\"\\\n",)")),
         [](const CleaningSession& s) { EXPECT_EQ(s.snapshotStamp, u"é😀/\"\\\n"_s); }},
        {"size above 2^53", journalWith(sessionText().replace("\"freedBytes\":10", "\"freedBytes\":9007199254740993")),
         [](const CleaningSession& s) { EXPECT_EQ(s.freedBytes, 9007199254740993LL); }},
        {"last of a repeated member", journalWith(sessionText(R"("snapshotStamp":"a","snapshotStamp":null,)")),
         [](const CleaningSession& s) { EXPECT_FALSE(s.snapshotStamp.has_value()); }},
        {"the trashed item's identity",
         journalWith(sessionText(
             {}, "[" + fileText(R"("trashKind":"directory","trashPath":"\/T\/b","trashDevice":2049,"trashInode":77,)") +
                     "]")),
         [](const CleaningSession& s) {
             EXPECT_EQ(s.files[0].trashIdentity, (Platform::ItemIdentity{2049, 77, Platform::EntryKind::Directory}));
         }},
        {"a kind not known here",
         journalWith(sessionText(
             {}, "[" + fileText(R"("trashPath":"\/T\/b","trashDevice":1,"trashInode":2,"trashKind":"socket",)") + "]")),
         [](const CleaningSession& s) { EXPECT_EQ(s.files[0].trashIdentity->kind, Platform::EntryKind::Other); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<QList<CleaningSession>> sessions = HistoryFile::decode(c.text);
        ASSERT_TRUE(sessions.has_value());
        ASSERT_EQ(sessions->size(), 1);
        c.check(sessions->front());
    }
}

TEST(HistoryFile, anyFaultAnywhereRejectsTheWholeJournal)
{
    const QByteArray good = sessionText();
    const struct {
        const char* what;
        QByteArray text;
    } cases[] = {
        {"no text", ""},
        {"not JSON", "not json"},
        {"an object, not an array", good},
        {"cut short", journalWith(good).chopped(1)},
        {"trailing text", journalWith(good) + "x"},
        {"trailing comma", "[" + good + ",]"},
        {"a good session beside a bad one",
         "[" + good + "," + QByteArray(good).replace("\"failureCount\":0,", "") + "]"},
        {"missing failureCount", journalWith(QByteArray(good).replace("\"failureCount\":0,", ""))},
        {"missing files", journalWith(QByteArray(good).replace(",\"files\":[]", ""))},
        {"missing restored in a file",
         journalWith(sessionText({}, "[" + fileText().replace(",\"restored\":false", "") + "]"))},
        {"null for a required member",
         journalWith(QByteArray(good).replace("\"freedBytes\":10", "\"freedBytes\":null"))},
        {"fraction of a second",
         journalWith(QByteArray(good).replace("2025-03-14T09:26:53Z", "2025-03-14T09:26:53.000Z"))},
        {"not an internet date", journalWith(QByteArray(good).replace("2025-03-14T09:26:53Z", "14/03/2025 09:26"))},
        {"date without its zone", journalWith(QByteArray(good).replace("2025-03-14T09:26:53Z", "2025-03-14T09:26:53"))},
        {"impossible day", journalWith(QByteArray(good).replace("2025-03-14T09:26:53Z", "2025-02-30T09:26:53Z"))},
        {"bad identifier", journalWith(QByteArray(good).replace("0F1E2D3C-4B5A", "0F1E2D3C4B5A-"))},
        {"braced identifier", journalWith(QByteArray(good).replace("\"0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0\"",
                                                                   "\"{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}\""))},
        {"size as text", journalWith(QByteArray(good).replace("\"freedBytes\":10", "\"freedBytes\":\"10\""))},
        {"size with a fraction", journalWith(QByteArray(good).replace("\"freedBytes\":10", "\"freedBytes\":10.5"))},
        {"size past 64 bits",
         journalWith(QByteArray(good).replace("\"freedBytes\":10", "\"freedBytes\":9223372036854775808"))},
        {"count past int", journalWith(QByteArray(good).replace("\"failureCount\":0", "\"failureCount\":4294967296"))},
        {"leading zero", journalWith(QByteArray(good).replace("\"freedBytes\":10", "\"freedBytes\":010"))},
        {"restored as a number", journalWith(sessionText({}, "[" + fileText().replace("false", "0") + "]"))},
        {"stamp of the wrong type", journalWith(sessionText(R"("snapshotStamp":12,)"))},
        {"invalid UTF-8", journalWith(QByteArray(good).replace("système", "syst\xC3\x28me"))},
        {"encoded surrogate", journalWith(QByteArray(good).replace("système", "syst\xED\xA0\x80me"))},
        {"lone escaped surrogate", journalWith(sessionText(R"("snapshotStamp":"\ud83d",)"))},
        {"unknown escape", journalWith(sessionText(R"("snapshotStamp":"\q",)"))},
        {"raw control character", journalWith(sessionText("\"snapshotStamp\":\"a\tb\","))},
        {"bad unknown member", journalWith(sessionText(R"("extra":[1,],)"))},
        {"an identity without its inode",
         journalWith(
             sessionText({}, "[" + fileText(R"("trashPath":"\/T","trashDevice":1,"trashKind":"regular",)") + "]"))},
        {"an identity without a place in the Trash",
         journalWith(
             sessionText({}, "[" + fileText(R"("trashDevice":1,"trashInode":2,"trashKind":"regular",)") + "]"))},
        {"an inode below zero",
         journalWith(sessionText(
             {}, "[" + fileText(R"("trashPath":"\/T","trashDevice":1,"trashInode":-2,"trashKind":"regular",)") + "]"))},
        {"a device as text",
         journalWith(sessionText(
             {},
             "[" + fileText(R"("trashPath":"\/T","trashDevice":"1","trashInode":2,"trashKind":"regular",)") + "]"))},
        {"too deeply nested",
         journalWith(sessionText("\"extra\":" + QByteArray(600, '[') + QByteArray(600, ']') + ","))},
    };
    ASSERT_TRUE(HistoryFile::decode(journalWith(good)).has_value());
    for (const auto& c : cases)
        EXPECT_FALSE(HistoryFile::decode(c.text).has_value()) << c.what;
}

TEST(HistoryFile, readingInPiecesGivesWhatReadingWholeGives)
{
    QList<CleaningSession> sessions;
    for (int s = 0; s < 40; ++s) {
        CleaningSession session;
        session.id = QUuid::createUuid();
        session.date = QDateTime(QDate(2025, 3, 1), QTime(0, 0), Qt::UTC).addSecs(-3600 * s);
        session.moduleID = u"systemJunk"_s;
        session.moduleTitle = u"Fichiers système"_s;
        for (int f = 0; f < s % 4; ++f)
            session.files.append(RemovedFile{QUuid::createUuid(), u"/a/%1"_s.arg(f), u"/t/%1"_s.arg(f), f, false});
        sessions.append(session);
    }
    const QByteArray text = *HistoryFile::encode(sessions);
    // Places laid out like session starts that are not: inside an unknown member, one of them a whole session.
    const QByteArray trap = "\"extra\": [\n  {\"skip\": true},\n  " + sessionText() + ",\n  {}\n],";
    const QByteArray trapped =
        QByteArray(text).replace("\n  {\n    \"date\"", QByteArray("\n  {\n    " + trap + "\n    \"date\""));
    ASSERT_EQ(trapped.count("\"skip\""), 40);
    QByteArray damaged = text;
    damaged.replace(damaged.lastIndexOf("\"failureCount\"", text.size() / 2), 14, "\"failureCounts\"");

    for (const int pieces : {1, 2, 3, 7, 40, 100}) {
        // Compared whole: a mismatch would print every record byte by byte.
        EXPECT_TRUE(HistoryFile::decode(text, pieces) == sessions) << pieces;
        EXPECT_TRUE(HistoryFile::decode(trapped, pieces) == sessions) << pieces;
        EXPECT_FALSE(HistoryFile::decode(damaged, pieces).has_value()) << pieces;
    }
}
