#include "Core/History.h"

#include "Core/FileUtils.h"
#include "Core/HistoryFile.h"
#include "Core/StandardServices.h"
#include "Platform/FileOperations.h"
#include "Platform/FileSystem.h"
#include "Sandbox.h"
#include "TempTree.h"

#include <chrono>
#include <random>
#include <thread>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeJournal(const QString& path, const QByteArray& text)
{
    ASSERT_FALSE(Platform::writeFileAtomically(path, text).has_value());
}

QDateTime at(int day, int hour, int minute = 0, int second = 0)
{
    return QDateTime(QDate(2025, 3, day), QTime(hour, minute, second), Qt::UTC);
}

CleaningSession sessionAt(const QDateTime& date, const QString& moduleTitle = {})
{
    CleaningSession session;
    session.id = QUuid::createUuid();
    session.date = date;
    session.moduleID = u"systemJunk"_s;
    session.moduleTitle = moduleTitle;
    session.freedBytes = 100;
    session.files = {RemovedFile{QUuid::createUuid(), u"/x"_s, std::nullopt, 100, false}};
    return session;
}

QStringList titles(const QList<CleaningSession>& sessions)
{
    QStringList result;
    for (const CleaningSession& session : sessions)
        result.append(session.moduleTitle);
    return result;
}

Removal::Removed removedItem(const QString& origin, const std::optional<QString>& trashed, qint64 bytes)
{
    return Removal::Removed{origin, trashed, bytes};
}

} // namespace

TEST(History, writesTheJournalByteForByte)
{
    const TempTree tree;
    CleaningSession newer;
    newer.id = QUuid(u"0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0"_s);
    newer.date = QDateTime(QDate(2025, 3, 14), QTime(9, 26, 53, 700), Qt::UTC);
    newer.moduleID = u"systemJunk"_s;
    newer.moduleTitle = u"Fichiers système"_s;
    newer.freedBytes = 9007199254740993; // 2^53 + 1: a double would drift
    newer.failureCount = 2;
    newer.snapshotStamp = u"2025-03-14-092650"_s;
    newer.files = {RemovedFile{QUuid(u"AAAAAAAA-BBBB-4CCC-8DDD-EEEEEEEEEEEE"_s),
                               u"/Users/zoé/Library/Caches/l'app \"bêta\"/cache.db"_s, u"/Users/zoé/.Trash/cache.db"_s,
                               9007199254740993, false}};
    CleaningSession older;
    older.id = QUuid(u"12345678-9ABC-4DEF-8123-456789ABCDEF"_s);
    older.date = QDateTime(QDate(2025, 3, 13), QTime(8, 0, 0), Qt::UTC);
    older.moduleID = u"shredder"_s;
    older.moduleTitle = u"Broyeur"_s;
    older.freedBytes = 4096;
    older.files = {
        RemovedFile{QUuid(u"00000000-0000-4000-8000-00000000000A"_s), u"C:\\tmp\\a b"_s, std::nullopt, 4096, true}};

    History history(tree.path(u"history.json"_s));
    history.save({newer, older});
    EXPECT_EQ(QString::fromUtf8(contents(history.fileURL())), uR"([
  {
    "date": "2025-03-14T09:26:53Z",
    "failureCount": 2,
    "files": [
      {
        "bytes": 9007199254740993,
        "id": "AAAAAAAA-BBBB-4CCC-8DDD-EEEEEEEEEEEE",
        "originalPath": "\/Users\/zoé\/Library\/Caches\/l'app \"bêta\"\/cache.db",
        "restored": false,
        "trashPath": "\/Users\/zoé\/.Trash\/cache.db"
      }
    ],
    "freedBytes": 9007199254740993,
    "id": "0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0",
    "moduleID": "systemJunk",
    "moduleTitle": "Fichiers système",
    "snapshotStamp": "2025-03-14-092650"
  },
  {
    "date": "2025-03-13T08:00:00Z",
    "failureCount": 0,
    "files": [
      {
        "bytes": 4096,
        "id": "00000000-0000-4000-8000-00000000000A",
        "originalPath": "C:\\tmp\\a b",
        "restored": true
      }
    ],
    "freedBytes": 4096,
    "id": "12345678-9ABC-4DEF-8123-456789ABCDEF",
    "moduleID": "shredder",
    "moduleTitle": "Broyeur"
  }
]
)"_s);

    // Read back: absent values stay absent, sizes stay exact, the date lost only its fraction.
    const History reread(history.fileURL());
    newer.date = QDateTime(QDate(2025, 3, 14), QTime(9, 26, 53), Qt::UTC);
    EXPECT_EQ(reread.sessions(), (QList<CleaningSession>{newer, older}));
    EXPECT_EQ(reread.totalFreed(), 9007199254740993); // the older session was put back whole: it frees nothing now
    EXPECT_EQ(reread.session(older.id), older);
    EXPECT_FALSE(reread.session(QUuid::createUuid()).has_value());
}

