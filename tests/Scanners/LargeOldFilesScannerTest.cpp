#include "Scanners/LargeOldFilesScanner.h"

#include "Core/FileUtils.h"
#include "Platform/FileSystem.h"
#include "ScannerTestSupport.h"
#include "Scanners/ScanFilter.h"
#include "TempTree.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kMinimum = 64 * 1024;

// Written files of 64 KiB and more: their allocated size is at least their length on every file system
// used here, so each is at or above the test's threshold; the small ones stay below it.
const QString kHome = uR"(
    home/Downloads/Film.MOV 65536
    home/Downloads/backup.tar.gz 131072
    home/Downloads/README 65536
    home/Documents/Projets/cours.PDF 98304
    home/Documents/Projets/notes.txt 4096
    home/Documents/chanson.flac 65536
    home/Documents/disque.img 65536
    home/Documents/library/entered.mkv 65536
    home/Documents/Logic.logicx/Media/audio.wav 200000
    home/Documents/Photos.photoslibrary/originals/a.jpg 200000
    home/Documents/Big.sparsebundle/bands/0 200000
    home/Documents/projet/node_modules/lib.zip 200000
    home/Documents/projet/Library/cache.zip 200000
    home/Documents/projet/deep/er/Pictures/p.mov 200000
    home/Documents/.git/objects/pack.zip 200000
    home/Documents/.caché.zip 200000
    home/Library/Caches/huge.zip 200000
    home/Pictures/photo.mov 200000
    home/Applications/App.dmg 200000
    home/.Trash/old.zip 200000
    home/Documents/sparse.img ~10485760
    home/Documents/link.mov -> ../Downloads/Film.MOV
    "home/Documents/l'été \"2024\"\n.mp4" 65536
)"_s;

class LargeOldFilesScannerTest : public ::testing::Test
{
protected:
    void TearDown() override { ScanFilter::setOverrideForTests({}); }

    QString home(const QString& relative) const { return tree.path(u"home/"_s + relative); }

    QList<ScanGroup> scan(qint64 minimum = kMinimum, const Progress& progress = {}, std::stop_token stop = {}) const
    {
        const LargeOldFilesScanner scanner(ModuleID::largeOldFiles, minimum,
                                           LargeOldFilesScanner::standardSkippedDirectories());
        return scanner.scan(progress, stop);
    }

    TempTree tree{kHome};
    EnvironmentOverride environment{{"HOME", tree.path(u"home"_s)}};
};

} // namespace

TEST_F(LargeOldFilesScannerTest, listsLargeFilesByKindPruningSkippedFoldersPackagesAndHiddenEntries)
{
    const QList<ScanGroup> groups = scan();
    ASSERT_EQ(titlesOf(groups), (QStringList{u"Vidéos"_s, u"Archives"_s, u"Images disque"_s, u"Audio"_s, u"Documents"_s,
                                             u"Autres fichiers"_s}));
    // Kinds by the last extension in any case; a folder named "library" in lower case is entered; links, a
    // sparse file and everything in skipped folders (at any depth), packages and hidden places are not.
    const QStringList videos = namesOf(groups[0]);
    EXPECT_EQ(QSet<QString>(videos.begin(), videos.end()),
              (QSet<QString>{u"Film.MOV"_s, u"entered.mkv"_s, u"l'été \"2024\"\n.mp4"_s}));
    EXPECT_EQ(namesOf(groups[1]), QStringList{u"backup.tar.gz"_s});
    EXPECT_EQ(namesOf(groups[2]), QStringList{u"disque.img"_s});
    EXPECT_EQ(namesOf(groups[3]), QStringList{u"chanson.flac"_s});
    EXPECT_EQ(namesOf(groups[4]), QStringList{u"cours.PDF"_s});
    EXPECT_EQ(namesOf(groups[5]), QStringList{u"README"_s});

    const struct {
        QString symbol;
    } looks[] = {{u"film"_s},     {u"archivebox"_s},   {u"opticaldiscdrive"_s},
                 {u"waveform"_s}, {u"doc.richtext"_s}, {u"doc"_s}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(groups[i].symbol, looks[i].symbol);
        EXPECT_FALSE(groups[i].note);
        EXPECT_FALSE(groups[i].isExpanded);
        EXPECT_EQ(groups[i].metric, ScanGroup::Metric::bytes);
        for (const ScanItem& item : groups[i].items) {
            EXPECT_FALSE(item.isSelected);
            EXPECT_TRUE(item.isRisky);
            EXPECT_EQ(item.removalMode, Removal::Mode::trash());
            EXPECT_EQ(item.size, Platform::fileInfo(item.url)->allocatedSize);
        }
    }
}

