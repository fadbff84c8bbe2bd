#include "Scanners/DuplicatesScanner.h"

#include "Core/FileUtils.h"
#include "FaultyReads.h"
#include "ScannerTestSupport.h"
#include "TempTree.h"
#include "TestServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <atomic>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 MiB = 1024 * 1024;

// `size` bytes that depend on `seed` everywhere, so that two seeds give different content at every offset.
QByteArray content(qint64 size, int seed)
{
    static QHash<QPair<qint64, int>, QByteArray> made; // the fixtures ask for the same content many times
    QByteArray& bytes = made[{size, seed}];
    if (bytes.isEmpty()) {
        bytes.resize(size);
        quint32 state = 2654435761u * quint32(seed + 1);
        for (qint64 i = 0; i < size; ++i) {
            state = state * 1664525u + 1013904223u;
            bytes[i] = char(state >> 24);
        }
    }
    return bytes;
}

// Equal to content(size, seed) in the first and last 64 KiB, different in between (at a place that depends
// on `variant`, so that near copies differ among themselves too).
QByteArray nearCopy(qint64 size, int seed, int variant = 0)
{
    QByteArray bytes = content(size, seed);
    bytes[size / 2 + variant] = char(~bytes[size / 2 + variant]);
    return bytes;
}

void write(const QString& path, const QByteArray& bytes, std::optional<QDateTime> modified = std::nullopt)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
    ASSERT_TRUE(file.flush());
    if (modified) {
        ASSERT_TRUE(file.setFileTime(*modified, QFileDevice::FileModificationTime));
    }
}

void writeRaw(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::write(fd, bytes.constData(), std::size_t(bytes.size())), bytes.size());
    ::close(fd);
}

QDateTime day(int year, int month, int dayOfMonth)
{
    return QDateTime(QDate(year, month, dayOfMonth), QTime(12, 0), Qt::UTC);
}

QStringList urlsOf(const ScanGroup& group)
{
    QStringList urls;
    for (const ScanItem& item : group.items)
        urls.append(item.url);
    return urls;
}

// What a scan shows, without the identifiers made anew by each scan.
QStringList shown(const QList<ScanGroup>& groups)
{
    QStringList lines;
    for (const ScanGroup& group : groups) {
        lines.append(group.title + u" | "_s + group.note.value_or(QString()));
        for (const ScanItem& item : group.items)
            lines.append(u"  "_s + item.url);
    }
    return lines;
}

class DuplicatesScannerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Three copies with different dates, across three personal folders; the oldest is in Downloads.
        write(home(u"Desktop/vacances.mov"_s), content(3 * MiB, 1), day(2021, 6, 1));
        write(home(u"Documents/Albums/vacances copie.mov"_s), content(3 * MiB, 1), day(2022, 1, 1));
        write(home(u"Downloads/vacances (1).mov"_s), content(3 * MiB, 1), day(2019, 3, 1));
        // The smallest size that counts, and one byte less.
        write(home(u"Documents/un-mio.bin"_s), content(MiB, 2), day(2020, 5, 1));
        write(home(u"Desktop/un-mio.bin"_s), content(MiB, 2), day(2020, 4, 1));
        write(home(u"Documents/presque.bin"_s), content(MiB - 1, 3));
        write(home(u"Desktop/presque.bin"_s), content(MiB - 1, 3));
        // Same size, same first and last 64 KiB, a different middle.
        write(home(u"Documents/rapport.pdf"_s), content(2 * MiB, 4));
        write(home(u"Documents/rapport-v2.pdf"_s), nearCopy(2 * MiB, 4));
        // A hard-linked pair without a third copy is one file.
        write(home(u"Documents/lié.bin"_s), content(MiB + 10, 5));
        EXPECT_EQ(::link(QFile::encodeName(home(u"Documents/lié.bin"_s)).constData(),
                         QFile::encodeName(home(u"Documents/lié-bis.bin"_s)).constData()),
                  0);
        // Copies of the three-copy file where no search goes, and a link to it.
        for (const QString& hidden :
             {u"Documents/projet/node_modules/v.mov"_s, u"Documents/build/v.mov"_s, u"Documents/Library/v.mov"_s,
              u"Documents/Lecteur.app/Contents/v.mov"_s, u"Documents/.cache/v.mov"_s, u"Documents/.v.mov"_s,
              u"Library/v.mov"_s, u"Music/.secret/v.mov"_s})
            write(home(hidden), content(3 * MiB, 1));
        EXPECT_EQ(::symlink("../Desktop/vacances.mov", QFile::encodeName(home(u"Documents/lien.mov"_s)).constData()),
                  0);
        // Names with quotes, a line break and accents are listed like any other.
        write(home(u"Music/l'été \"live\"\n.flac"_s), content(MiB + 3, 6), day(2020, 1, 1));
        write(home(u"Movies/Été.flac"_s), content(MiB + 3, 6), day(2023, 1, 1));
        // A name that is not UTF-8 is never an item.
        writeRaw(tree.rawPath("home/Music/caf\xe9.flac"), content(MiB + 3, 6));
        // A hard link to one of the three copies adds none.
        EXPECT_EQ(::link(QFile::encodeName(home(u"Desktop/vacances.mov"_s)).constData(),
                         QFile::encodeName(home(u"Movies/vacances-lien.mov"_s)).constData()),
                  0);
    }

    void TearDown() override
    {
        ::unlink(tree.rawPath("home/Music/caf\xe9.flac").constData()); // a name the folder's removal cannot spell
    }

    QString home(const QString& relative) const { return tree.path(u"home/"_s + relative); }

    QList<ScanGroup> scan(const Progress& progress = {}, std::stop_token stop = {}, bool parallel = true) const
    {
        DuplicatesScanner scanner(kit.exclusions, ModuleID::duplicates, std::nullopt, reads);
        scanner.setReadsInParallel(parallel);
        return scanner.scan(progress, stop);
    }

    TempTree tree{u"home/Pictures/\n"_s};
    EnvironmentOverride environment{{"HOME", tree.path(u"home"_s)}};
    // The list the scans leave out, this test's own.
    TestSupport::TestServices kit;
    // The scans' reads, real until a test makes some fail.
    TestSupport::FaultyReads reads;
};

} // namespace

TEST_F(DuplicatesScannerTest, groupsIdenticalFilesOfOneMebibyteOrMoreOldestFirst)
{
    ProgressLog log;
    const QList<ScanGroup> groups = scan(log.callback());
    QStringList steps{u"0.05 Recensement…"_s};
    const QStringList roots{u"Desktop"_s, u"Documents"_s, u"Downloads"_s, u"Movies"_s, u"Music"_s, u"Pictures"_s};
    for (int i = 0; i < 6; ++i)
        steps.append(QString::number(0.05 + 0.5 * i / 6) + u' ' + roots[i]);
    steps += QStringList{u"0.55 Regroupement par taille…"_s, u"0.65 Empreintes partielles…"_s,
                         u"0.8 Vérification du contenu…"_s, u"0.95 Mise en forme…"_s, u"1 "_s};
    EXPECT_EQ(log.steps(), steps);

    // Largest waste first: 2 × 3 MiB, then 1 MiB + 3 bytes, then 1 MiB.
    ASSERT_EQ(titlesOf(groups), (QStringList{u"vacances (1).mov"_s, u"l'été \"live\"\n.flac"_s, u"un-mio.bin"_s}));
    EXPECT_EQ(urlsOf(groups[0]), (QStringList{home(u"Downloads/vacances (1).mov"_s), home(u"Desktop/vacances.mov"_s),
                                              home(u"Documents/Albums/vacances copie.mov"_s)}));
    const ByteCountFormatter& bytes = FileUtils::byteFormatter();
    EXPECT_EQ(groups[0].note, u"3 exemplaires de "_s + bytes.string(3 * MiB) + u" · "_s + bytes.string(6 * MiB) +
                                  u" récupérables. Le plus ancien est en tête ; cochez ceux à supprimer."_s);
    EXPECT_EQ(urlsOf(groups[1]), (QStringList{home(u"Music/l'été \"live\"\n.flac"_s), home(u"Movies/Été.flac"_s)}));
    EXPECT_EQ(urlsOf(groups[2]), (QStringList{home(u"Desktop/un-mio.bin"_s), home(u"Documents/un-mio.bin"_s)}));

    for (const ScanGroup& group : groups) {
        EXPECT_EQ(group.symbol, u"doc.on.doc"_s);
        EXPECT_FALSE(group.isExpanded);
        EXPECT_EQ(group.metric, ScanGroup::Metric::bytes);
        EXPECT_TRUE(group.keepsFirst); // the oldest copy, first, is the one to keep
        for (const ScanItem& item : group.items) {
            EXPECT_FALSE(item.isSelected);
            EXPECT_TRUE(item.isRisky);
            EXPECT_EQ(item.removalMode, Removal::Mode::trash());
            EXPECT_EQ(item.name, item.url.section(u'/', -1));
            EXPECT_EQ(item.detail, FileUtils::abbreviatedPath(item.url.section(u'/', 0, -2)));
        }
    }
    EXPECT_EQ(groups[0].items[0].size, 3 * MiB);
    EXPECT_EQ(groups[0].items[0].modified, day(2019, 3, 1));
    EXPECT_EQ(groups[0].items[2].detail, u"~/Documents/Albums"_s);
}

