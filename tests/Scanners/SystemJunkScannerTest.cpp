#include "Scanners/SystemJunkScanner.h"

#include "Platform/FileOperations.h"
#include "ScannerTestSupport.h"
#include "Scanners/ModuleScanner.h"
#include "Scanners/ScanItems.h"
#include "TempTree.h"
#include "TestServices.h"
#include "WaitFor.h"

#include <QFile>
#include <QSet>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Sizes are whole 4 KiB blocks, so that allocated sizes are known on any file system used here.
const QString kHome = uR"(
    home/Library/Caches/com.example.big/a 8192
    home/Library/Caches/com.example.big/b 8192
    home/Library/Caches/com.example.tiny 1
    home/Library/Caches/.hidden 4096
    home/Library/Caches/CloudKit/x 4096
    home/Library/Caches/com.apple.Safari.SafeBrowsing/x 4096
    home/Library/Caches/cloudkit/x 4096
    home/Library/Caches/Homebrew/x 8192
    home/Library/Caches/TemporaryItems/t1 4096
    home/Library/Caches/empty.db
    home/Library/Caches/emptyfolder/
    home/Library/Logs/empty.log
    "home/Library/Application Support/CrashReporter/r1" 4096
    home/Library/DiagnosticReports/app.ips 8192
    home/Library/Developer/Xcode/DerivedData/p/x 12288
    home/.npm/_cacache/i 4096
    home/Library/Updates/u 4096
    home/Downloads/Setup.DMG 4096
    home/Downloads/tool.mpkg 4096
    home/Downloads/Thing.pkg/Contents/x 4096
    home/Downloads/archive.zip 4096
    home/Downloads/sub/inner.dmg 4096
    "home/Library/Saved Application State/com.example.savedState/w" 4096
    tmp/session 4096
    tmp/.lock
)"_s;

class SystemJunkScannerTest : public ::testing::Test
{
protected:
    QList<ScanGroup> scan(bool includesProtectedLocations = true, const Progress& progress = {},
                          std::stop_token stop = {}) const
    {
        const SystemJunkScanner scanner(kit.exclusions, ModuleID::systemJunk, includesProtectedLocations,
                                        SystemJunkScanner::standardCacheDenylist());
        return scanner.scan(progress, stop);
    }

    QString home(const QString& relative) const { return tree.path(u"home/"_s + relative); }

    TempTree tree{kHome};
    EnvironmentOverride environment{{"HOME", tree.path(u"home"_s)}, {"TMPDIR", tree.path(u"tmp"_s)}};
    // The list the scans leave out, this test's own.
    TestSupport::TestServices kit;
};

const QStringList kAllSteps{u"0.05 Caches d'applications…"_s,
                            u"0.3 Journaux…"_s,
                            u"0.45 Outils de développement…"_s,
                            u"0.7 Fichiers temporaires…"_s,
                            u"0.85 Téléchargements — macOS peut demander une autorisation…"_s,
                            u"0.95 États d'application enregistrés…"_s,
                            u"1 "_s};

} // namespace