TEST(History, recordJournalsOneEntryPerCleaningThatRemovedSomething)
{
    const TempTree tree;
    History history(tree.path(u"history.json"_s));
    QSignalSpy changes(&history, &History::changed);

    Removal::Report nothingRemoved;
    nothingRemoved.freedBytes = 500;
    nothingRemoved.failures = {Removal::Failure{u"/a"_s, u"Refusé."_s}};
    EXPECT_FALSE(history.record(nothingRemoved, ModuleID::systemJunk, u"stamp"_s).has_value());
    EXPECT_FALSE(Platform::fileInfo(history.fileURL()).has_value());
    EXPECT_EQ(changes.count(), 0);

    Removal::Report report;
    report.freedBytes = 3000;
    report.failures = {Removal::Failure{u"/c"_s, u"Refusé."_s}, Removal::Failure{u"/d"_s, u"Refusé."_s}};
    report.removed = {removedItem(u"/u/a"_s, u"/u/.Trash/a"_s, 1000), removedItem(u"/u/b"_s, std::nullopt, 2000)};
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
    const std::optional<QUuid> id = history.record(report, ModuleID::largeOldFiles, std::nullopt);
    ASSERT_TRUE(id.has_value());
    EXPECT_EQ(changes.count(), 1);

    ASSERT_EQ(history.sessions().size(), 1);
    const CleaningSession& session = history.sessions().front();
    EXPECT_EQ(session.id, *id);
    EXPECT_GE(session.date, before);
    EXPECT_LE(session.date, QDateTime::currentDateTimeUtc());
    EXPECT_EQ(session.moduleID, u"largeOldFiles"_s);
    EXPECT_EQ(session.moduleTitle, u"Fichiers volumineux et anciens"_s);
    EXPECT_EQ(session.freedBytes, 3000);
    EXPECT_EQ(session.failureCount, 2);
    EXPECT_FALSE(session.snapshotStamp.has_value());
    ASSERT_EQ(session.files.size(), 2);
    EXPECT_EQ(session.files[0].originalPath, u"/u/a"_s);
    EXPECT_EQ(session.files[0].trashPath, u"/u/.Trash/a"_s);
    EXPECT_EQ(session.files[0].bytes, 1000);
    EXPECT_EQ(session.files[1].originalPath, u"/u/b"_s);
    EXPECT_FALSE(session.files[1].trashPath.has_value());
    EXPECT_FALSE(session.files[0].restored || session.files[1].restored);
    EXPECT_NE(session.files[0].id, session.files[1].id);

    // The file holds exactly what is published: no "snapshotStamp", no "trashPath" for the deleted file.
    const QByteArray text = contents(history.fileURL());
    EXPECT_FALSE(text.contains("snapshotStamp"));
    EXPECT_EQ(text.count("trashPath"), 1);
    EXPECT_EQ(History(history.fileURL()).sessions(), history.sessions());
}