TEST_F(DuplicatesScannerTest, anUndatedCopyComesFirstAndEqualDatesKeepTheirOrder)
{
    DuplicatesScanner::Copies copies{{u"/a"_s, MiB, day(2020, 1, 1), 1, 1},
                                     {u"/b"_s, MiB, std::nullopt, 1, 2},
                                     {u"/c"_s, MiB, day(2019, 1, 1), 1, 3},
                                     {u"/d"_s, MiB, day(2020, 1, 1), 1, 4}};
    std::stable_sort(copies.begin(), copies.end(), DuplicatesScanner::olderFirst);
    QStringList order;
    for (const DuplicatesScanner::Entry& entry : copies)
        order.append(entry.url);
    EXPECT_EQ(order, (QStringList{u"/b"_s, u"/c"_s, u"/a"_s, u"/d"_s}));
}

TEST_F(DuplicatesScannerTest, keepsTheTwoHundredFiftyLargestWastesInTheirOrder)
{
    // 300 sets: waste grows with the index, and sets 100 to 199 tie in pairs.
    QList<DuplicatesScanner::Copies> sets;
    for (int i = 0; i < 300; ++i) {
        const qint64 size = MiB + (i >= 100 && i < 200 ? (i / 2) * 2 : i);
        const QString name = tree.path(u"set%1"_s.arg(i));
        sets.append({{name + u"/a"_s, size, std::nullopt, 1, quint64(2 * i)},
                     {name + u"/b"_s, size, std::nullopt, 1, quint64(2 * i + 1)}});
    }
    const QList<ScanGroup> groups = DuplicatesScanner::shaped(kit.exclusions, sets);
    ASSERT_EQ(groups.size(), 250);
    EXPECT_EQ(groups.first().items[0].url, tree.path(u"set299/a"_s));
    EXPECT_EQ(groups.last().items[0].url, tree.path(u"set50/a"_s));
    for (int i = 1; i < groups.size(); ++i)
        EXPECT_GE(groups[i - 1].items[0].size, groups[i].items[0].size);
    // Equal wastes keep the order they were found in.
    const auto position = [&](const QString& set) {
        for (int i = 0; i < groups.size(); ++i) {
            if (groups[i].items[0].url == tree.path(set + u"/a"_s))
                return i;
        }
        return -1;
    };
    EXPECT_EQ(position(u"set150"_s) + 1, position(u"set151"_s));
}

TEST_F(DuplicatesScannerTest, anExclusionAddedAfterTheWalkStillTakesEffect)
{
    bool walked = false;
    const QString excluded = home(u"Desktop/un-mio.bin"_s);
    const QList<ScanGroup> groups = scan([&](double fraction, const QString&) {
        if (!walked && fraction >= 0.55) {
            walked = true;
            EXPECT_TRUE(kit.exclusions.add(excluded));
        }
    });
    const ScanGroup* group = groupTitled(groups, u"un-mio.bin"_s);
    ASSERT_NE(group, nullptr);
    // The title and note still count both copies.
    EXPECT_EQ(urlsOf(*group), QStringList{home(u"Documents/un-mio.bin"_s)});
    EXPECT_TRUE(group->note->startsWith(u"2 exemplaires de "_s));

    // Excluded before the walk, a copy is no candidate at all.
    const QList<ScanGroup> again = scan();
    EXPECT_EQ(groupTitled(again, u"un-mio.bin"_s), nullptr);
}