TEST_F(SystemJunkScannerTest, offersTheSixCategoriesInOrderEachSortedBySize)
{
    const QList<ScanGroup> groups = scan();
    ASSERT_EQ(titlesOf(groups), (QStringList{u"Caches d'applications"_s, u"Journaux et rapports d'incident"_s,
                                             u"Outils de développement"_s, u"Fichiers temporaires"_s,
                                             u"Programmes d'installation"_s, u"États d'application enregistrés"_s}));

    // Denylisted names are matched exactly; developer caches and TemporaryItems are offered in their own
    // category only; empty entries are not offered; equal sizes keep the listing order.
    EXPECT_EQ(namesOf(groups[0]),
              (QStringList{u"com.example.big"_s, u".hidden"_s, u"cloudkit"_s, u"com.example.tiny"_s}));
    EXPECT_EQ(namesOf(groups[1]), (QStringList{u"app.ips"_s, u"r1"_s}));
    EXPECT_EQ(namesOf(groups[2]), (QStringList{u"DerivedData"_s, u"Homebrew"_s, u"_cacache"_s}));
    EXPECT_EQ(namesOf(groups[3]), (QStringList{u"session"_s, u"t1"_s}));
    // Disk images and packages of Downloads whatever the letter case, nothing inside its sub-folders.
    EXPECT_EQ(namesOf(groups[4]), (QStringList{u"u"_s, u"Setup.DMG"_s, u"Thing.pkg"_s, u"tool.mpkg"_s}));
    EXPECT_EQ(namesOf(groups[5]), (QStringList{u"com.example.savedState"_s}));

    const struct {
        QString symbol;
        std::optional<QString> note;
    } looks[] = {
        {u"shippingbox"_s, u"Régénérés au prochain lancement de chaque app."_s},
        {u"doc.text"_s, u"Historique de diagnostic, sans effet sur le fonctionnement."_s},
        {u"hammer"_s, u"Reconstruits automatiquement — la première build suivante sera plus lente."_s},
        {u"clock.arrow.circlepath"_s, std::nullopt},
        {u"arrow.down.circle"_s, u"Images disque et paquets déjà installés."_s},
        {u"macwindow"_s, u"Les apps rouvriront sans restaurer leurs fenêtres précédentes."_s},
    };
    QSet<QUuid> ids;
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(groups[i].symbol, looks[i].symbol);
        EXPECT_EQ(groups[i].note, looks[i].note);
        EXPECT_FALSE(groups[i].isExpanded);
        EXPECT_EQ(groups[i].metric, ScanGroup::Metric::bytes);
        ids.insert(groups[i].id);
        for (const ScanItem& item : groups[i].items) {
            EXPECT_TRUE(item.isSelected && !item.isRisky && !item.threat) << item.url.toStdString();
            EXPECT_EQ(item.removalMode, Removal::Mode::trash());
            EXPECT_TRUE(item.modified.has_value());
            ids.insert(item.id);
        }
    }
    EXPECT_EQ(ids.size(), 6 + 4 + 2 + 3 + 2 + 4 + 1);

    const ScanItem& big = groups[0].items[0];
    EXPECT_EQ(big.url, home(u"Library/Caches/com.example.big"_s));
    EXPECT_EQ(big.size, 16384);
    EXPECT_EQ(big.detail, u"~/Library/Caches/com.example.big"_s);
    EXPECT_EQ(groups[2].items[0].detail, u"Caches de compilation Xcode"_s);
    EXPECT_EQ(groups[2].items[1].detail, u"Cache Homebrew"_s);
    EXPECT_EQ(groups[2].items[2].detail, u"Cache npm"_s);
    EXPECT_EQ(groups[3].items[0].detail, tree.path(u"tmp/session"_s)); // outside the home: shown whole
}