TEST(History, keepsTheTwoHundredNewestNewestFirst)
{
    const TempTree tree;
    const QString path = tree.path(u"history.json"_s);
    QList<CleaningSession> full;
    for (int i = 0; i < History::sessionLimit; ++i)
        full.append(sessionAt(at(1, 0).addSecs(60 * i), QString::number(i))); // oldest first
    History(path).save(full);

    History history(path);
    EXPECT_EQ(history.sessions(), full) << "published as the file holds them, not re-sorted";

    Removal::Report report;
    report.removed = {removedItem(u"/a"_s, std::nullopt, 1)};
    const std::optional<QUuid> id = history.record(report, ModuleID::shredder, std::nullopt);
    const QList<CleaningSession> read = History(path).sessions();
    ASSERT_EQ(read.size(), History::sessionLimit);
    EXPECT_EQ(read.front().id, id);
    EXPECT_EQ(read[1].moduleTitle, u"199"_s);
    EXPECT_EQ(read.back().moduleTitle, u"1"_s) << "the oldest is the one that went";
    EXPECT_EQ(history.sessions(), read);
}

TEST(History, sortingIsStableForEqualDates)
{
    QList<CleaningSession> sessions = {sessionAt(at(1, 10), u"a"_s), sessionAt(at(2, 10), u"b"_s),
                                       sessionAt(at(1, 10), u"c"_s), sessionAt(at(3, 10), u"d"_s),
                                       sessionAt(at(2, 10), u"e"_s), sessionAt(at(1, 10), u"f"_s)};
    History::sortNewestFirst(sessions);
    EXPECT_EQ(titles(sessions), (QStringList{u"d"_s, u"b"_s, u"e"_s, u"a"_s, u"c"_s, u"f"_s}));

    // Enough sessions that a sort which is not stable would show it.
    QList<CleaningSession> many;
    QStringList expected[3];
    for (int i = 0; i < 90; ++i) {
        const int day = 1 + (i * 7) % 3;
        many.append(sessionAt(at(day, 10), QString::number(i)));
        expected[3 - day].append(QString::number(i));
    }
    History::sortNewestFirst(many);
    EXPECT_EQ(titles(many), expected[0] + expected[1] + expected[2]);

    // Through the file too: two sessions recorded within one second keep newest first.
    const TempTree tree;
    History history(tree.path(u"history.json"_s));
    history.save({sessionAt(at(1, 10), u"first"_s), sessionAt(at(1, 10), u"second"_s)});
    history.update([](QList<CleaningSession>& list) { list.append(sessionAt(at(1, 10), u"third"_s)); });
    EXPECT_EQ(titles(History(history.fileURL()).sessions()), (QStringList{u"first"_s, u"second"_s, u"third"_s}));
}

TEST(History, anUndecodableJournalIsSetAsideNeverOverwritten)
{
    const TempTree tree;
    const QString path = tree.path(u"history.json"_s);
    const QByteArray damaged = "[{\"id\": \"cut short";
    writeJournal(path, damaged);

    History history(path);
    EXPECT_TRUE(history.sessions().isEmpty());
    EXPECT_EQ(contents(path), damaged) << "reading alone changes nothing";

    Removal::Report report;
    report.removed = {removedItem(u"/a"_s, std::nullopt, 1)};
    history.record(report, ModuleID::shredder, std::nullopt);
    EXPECT_EQ(History(path).sessions().size(), 1);

    // A second damaged journal does not replace copies set aside before, even under the same stamp.
    const QByteArray earlier = "set aside earlier";
    const QDateTime now = QDateTime::currentDateTimeUtc();
    int placeholders = 0;
    for (const QDateTime& second : {now, now.addSecs(1)}) {
        const QString name = path + u".corrupt-"_s + second.toString(u"yyyyMMdd'T'HHmmss'Z'"_s);
        if (!Platform::fileInfo(name)) {
            writeJournal(name, earlier);
            ++placeholders;
        }
    }
    const QByteArray damagedAgain = "not a journal";
    writeJournal(path, damagedAgain);
    history.record(report, ModuleID::shredder, std::nullopt);
    EXPECT_EQ(History(path).sessions().size(), 1) << "the cycle started from the empty list, as the file read";

    QList<QByteArray> kept;
    QStringList names;
    for (const Platform::FileInfo& entry : Platform::listFolder(tree.root())) {
        if (entry.name.startsWith(u"history.json.corrupt-"_s)) {
            names.append(entry.name);
            kept.append(contents(entry.path));
        }
    }
    ASSERT_EQ(names.size(), 2 + placeholders) << names.join(u", "_s).toStdString();
    EXPECT_EQ(kept.count(damaged), 1);
    EXPECT_EQ(kept.count(damagedAgain), 1);
    EXPECT_EQ(kept.count(earlier), placeholders);
    const QRegularExpression name(u"^history\\.json\\.corrupt-\\d{8}T\\d{6}Z(-\\d+)?$"_s);
    for (const QString& setAside : names)
        EXPECT_TRUE(name.match(setAside).hasMatch()) << setAside.toStdString();
}

