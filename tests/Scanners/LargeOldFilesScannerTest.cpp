#include "Scanners/LargeOldFilesScanner.h"

#include "Core/FileUtils.h"
#include "Platform/FileOperations.h"
#include "Platform/FileSystem.h"
#include "ScannerTestSupport.h"
#include "Scanners/ScanFilter.h"
#include "TempTree.h"
#include "TestServices.h"

#include <QFile>
#include <QProcess>

#include <algorithm>
#include <array>
#include <climits>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    QString home(const QString& relative) const { return tree.path(u"home/"_s + relative); }

    QList<ScanGroup> scan(qint64 minimum = kMinimum, const Progress& progress = {}, std::stop_token stop = {}) const
    {
        const LargeOldFilesScanner scanner(kit.exclusions, ModuleID::largeOldFiles, minimum,
                                           LargeOldFilesScanner::standardSkippedDirectories());
        return scanner.scan(progress, stop);
    }

    TempTree tree{kHome};
    EnvironmentOverride environment{{"HOME", tree.path(u"home"_s)}};
    // The list the scans leave out, this test's own.
    TestSupport::TestServices kit;
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
    const QList<ScanGroup> groups = scan(kMinimum, [&](double fraction, const QString& label) {
        if (!walked && fraction == 1.0) {
            walked = true;
            EXPECT_TRUE(kit.exclusions.add(excluded));
        }
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
    kit.exclusions.setRule([&](const QString& path) {
        if (path.contains(u"/Downloads/"))
            stop.request_stop();
        return false;
    });
    ProgressLog log;
    const QList<ScanGroup> groups = scan(kMinimum, log.callback(), stop.get_token());
    EXPECT_EQ(titlesOf(groups), (QStringList{u"Vidéos"_s, u"Images disque"_s, u"Audio"_s, u"Documents"_s}));
    EXPECT_EQ(namesOf(groups[0]).size(), 3);
    EXPECT_EQ(log.steps(), QStringList{u"1 "_s});

    kit.exclusions.setRule({});
    const LargeOldFilesScanner scanner(kit.exclusions, ModuleID::largeOldFiles,
                                       LargeOldFilesScanner::standardMinimumSize,
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

namespace {

// The scan as it was made one entry after another on one thread: each group's paths in the order it listed them.
QList<QStringList> serialScan(const Exclusions& exclusions, const QString& home, qint64 minimum)
{
    const QSet<QString> skipped = LargeOldFilesScanner::standardSkippedDirectories();
    std::array<QList<std::pair<qint64, QString>>, 6> found;
    Platform::walkTree(home, [&](const Platform::FileInfo& entry, int) {
        if (entry.name.startsWith(u'.'))
            return Platform::WalkStep::SkipDescendants;
        if (entry.isDirectory())
            return skipped.contains(entry.name) || Platform::isPackage(entry.path) ? Platform::WalkStep::SkipDescendants
                                                                                   : Platform::WalkStep::Continue;
        if (entry.isRegular() && entry.allocatedSize >= minimum && !ScanFilter::isSkipped(exclusions, entry.path)) {
            const qsizetype dot = entry.name.lastIndexOf(u'.');
            const QString extension = dot > 0 ? entry.name.mid(dot + 1) : QString();
            found[std::size_t(LargeOldFilesScanner::kind(extension))].append({entry.allocatedSize, entry.path});
        }
        return Platform::WalkStep::Continue;
    });
    QList<QStringList> groups;
    for (auto& files : found) {
        std::stable_sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        QStringList paths;
        for (const auto& [size, path] : files)
            paths.append(path);
        if (!paths.isEmpty())
            groups.append(paths);
    }
    return groups;
}

} // namespace

// Read folder by folder side by side, the scan still lists the files one walk after another would, in its
// order: files of one size keep the walk's order in their group.
TEST(LargeOldFilesWalk, listsWhatTheSerialWalkListsInTheSameOrder)
{
    const TestSupport::TestServices kit;
    const struct {
        const char* title;
        QString tree;
    } cases[] = {
        {"odd names", uR"(
            a/x.zip 65536
            a-b/x.zip 65536
            a.b/x.zip 65536
            "a b/x.zip" 65536
            A/x.zip 65536
            a/b/c/d/e/f/deep.zip 65536
            "ligne\nsuivante/f.mov" 65536
            "été/f.zip" 65536
            "\xff\xfe/lost.zip" 65536
            "bad\xffname.zip" 65536
            z.zip 65536
        )"_s},
        {"packages, hidden folders and skipped names", uR"(
            Documents/Lumen.app/Contents/big.zip 65536
            Documents/Rapport.PAGES/Data/big.zip 65536
            Documents/.hidden/big.zip 65536
            Documents/node_modules/big.zip 65536
            Documents/Library/big.zip 65536
            Documents/library/big.zip 65536
            Documents/keep.zip 65536
            .cache/big.zip 65536
            Library/Caches/big.zip 65536
            Music/song.mp3 65536
            Music/other.bin 65536
        )"_s},
        {"links", uR"(
            Projets/a.zip 65536
            Projets/b.zip 65536
            Projets/twin.zip => Projets/a.zip
            link -> Projets
            file.zip -> Projets/a.zip
            loop -> .
        )"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        const TempTree tree(c.tree);
        const EnvironmentOverride environment{{"HOME", tree.root()}};
        const QList<QStringList> expected = serialScan(kit.exclusions, tree.root(), kMinimum);
        ASSERT_FALSE(expected.isEmpty());
        const LargeOldFilesScanner scanner(kit.exclusions, ModuleID::largeOldFiles, kMinimum,
                                           LargeOldFilesScanner::standardSkippedDirectories());
        QList<QStringList> listed;
        for (const ScanGroup& group : scanner.scan({}, {})) {
            QStringList paths;
            for (const ScanItem& item : group.items)
                paths.append(item.url);
            listed.append(paths);
        }
        EXPECT_EQ(listed, expected);
    }
}

namespace {

// A chain of `depth` folders named "dossier" below `root`, made one folder at a time (its paths outgrow what
// the system takes whole), with a one-byte file every `every` folders. Removed with what it holds at the end.
class DeepChain final
{
public:
    DeepChain(const QString& root, int depth, int every) : m_root(root)
    {
        int fd = ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (int level = 1; level <= depth && fd >= 0; ++level) {
            const int next =
                ::mkdirat(fd, "dossier", 0755) == 0 ? ::openat(fd, "dossier", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
            ::close(fd);
            fd = next;
            if (fd >= 0 && level % every == 0) {
                const std::string name = "f" + std::to_string(level) + ".zip";
                const int file = ::openat(fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
                m_made = file >= 0 && ::write(file, "x", 1) == 1;
                ::close(file);
            }
        }
        m_made = m_made && fd >= 0;
        ::close(fd);
    }
    ~DeepChain() { Platform::removeItem(m_root + u"/dossier"_s); }
    DeepChain(const DeepChain&) = delete;
    DeepChain& operator=(const DeepChain&) = delete;

    bool made() const { return m_made; }

private:
    QString m_root;
    bool m_made = false;
};

} // namespace

// Past the system's path limit the scan still lists every file `find` lists, and the deepest of them can
// still be put in the Trash.
TEST(LargeOldFilesWalk, aChainPastThePathLimitIsListedWhole)
{
    const TestSupport::TestServices kit;
    const TempTree tree;
    const EnvironmentOverride environment{{"HOME", tree.root()}};
    const DeepChain chain(tree.root(), 700, 50); // "dossier/" 700 times: 5,600 bytes below the home
    ASSERT_TRUE(chain.made());

    QProcess find;
    find.start(u"find"_s, {tree.root(), u"-type"_s, u"f"_s});
    ASSERT_TRUE(find.waitForFinished(-1));
    QStringList expected = QString::fromUtf8(find.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    const QString deepest = tree.root() + u"/dossier"_s.repeated(700) + u"/f700.zip"_s;
    ASSERT_EQ(expected.size(), 14);
    ASSERT_TRUE(expected.contains(deepest));
    ASSERT_GT(deepest.size(), PATH_MAX);

    const LargeOldFilesScanner scanner(kit.exclusions, ModuleID::largeOldFiles, 1,
                                       LargeOldFilesScanner::standardSkippedDirectories());
    const QList<ScanGroup> groups = scanner.scan({}, {});
    ASSERT_EQ(groups.size(), 1);
    QStringList listed;
    for (const ScanItem& item : groups[0].items)
        listed.append(item.url);
    expected.sort();
    listed.sort();
    EXPECT_EQ(listed, expected);

    const Platform::TrashResult trashed = Platform::trashItem(deepest);
    EXPECT_EQ(trashed.failure, std::nullopt);
    EXPECT_EQ(trashed.trashedPath, tree.root() + u"/.Trash/f700.zip"_s);
}