TEST_F(SystemJunkScannerTest, reportsEveryStepWhateverIsFound)
{
    const TempTree emptyHome;
    const struct {
        const char* what;
        bool includesProtectedLocations;
        bool cancelled;
        QString home;
        QStringList installers; // nothing: no installers group
    } cases[] = {
        {"Downloads left alone", false, false, tree.path(u"home"_s), {u"u"_s}},
        {"cancelled before the start", true, true, tree.path(u"home"_s), {}},
        {"an empty home", true, false, emptyHome.root(), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const EnvironmentOverride homeOverride{{"HOME", c.home}, {"TMPDIR", c.home + u"/tmp"_s}};
        std::stop_source stop;
        if (c.cancelled)
            stop.request_stop();
        ProgressLog log;
        const QList<ScanGroup> groups = scan(c.includesProtectedLocations, log.callback(), stop.get_token());

        QStringList steps = kAllSteps;
        if (!c.includesProtectedLocations)
            steps[4] = u"0.85 Restes d'installation…"_s;
        EXPECT_EQ(log.steps(), steps);
        const ScanGroup* installers = groupTitled(groups, u"Programmes d'installation"_s);
        EXPECT_EQ(installers ? namesOf(*installers) : QStringList(), c.installers);
        if (c.installers.isEmpty()) {
            EXPECT_TRUE(groups.isEmpty());
        }
    }
}

TEST_F(SystemJunkScannerTest, aStopKeepsWhatWasFoundAndReadsNothingMore)
{
    std::stop_source stop;
    // The stop comes while the second cache is looked at; it is a folder, so its measure is cut short.
    kit.exclusions.setRule([&](const QString& path) {
        if (path.endsWith(u"/cloudkit"))
            stop.request_stop();
        return false;
    });
    ProgressLog log;
    const QList<ScanGroup> groups = scan(true, log.callback(), stop.get_token());
    ASSERT_EQ(titlesOf(groups), QStringList{u"Caches d'applications"_s});
    EXPECT_EQ(namesOf(groups[0]), QStringList{u".hidden"_s});
    EXPECT_EQ(log.steps(), kAllSteps);
}

TEST_F(SystemJunkScannerTest, skippedPathsAreNotOffered)
{
    const QSet<QString> skipped{home(u"Library/Caches/com.example.big"_s),
                                home(u"Library/Developer/Xcode/DerivedData"_s), home(u"Downloads/Setup.DMG"_s)};
    for (const QString& path : skipped)
        ASSERT_TRUE(kit.exclusions.add(path));
    const QList<ScanGroup> groups = scan();
    ASSERT_EQ(groups.size(), 6);
    EXPECT_EQ(namesOf(groups[0]), (QStringList{u".hidden"_s, u"cloudkit"_s, u"com.example.tiny"_s}));
    EXPECT_EQ(namesOf(groups[2]), (QStringList{u"Homebrew"_s, u"_cacache"_s}));
    EXPECT_EQ(namesOf(groups[4]), (QStringList{u"u"_s, u"Thing.pkg"_s, u"tool.mpkg"_s}));
}

TEST_F(SystemJunkScannerTest, entriesThatVanishDuringTheScanAreLeftOut)
{
    bool removed = false;
    kit.exclusions.setRule([&](const QString& path) {
        if (!removed && path.endsWith(u"/.hidden")) {
            removed = true;
            EXPECT_FALSE(Platform::removeItem(home(u"Library/Caches/com.example.big"_s)));
            EXPECT_FALSE(Platform::removeItem(home(u"Library/DiagnosticReports"_s)));
        }
        return false;
    });
    const QList<ScanGroup> groups = scan();
    ASSERT_EQ(groups.size(), 6);
    EXPECT_EQ(namesOf(groups[0]), (QStringList{u".hidden"_s, u"cloudkit"_s, u"com.example.tiny"_s}));
    EXPECT_EQ(namesOf(groups[1]), QStringList{u"r1"_s});
}

// Links are never entered nor offered, pipes are not opened, odd names are offered like others, and a
// temporary folder inside a cache does not list its files a second time.
TEST_F(SystemJunkScannerTest, staysInsideTheHomeAndListsNothingTwice)
{
    tree.add(uR"(
        outside/big/x 40960
        home/Library/Caches/linked -> ../../../outside/big
        home/Library/Caches/com.example.linking/f 4096
        home/Library/Caches/com.example.linking/inner -> ../../../../outside/big
        "home/Library/Caches/odd \"name\"\n é" 4096
        home/Library/Caches/T/scratch 4096
        home/.cache/go-build -> ../../outside/big
        home/Library/pnpm/store -> ../../../outside
    )"_s);
    ASSERT_FALSE(Platform::removeItem(home(u"Library/Logs"_s)));
    tree.add(u"home/Library/Logs -> ../../outside"_s);
    ::chmod(QFile::encodeName(home(u"Library/Saved Application State"_s)).constData(), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(home(u"Library/DiagnosticReports/pipe"_s)).constData(), 0600), 0);

    const EnvironmentOverride temporary{{"TMPDIR", home(u"Library/Caches/T"_s)}};
    const QList<ScanGroup> groups = scan();
    ::chmod(QFile::encodeName(home(u"Library/Saved Application State"_s)).constData(), 0755);

    QStringList urls;
    for (const ScanGroup& group : groups) {
        for (const ScanItem& item : group.items) {
            EXPECT_TRUE(item.url.startsWith(tree.path(u"home/"_s))) << item.url.toStdString();
            for (const QString& earlier : urls)
                EXPECT_FALSE(item.url == earlier || item.url.startsWith(earlier + u'/') ||
                             earlier.startsWith(item.url + u'/'))
                    << item.url.toStdString() << " and " << earlier.toStdString();
            urls.append(item.url);
        }
    }
    const ScanGroup* caches = groupTitled(groups, u"Caches d'applications"_s);
    ASSERT_TRUE(caches);
    EXPECT_EQ(namesOf(*caches), (QStringList{u"com.example.big"_s, u".hidden"_s, u"T"_s, u"cloudkit"_s,
                                             u"com.example.linking"_s, u"com.example.tiny"_s, u"odd \"name\"\n é"_s}));
    EXPECT_EQ(caches->items[4].size, 4096); // the link inside adds nothing
    EXPECT_EQ(namesOf(*groupTitled(groups, u"Journaux et rapports d'incident"_s)),
              (QStringList{u"app.ips"_s, u"r1"_s}));
    EXPECT_EQ(namesOf(*groupTitled(groups, u"Outils de développement"_s)),
              (QStringList{u"DerivedData"_s, u"Homebrew"_s, u"_cacache"_s}));
    EXPECT_EQ(namesOf(*groupTitled(groups, u"Fichiers temporaires"_s)), QStringList{u"t1"_s});
    if (::geteuid() != 0) { // root reads the unreadable folder anyway
        EXPECT_FALSE(groupTitled(groups, u"États d'application enregistrés"_s));
    }
}