TEST(History, readingRulesGiveAnEmptyJournalOrAbsentValues)
{
    const TempTree tree;
    const QString path = tree.path(u"history.json"_s);
    CleaningSession session = sessionAt(at(14, 9, 26, 53));
    const QByteArray good = *HistoryFile::encode({session});

    writeJournal(path, QByteArray(good).replace("\"failureCount\": 0,", ""));
    EXPECT_TRUE(History(path).sessions().isEmpty()) << "a required member is missing";
    writeJournal(path, QByteArray(good).replace("09:26:53Z", "09:26:53.250Z"));
    EXPECT_TRUE(History(path).sessions().isEmpty()) << "fractions of a second are not the file's form";
    writeJournal(path, QByteArray(good).replace("\"freedBytes\"", "\"snapshotStamp\": null,\n    \"freedBytes\""));
    const QList<CleaningSession> read = History(path).sessions();
    ASSERT_EQ(read.size(), 1);
    EXPECT_FALSE(read.front().snapshotStamp.has_value());
    EXPECT_TRUE(History(tree.path(u"missing.json"_s)).sessions().isEmpty());
}

TEST(History, putBackSkipsWhatCannotBeRestoredAndRecreatesFolders)
{
    TempTree tree(uR"(
        Trash/restored.txt 1
        Trash/occupied.txt 2
        Trash/plain.txt 3
        Trash/deep.txt 4
        Trash/link -> nowhere
        Trash/blocked.txt 5
        Home/occupied.txt 9
        Home/file-not-folder 1
    )"_s);
    const auto trash = [&](const char* name) {
        return std::optional<QString>(tree.path(u"Trash/"_s + QString::fromUtf8(name)));
    };
    const auto home = [&](const QString& relative) { return tree.path(u"Home/"_s + relative); };
    CleaningSession session = sessionAt(at(14, 9));
    session.files = {
        RemovedFile{QUuid::createUuid(), home(u"restored.txt"_s), trash("restored.txt"), 1, true},
        RemovedFile{QUuid::createUuid(), home(u"deleted.txt"_s), std::nullopt, 1, false},
        RemovedFile{QUuid::createUuid(), home(u"emptied.txt"_s), trash("emptied.txt"), 1, false},
        RemovedFile{QUuid::createUuid(), home(u"occupied.txt"_s), trash("occupied.txt"), 1, false},
        RemovedFile{QUuid::createUuid(), home(u"plain.txt"_s), trash("plain.txt"), 1, false},
        RemovedFile{QUuid::createUuid(), home(u"Nouveau dossier/é/deep.txt"_s), trash("deep.txt"), 1, false},
        RemovedFile{QUuid::createUuid(), home(u"link"_s), trash("link"), 1, false},
        RemovedFile{QUuid::createUuid(), home(u"file-not-folder/blocked.txt"_s), trash("blocked.txt"), 1, false},
    };
    const QList<int> expectedRestorable = {4, 5, 6, 7};
    for (int i = 0; i < session.files.size(); ++i)
        EXPECT_EQ(session.files[i].canRestore(), expectedRestorable.contains(i)) << i;
    EXPECT_EQ(session.restorableFiles(), 4);
    EXPECT_EQ(session.unrestoredFiles(), 7);

    History history(tree.path(u"history.json"_s));
    history.save({sessionAt(at(15, 9)), session});
    History::RestoreTally tally;
    history.update([&](QList<CleaningSession>& sessions) { History::restore(sessions, session.id, tally); });

    EXPECT_EQ(tally.restored, 3);
    ASSERT_EQ(tally.failures.size(), 1);
    EXPECT_EQ(tally.failures[0].path, home(u"file-not-folder/blocked.txt"_s));
    EXPECT_FALSE(tally.failures[0].reason.isEmpty());
    EXPECT_EQ(contents(home(u"plain.txt"_s)), "xxx");
    EXPECT_EQ(contents(home(u"Nouveau dossier/é/deep.txt"_s)), "xxxx");
    EXPECT_TRUE(Platform::fileInfo(home(u"link"_s))->isSymlink()) << "a trashed link is an item like any other";
    EXPECT_EQ(contents(home(u"occupied.txt"_s)).size(), 9) << "nothing is ever overwritten";
    EXPECT_TRUE(Platform::fileInfo(*trash("occupied.txt")).has_value());
    EXPECT_TRUE(Platform::fileInfo(*trash("blocked.txt")).has_value());

    const QList<bool> expectedRestored = {true, false, false, false, true, true, true, false};
    const std::optional<CleaningSession> after = History(history.fileURL()).session(session.id);
    ASSERT_TRUE(after.has_value());
    for (int i = 0; i < after->files.size(); ++i)
        EXPECT_EQ(after->files[i].restored, expectedRestored[i]) << i;
    EXPECT_EQ(history.session(session.id), after);
    EXPECT_EQ(after->restorableFiles(), 1) << "the one whose folder could not be made is still in the Trash";

    // Something reappearing at the original place ends the put-back even with the item still in the Trash.
    RemovedFile file{QUuid::createUuid(), home(u"again.txt"_s), trash("occupied.txt"), 1, false};
    EXPECT_TRUE(file.canRestore());
    tree.add(u"Home/again.txt 1"_s);
    EXPECT_FALSE(file.canRestore());

    // An unknown session changes nothing and counts nothing.
    History::RestoreTally none;
    QList<CleaningSession> sessions = history.sessions();
    History::restore(sessions, QUuid::createUuid(), none);
    EXPECT_EQ(sessions, history.sessions());
    EXPECT_EQ(none.restored, 0);
    EXPECT_TRUE(none.failures.isEmpty());
}