TEST_F(DuplicatesScannerTest, aStopInAnyStageReadsNothingMore)
{
    // Every stage after the walk tests for the stop before it reads: a stop anywhere before the shaping gives
    // no group, since every group comes from the whole-content stage; the shaping does not test for it.
    const struct {
        const char* what;
        QString stopAt; // the progress label at which the stop comes
        bool groups;
    } cases[] = {
        {"before the walk", u"Recensement…"_s, false},
        {"during the walk", u"Movies"_s, false},
        {"before the partial stage", u"Empreintes partielles…"_s, false},
        {"before the full stage", u"Vérification du contenu…"_s, false},
        {"while shaping", u"Mise en forme…"_s, true},
    };
    for (const bool parallel : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (parallel ? " (parallel)" : " (one at a time)"));
            std::stop_source stop;
            std::atomic<int> readsAfterStop = 0;
            reads.setRule([&](const QString&, qint64) {
                if (stop.stop_requested())
                    ++readsAfterStop;
                return TestSupport::FaultyReads::Fault::none;
            });
            ProgressLog log;
            const QList<ScanGroup> groups = scan(
                [&](double fraction, const QString& label) {
                    if (label == c.stopAt)
                        stop.request_stop();
                    log.callback()(fraction, label);
                },
                stop.get_token(), parallel);
            EXPECT_EQ(groups.size(), c.groups ? 3 : 0);
            EXPECT_EQ(readsAfterStop, 0);
            EXPECT_EQ(log.steps().last(), u"1 "_s);
        }
    }
}

TEST_F(DuplicatesScannerTest, aStopDuringTheFullStageDropsTheSetItCut)
{
    // Read one at a time, the sets come in walk order (the 1 MiB and film sets from the Desktop first, the
    // reports from Documents, the flac pair last): the stop comes during the second read of a flac file.
    std::stop_source stop;
    reads.setRule([&](const QString& path, qint64 offset) {
        if (path.endsWith(u".flac") && offset == MiB)
            stop.request_stop();
        return TestSupport::FaultyReads::Fault::none;
    });
    const QList<ScanGroup> groups = scan({}, stop.get_token(), false);
    EXPECT_EQ(titlesOf(groups), (QStringList{u"vacances (1).mov"_s, u"un-mio.bin"_s}));
}