// Such a temporary folder would offer personal folders, or entries the caches keep back, as temporary files.
TEST_F(SystemJunkScannerTest, aTemporaryFolderHoldingAScannedFolderIsNotRead)
{
    tree.add(u"home/Documents/thesis.pdf 4096"_s);
    for (const QString& temporary :
         {tree.path(u"home"_s), tree.root(), home(u"Library"_s), home(u"Library/Caches"_s), home(u"Downloads"_s)}) {
        const EnvironmentOverride override{{"TMPDIR", temporary}};
        const QList<ScanGroup> groups = scan();
        const ScanGroup* group = groupTitled(groups, u"Fichiers temporaires"_s);
        ASSERT_TRUE(group);
        EXPECT_EQ(namesOf(*group), QStringList{u"t1"_s}) << temporary.toStdString();
    }
}

// The temporary folder holds the sockets and pipes of running programs: they free nothing and a program may
// depend on them, so none is an item. A folder holding one is measured and offered like any other.
TEST_F(SystemJunkScannerTest, liveSocketsPipesAndDevicesAreNeverItems)
{
    tree.add(u"tmp/display/cookie 4096"_s);
    const auto bound = [](const QString& path) {
        const int descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = path.toLocal8Bit();
        if (descriptor < 0 || name.size() >= qsizetype(sizeof(address.sun_path)))
            return -1;
        std::copy(name.begin(), name.end(), address.sun_path);
        if (::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(descriptor, 1) != 0) {
            ::close(descriptor);
            return -1;
        }
        return descriptor;
    };
    const int socket = bound(tree.path(u"tmp/live.sock"_s));
    ASSERT_GE(socket, 0);
    const int inner = bound(tree.path(u"tmp/display/X0"_s));
    ASSERT_GE(inner, 0);
    ASSERT_EQ(::mkfifo(tree.path(u"tmp/pipe"_s).toLocal8Bit().constData(), 0600), 0);
    // Only a privileged process may make a device node; where it cannot, the other kinds still count.
    ::mknod(tree.path(u"tmp/null"_s).toLocal8Bit().constData(), S_IFCHR | 0600, makedev(1, 3));

    const QList<ScanGroup> groups = scan();
    const ScanGroup* temporary = groupTitled(groups, u"Fichiers temporaires"_s);
    ASSERT_TRUE(temporary);
    const QStringList names = namesOf(*temporary);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()), (QSet<QString>{u"display"_s, u"session"_s, u"t1"_s}));
    ::close(socket);
    ::close(inner);
}

TEST_F(SystemJunkScannerTest, offersEveryDeveloperCacheWithItsLabel)
{
    const struct {
        const char* location;
        QString label;
    } caches[] = {
        {"Library/Developer/Xcode/DerivedData", u"Caches de compilation Xcode"_s},
        {"Library/Developer/CoreSimulator/Caches", u"Caches du simulateur iOS"_s},
        {"Library/Developer/Xcode/iOS DeviceSupport", u"Symboles d'appareils iOS"_s},
        {"Library/Developer/Xcode/watchOS DeviceSupport", u"Symboles d'appareils watchOS"_s},
        {"Library/Caches/com.apple.dt.Xcode", u"Cache Xcode"_s},
        {".npm/_cacache", u"Cache npm"_s},
        {"Library/Caches/Yarn", u"Cache Yarn"_s},
        {"Library/pnpm/store", u"Store pnpm"_s},
        {"Library/Caches/pip", u"Cache pip"_s},
        {"Library/Caches/Homebrew", u"Cache Homebrew"_s},
        {".gradle/caches", u"Cache Gradle"_s},
        {"Library/Caches/CocoaPods", u"Cache CocoaPods"_s},
        {".cargo/registry/cache", u"Cache Cargo"_s},
        {".cache/go-build", u"Cache Go"_s},
        {".docker/buildx", u"Cache Docker BuildKit"_s},
    };
    TempTree developerHome;
    QStringList expected;
    for (const auto& cache : caches) {
        developerHome.add(u'"' + QString::fromUtf8(cache.location) + u"/data\" 4096"_s);
        expected.append(QString::fromUtf8(cache.location).section(u'/', -1) + u" · "_s + cache.label);
    }
    const EnvironmentOverride override{{"HOME", developerHome.root()}};
    const QList<ScanGroup> groups = scan();
    // Those inside ~/Library/Caches are offered here only.
    ASSERT_EQ(titlesOf(groups), QStringList{u"Outils de développement"_s});
    QStringList offered;
    for (const ScanItem& item : groups[0].items)
        offered.append(item.name + u" · "_s + item.detail.value_or(QString()));
    EXPECT_EQ(offered, expected);
}