TEST_F(LargeOldFilesScannerTest, theThresholdIsInAllocatedBytesAndTheDetailShowsTheFolderAndTheDate)
{
    const QString pdf = home(u"Documents/Projets/cours.PDF"_s);
    const QDateTime threeMonthsAgo = QDateTime::currentDateTimeUtc().addMonths(-3);
    {
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(threeMonthsAgo, QFileDevice::FileModificationTime));
    }
    const qint64 allocated = Platform::fileInfo(pdf)->allocatedSize;
    ASSERT_GT(allocated, 0);

    const QList<ScanGroup> groups = scan(allocated);
    const ScanGroup* documents = groupTitled(groups, u"Documents"_s);
    ASSERT_NE(documents, nullptr);
    ASSERT_EQ(namesOf(*documents), QStringList{u"cours.PDF"_s});
    EXPECT_EQ(documents->items[0].detail,
              u"~/Documents/Projets · modifié "_s + *FileUtils::relativeDate(documents->items[0].modified));
    EXPECT_TRUE(documents->items[0].detail->contains(u"3 mois"_s));
    const QList<ScanGroup> above = scan(allocated + 1);
    EXPECT_EQ(groupTitled(above, u"Documents"_s), nullptr);
}

TEST_F(LargeOldFilesScannerTest, reportsProgressEveryFourHundredEntriesAndSeesExclusionsWhenGrouping)
{
    for (int i = 0; i < 400; ++i)
        tree.add(u"home/Many/f%1\n"_s.arg(i, 3, 10, QChar(u'0')));
    ProgressLog log;
    bool walked = false;
    const QString excluded = home(u"Downloads/README"_s);
    ScanFilter::setOverrideForTests([&](const QString& path) { return walked && path == excluded; });
    const QList<ScanGroup> groups = scan(kMinimum, [&](double fraction, const QString& label) {
        walked = walked || fraction == 1.0;
        log.callback()(fraction, label);
    });
    // 428 visible entries (Many and its 400 files among them): one report at the 400th, then the end.
    ASSERT_EQ(log.steps().size(), 2);
    EXPECT_TRUE(log.steps()[0].startsWith(QString::number(400 / 120000.0) + u" ~/"_s)) << log.steps()[0].toStdString();
    EXPECT_EQ(log.steps()[1], u"1 "_s);
    EXPECT_EQ(groupTitled(groups, u"Autres fichiers"_s), nullptr);
}

TEST_F(LargeOldFilesScannerTest, aStopKeepsWhatWasFoundAndSaysWhenNothingIsLarge)
{
    std::stop_source stop;
    // The stop comes as the walk takes the first large file of Downloads: Documents, walked before, is kept.
    ScanFilter::setOverrideForTests([&](const QString& path) {
        if (path.contains(u"/Downloads/"))
            stop.request_stop();
        return false;
    });
    ProgressLog log;
    const QList<ScanGroup> groups = scan(kMinimum, log.callback(), stop.get_token());
    EXPECT_EQ(titlesOf(groups), (QStringList{u"Vidéos"_s, u"Images disque"_s, u"Audio"_s, u"Documents"_s}));
    EXPECT_EQ(namesOf(groups[0]).size(), 3);
    EXPECT_EQ(log.steps(), QStringList{u"1 "_s});

    ScanFilter::setOverrideForTests({});
    const LargeOldFilesScanner scanner(ModuleID::largeOldFiles, LargeOldFilesScanner::standardMinimumSize,
                                       LargeOldFilesScanner::standardSkippedDirectories());
    EXPECT_TRUE(scanner.scan({}, {}).isEmpty());
    EXPECT_EQ(scanner.actionTitle(), u"Mettre à la corbeille"_s);
    EXPECT_EQ(scanner.emptyTitle(), u"Aucun fichier volumineux"_s);
    EXPECT_EQ(scanner.emptyMessage(), u"Rien ne dépasse le seuil dans votre dossier personnel."_s);
    EXPECT_FALSE(scanner.requiresFullDiskAccess());
}

TEST(LargeOldFilesKind, followsTheLastExtensionInAnyCase)
{
    using Kind = LargeOldFilesScanner::Kind;
    const struct {
        QString extension;
        Kind kind;
    } cases[] = {
        {u"MOV"_s, Kind::video},       {u"webm"_s, Kind::video},    {u"gz"_s, Kind::archive}, {u"7Z"_s, Kind::archive},
        {u"qcow2"_s, Kind::diskImage}, {u"pkg"_s, Kind::diskImage}, {u"Band"_s, Kind::audio}, {u"m4a"_s, Kind::audio},
        {u"key"_s, Kind::document},    {u"XLSX"_s, Kind::document}, {u"txt"_s, Kind::other},  {QString(), Kind::other},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LargeOldFilesScanner::kind(c.extension), c.kind) << c.extension.toStdString();
}