// An undo moves back only the item that went to the Trash: whatever else it finds at the Trash place, or in the old
// place, stays where it is and is told, and an entry written before items were told apart is taken on its path.
TEST(History, putBackTakesOnlyTheItemThatWentToTheTrash)
{
    enum class Then { nothing, emptiedThenAnotherTrashed, movedWithinTheTrash, placeTaken, oldEntryAnotherTrashed };
    const struct {
        Then then;
        bool back;             // the cache is in its old place afterwards
        const QString reason;  // why it is not, empty when it is
        bool failed;           // counted among the failures
        bool containerInTrash; // the other application's container is still in the Trash afterwards
    } cases[] = {
        {Then::nothing, true, {}, false, false},
        {Then::emptiedThenAnotherTrashed, false, History::notTheTrashedItemText(), true, true},
        {Then::movedWithinTheTrash, false, History::goneFromTrashText(), false, false},
        {Then::placeTaken, false, History::placeTakenText(), false, false},
        {Then::oldEntryAnotherTrashed, true, {}, false, false}, // as before: its path is all it knows
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.then));
        const TempTree tree(uR"(
            Caches/io.ondine.player/cache.db 10
            Containers/io.ondine.player/data.db 20
        )"_s);
        const QString cache = tree.path(u"Caches/io.ondine.player"_s);
        const Platform::TrashResult trashed = Platform::trashItem(cache);
        ASSERT_TRUE(trashed.trashedPath.has_value()) << trashed.failure.value_or(QString()).toStdString();
        ASSERT_TRUE(trashed.trashedIdentity.has_value());
        const QString place = *trashed.trashedPath;
        Removal::Report report;
        report.removed = {Removal::Removed{cache, place, 10, trashed.trashedIdentity}};
        History history(tree.path(u"history.json"_s));
        const std::optional<QUuid> id = history.record(report, ModuleID::smartScan);
        ASSERT_TRUE(id.has_value());
        ASSERT_EQ(History(history.fileURL()).session(*id)->files[0].trashIdentity, trashed.trashedIdentity)
            << "kept in the file";

        const auto trashTheContainer = [&] {
            ASSERT_FALSE(Platform::removeItem(place).has_value()); // "Vider"
            EXPECT_EQ(Platform::trashItem(tree.path(u"Containers/io.ondine.player"_s)).trashedPath, place);
        };
        const QString moved = place + u" déplacé"_s;
        switch (c.then) {
        case Then::nothing:
            break;
        case Then::emptiedThenAnotherTrashed:
            trashTheContainer();
            break;
        case Then::movedWithinTheTrash:
            ASSERT_FALSE(Platform::moveItem(place, moved).has_value());
            break;
        case Then::placeTaken:
            ASSERT_FALSE(Platform::createFolder(cache).has_value());
            break;
        case Then::oldEntryAnotherTrashed:
            trashTheContainer();
            history.update([&](QList<CleaningSession>& sessions) { sessions[0].files[0].trashIdentity.reset(); });
            break;
        }
        EXPECT_EQ(history.session(*id)->restorableFiles(), c.back ? 1 : 0);

        History::RestoreTally tally;
        history.update([&](QList<CleaningSession>& sessions) { History::restore(sessions, *id, tally); });
        EXPECT_EQ(tally.restored, c.back ? 1 : 0);
        EXPECT_EQ(tally.failures.size(), c.failed ? 1 : 0);
        if (c.back) {
            EXPECT_TRUE(tally.left.isEmpty());
        } else {
            ASSERT_EQ(tally.left.size(), 1);
            EXPECT_EQ(tally.left[0].path, cache);
            EXPECT_EQ(tally.left[0].reason, c.reason);
            EXPECT_EQ(tally.leftLines(), QStringList{FileUtils::abbreviatedPath(cache) + u" — "_s + c.reason});
        }
        EXPECT_EQ(history.session(*id)->files[0].restored, c.back);
        EXPECT_EQ(TestSupport::exists(cache + u"/cache.db"_s), c.then != Then::oldEntryAnotherTrashed && c.back);
        EXPECT_EQ(TestSupport::exists(place + u"/data.db"_s), c.containerInTrash);
        if (c.then == Then::placeTaken) {
            EXPECT_TRUE(TestSupport::exists(place + u"/cache.db"_s)) << "left in the Trash";
        }
        for (const QString& leftover : {place, moved})
            Platform::removeItem(leftover);
    }
}