// A long list is looked at and measured side by side on the walk pool, with the result one after another
// gives: every entry, sized exactly, in size order and, among equal sizes, in the order of their names.
TEST_F(SystemJunkScannerTest, aLongListIsMeasuredSideBySideWithTheSameResult)
{
    QString description;
    for (int i = 0; i < 1200; ++i) {
        description += i % 2 == 0 ? u"home/Library/Caches/many-%1 4096\n"_s.arg(i, 4, 10, QChar(u'0'))
                                  : u"home/Library/Caches/many-%1/a/b 12288\n"_s.arg(i, 4, 10, QChar(u'0'));
    }
    tree.add(description);
    // The first entry waits until another thread looks at an entry: measured one after another, none would.
    std::mutex mutex;
    std::condition_variable otherThreadSeen;
    const std::thread::id caller = std::this_thread::get_id();
    bool seen = false;
    bool waited = false;
    kit.exclusions.setRule([&](const QString& path) {
        std::unique_lock lock(mutex);
        if (std::this_thread::get_id() != caller) {
            seen = true;
            otherThreadSeen.notify_all();
        } else if (!waited && path.endsWith(u"/many-0000")) {
            waited = true;
            otherThreadSeen.wait_for(lock, TestSupport::waitSpan, [&] { return seen; });
        }
        return false;
    });
    const QList<ScanGroup> groups = scan();
    EXPECT_TRUE(seen) << "every entry was looked at on the scanning thread";

    const ScanGroup* caches = groupTitled(groups, u"Caches d'applications"_s);
    ASSERT_TRUE(caches);
    QList<QPair<qint64, QString>> many;
    for (const ScanItem& item : caches->items) {
        if (item.name.startsWith(u"many-"))
            many.append({item.size, item.name});
    }
    ASSERT_EQ(many.size(), 1200);
    for (qsizetype i = 0; i < many.size(); ++i) {
        const bool folder = i < 600;
        EXPECT_EQ(many[i].first, folder ? 12288 : 4096) << i;
        if (i > 0 && folder == (i - 1 < 600)) {
            EXPECT_LT(many[i - 1].second, many[i].second) << i;
        }
    }
}

// A wide cache folder is looked at relative to the open folder and judged by rules made ready once: the items
// are those that measuring each child by its path gives, a skipped child, a link and a pipe left out.
TEST_F(SystemJunkScannerTest, aWideFolderGivesTheItemsEachChildMeasuredByItsPathGives)
{
    QString description;
    for (int i = 0; i < 10000; ++i)
        description += u"home/Library/Caches/wide-%1 %2\n"_s.arg(i, 5, 10, QChar(u'0')).arg(4096 * (1 + i % 3));
    description += u"home/Library/Caches/wide-link -> wide-00001\nhome/Library/Caches/wide-folder/x 12288\n"_s;
    tree.add(description);
    ASSERT_EQ(::mkfifo(QFile::encodeName(home(u"Library/Caches/wide-pipe"_s)).constData(), 0644), 0);
    const QString skipped = home(u"Library/Caches/wide-00007"_s);
    ASSERT_TRUE(kit.exclusions.add(skipped));

    const QList<ScanGroup> groups = scan();
    const ScanGroup* caches = groupTitled(groups, u"Caches d'applications"_s);
    ASSERT_TRUE(caches);
    QList<ScanItem> expected;
    for (const QString& child : ModuleScanner::directoryContents(home(u"Library/Caches"_s))) {
        if (!child.section(u'/', -1).startsWith(u"wide"))
            continue;
        if (std::optional<ScanItem> item = ScanItems::measured(kit.exclusions, child, Removal::Mode::trash(), {}))
            expected.append(std::move(*item));
    }
    expected = ScanOrder::sortedBySize(std::move(expected));
    ASSERT_EQ(expected.size(), 10000); // 9,999 files and the folder
    QList<ScanItem> listed;
    for (const ScanItem& item : caches->items) {
        if (item.name.startsWith(u"wide"))
            listed.append(item);
    }
    ASSERT_EQ(listed.size(), expected.size());
    for (qsizetype i = 0; i < listed.size(); ++i) {
        expected[i].id = listed[i].id;
        EXPECT_EQ(listed[i], expected[i]) << listed[i].url.toStdString();
    }
}