TEST_F(DuplicatesScannerTest, filesThatChangeBetweenTheWalkAndTheReadingDropOut)
{
    const QString changed = home(u"Documents/Albums/vacances copie.mov"_s);
    const QByteArray raw = QFile::encodeName(changed);
    const struct {
        const char* what;
        std::function<void()> change;
    } cases[] = {
        {"vanished", [&] { QFile::remove(changed); }},
        {"shrunk", [&] { QFile::resize(changed, 3 * MiB - 1); }},
        {"shrunk to nothing", [&] { QFile::resize(changed, 0); }},
        {"grown", [&] { QFile::resize(changed, 3 * MiB + 1); }},
        {"replaced by a named pipe",
         [&] {
             QFile::remove(changed);
             ASSERT_EQ(::mkfifo(raw.constData(), 0644), 0);
         }},
        {"replaced by a link to a copy",
         [&] {
             QFile::remove(changed);
             ASSERT_EQ(::symlink(QFile::encodeName(home(u"Desktop/vacances.mov"_s)).constData(), raw.constData()), 0);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(changed);
        write(changed, content(3 * MiB, 1), day(2022, 1, 1));
        const QList<ScanGroup> groups = scan([&](double, const QString& label) {
            if (label == u"Regroupement par taille…")
                c.change();
        });
        const ScanGroup* films = groupTitled(groups, u"vacances (1).mov"_s);
        ASSERT_NE(films, nullptr);
        EXPECT_EQ(urlsOf(*films),
                  (QStringList{home(u"Downloads/vacances (1).mov"_s), home(u"Desktop/vacances.mov"_s)}));
        EXPECT_TRUE(films->note->startsWith(u"2 exemplaires"_s));
    }
}

TEST_F(DuplicatesScannerTest, twoFilesWhoseReadsFailAtTheSamePointAreNoCopies)
{
    // Byte for byte the same, so that only the failed reads keep them apart: neither is read whole, and a digest
    // of the bytes read before the failure would call them copies of what was never compared.
    write(home(u"Documents/base-a.db"_s), content(3 * MiB, 7), day(2020, 1, 1));
    write(home(u"Documents/base-b.db"_s), content(3 * MiB, 7), day(2021, 1, 1));
    const QList<ScanGroup> readWhole = scan();
    const ScanGroup* copies = groupTitled(readWhole, u"base-a.db"_s);
    ASSERT_NE(copies, nullptr); // read whole, they are copies
    EXPECT_EQ(urlsOf(*copies), (QStringList{home(u"Documents/base-a.db"_s), home(u"Documents/base-b.db"_s)}));
    for (const auto fault : {TestSupport::FaultyReads::Fault::error, TestSupport::FaultyReads::Fault::end}) {
        reads.setRule([&](const QString& path, qint64 offset) {
            return path.endsWith(u".db") && offset >= MiB ? fault : TestSupport::FaultyReads::Fault::none;
        });
        const QList<ScanGroup> groups = scan();
        EXPECT_EQ(groupTitled(groups, u"base-a.db"_s), nullptr);
        EXPECT_EQ(groupTitled(groups, u"base-b.db"_s), nullptr);
        EXPECT_EQ(groups.size(), 3);
    }
}

TEST_F(DuplicatesScannerTest, readingSeveralFilesAtOnceGivesWhatReadingOneAtATimeGives)
{
    // A tree with copies of a few sets, near copies of one of them, and unique files that share the sets'
    // sizes, in nested folders.
    const TempTree generated;
    int seed = 100;
    for (int folder = 0; folder < 8; ++folder) {
        const QString base = generated.path(u"r%1/b%2/c/"_s.arg(folder % 3).arg(folder));
        for (int i = 0; i < 5; ++i) {
            const int k = folder * 5 + i;
            const qint64 size = MiB + 4096 * (k % 3);
            if (k % 7 < 3)
                write(base + u"copy%1.bin"_s.arg(i), content(MiB + 4096 * (k % 7), k % 7), day(2018 + k % 5, 1, 1));
            else if (k % 7 == 3)
                write(base + u"near%1.bin"_s.arg(i), nearCopy(MiB, 0, k));
            else
                write(base + u"unique%1.bin"_s.arg(i), content(size, seed++));
        }
    }
    // Hard links met in folders walked side by side: the first path in walk order is the one kept.
    QDir().mkpath(generated.path(u"r0/a-first"_s));
    ASSERT_EQ(::link(QFile::encodeName(generated.path(u"r0/b6/c/copy0.bin"_s)).constData(),
                     QFile::encodeName(generated.path(u"r0/a-first/copy0-link.bin"_s)).constData()),
              0);
    ASSERT_EQ(::link(QFile::encodeName(generated.path(u"r0/b6/c/copy0.bin"_s)).constData(),
                     QFile::encodeName(generated.path(u"r2/z-last.bin"_s)).constData()),
              0);
    const QStringList roots{generated.path(u"r0"_s), generated.path(u"r1"_s), generated.path(u"r2"_s)};
    DuplicatesScanner scanner(kit.exclusions, ModuleID::duplicates, roots);
    scanner.setReadsInParallel(false);
    const QStringList oneAtATime = shown(scanner.scan({}, {}));
    scanner.setReadsInParallel(true);
    EXPECT_GE(oneAtATime.size(), 15);
    EXPECT_TRUE(oneAtATime.contains(u"  "_s + generated.path(u"r0/a-first/copy0-link.bin"_s)));
    EXPECT_FALSE(oneAtATime.contains(u"  "_s + generated.path(u"r0/b6/c/copy0.bin"_s)));
    EXPECT_FALSE(oneAtATime.contains(u"  "_s + generated.path(u"r2/z-last.bin"_s)));
    for (int round = 0; round < 3; ++round)
        EXPECT_EQ(shown(scanner.scan({}, {})), oneAtATime);
}