TEST(History, markRestoredMarksExactlyTheGivenPaths)
{
    CleaningSession session = sessionAt(at(14, 9));
    session.files = {RemovedFile{QUuid::createUuid(), u"/a"_s, std::nullopt, 1, false},
                     RemovedFile{QUuid::createUuid(), u"/b"_s, std::nullopt, 1, false},
                     RemovedFile{QUuid::createUuid(), u"/c"_s, std::nullopt, 1, true}};
    const CleaningSession other = sessionAt(at(13, 9));
    QList<CleaningSession> sessions = {other, session};

    History::markRestored({}, session.id, sessions);
    History::markRestored({u"/a"_s}, QUuid::createUuid(), sessions);
    EXPECT_EQ(sessions, (QList<CleaningSession>{other, session}));

    History::markRestored({u"/a"_s, u"/c"_s, u"/A"_s, u"/x"_s}, session.id, sessions);
    EXPECT_TRUE(sessions[1].files[0].restored);
    EXPECT_FALSE(sessions[1].files[1].restored);
    EXPECT_TRUE(sessions[1].files[2].restored);
    EXPECT_EQ(sessions[1].unrestoredFiles(), 1);
    EXPECT_EQ(sessions[0], other);
}

TEST(History, aFailedSaveKeepsThePublishedSessionsForTheNextCycle)
{
    const TempTree tree;
    const QString path = tree.path(u"not yet/history.json"_s); // its folder is missing: the first save fails
    History history(path);
    Removal::Report report;
    report.removed = {removedItem(u"/a"_s, std::nullopt, 1)};
    const std::optional<QUuid> first = history.record(report, ModuleID::shredder, std::nullopt);
    EXPECT_EQ(history.sessions().size(), 1) << "published even though the save failed";
    EXPECT_FALSE(Platform::fileInfo(path).has_value());

    ASSERT_FALSE(Platform::createFolder(tree.path(u"not yet"_s)).has_value());
    const std::optional<QUuid> second = history.record(report, ModuleID::shredder, std::nullopt);
    const QList<CleaningSession> read = History(path).sessions();
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read[0].id, second);
    EXPECT_EQ(read[1].id, first);
}

TEST(History, eachCycleStartsFromTheFileAsItNowIs)
{
    const TempTree tree;
    const QString path = tree.path(u"history.json"_s);
    History one(path);
    History two(path);
    QSignalSpy changes(&one, &History::changed);
    one.update([](QList<CleaningSession>& list) { list.append(sessionAt(at(1, 10), u"one"_s)); });
    two.update([](QList<CleaningSession>& list) { list.append(sessionAt(at(2, 10), u"two"_s)); });
    one.update([](QList<CleaningSession>& list) { list.append(sessionAt(at(3, 10), u"three"_s)); });
    EXPECT_EQ(titles(History(path).sessions()), (QStringList{u"three"_s, u"two"_s, u"one"_s}));

    // Replaced from outside.
    writeJournal(path, *HistoryFile::encode({sessionAt(at(4, 10), u"outside"_s)}));
    one.update([](QList<CleaningSession>&) {});
    EXPECT_EQ(titles(one.sessions()), QStringList{u"outside"_s});
    EXPECT_EQ(changes.count(), 3);

    // A cycle that changes nothing says nothing; emptying the journal writes an empty array.
    one.update([](QList<CleaningSession>&) {});
    EXPECT_EQ(changes.count(), 3);
    one.update([](QList<CleaningSession>& list) { list.clear(); });
    EXPECT_EQ(changes.count(), 4);
    EXPECT_TRUE(one.sessions().isEmpty());
    EXPECT_EQ(contents(path), "[]\n");
}

TEST(History, theRunsJournalLivesInTheApplicationSupportFolder)
{
    const QString folder = TestSupport::home() + u"/Library/Application Support/QuorvanePro"_s;
    const StandardServices services;
    EXPECT_EQ(services.history.fileURL(), folder + u"/history.json"_s);
    EXPECT_EQ(&services.services.history, &services.history);
    ASSERT_TRUE(Platform::fileInfo(folder).has_value());
    EXPECT_TRUE(Platform::fileInfo(folder)->isDirectory());
}

// Saves killed at random moments, in child processes: the journal always reads back, whole, as one of the
// two lists, and the next save leaves no temporary file of the killed ones behind.
TEST(History, aKilledSaveLeavesNothingBehindOnceTheNextSaveIsDone)
{
    const TempTree tree;
    const QString path = tree.path(u"history.json"_s);
    const QList<CleaningSession> small{sessionAt(at(1, 8), u"petit"_s)};
    QList<CleaningSession> large;
    for (int i = 0; i < 100; ++i) {
        CleaningSession session = sessionAt(at(2, 0).addSecs(60 * i), u"grand"_s);
        for (int file = 0; file < 200; ++file)
            session.files.append(RemovedFile{QUuid::createUuid(), u"/Users/al/Library/Caches/f%1"_s.arg(file),
                                             u"/Users/al/.Trash/f%1"_s.arg(file), 4096, false});
        large.append(session);
    }
    History(path).save(small);
    std::mt19937 random(13);
    for (int round = 0; round < 20; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            History writer(path);
            for (int save = 0;; ++save)
                writer.save(save % 2 == 0 ? large : small);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(2000 + random() % 60000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);

        History reader(path);
        EXPECT_TRUE(reader.sessions() == small || reader.sessions() == large) << "round " << round;
        reader.save(reader.sessions());
        const std::vector<Platform::FileInfo> entries = Platform::listFolder(tree.root());
        ASSERT_EQ(entries.size(), 1u) << "round " << round << ": " << entries.back().name.toStdString();
        EXPECT_EQ(entries.front().name, u"history.json"_s);
    }
}
