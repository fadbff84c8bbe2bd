#include "Core/Removal.h"

#include "Core/Exclusions.h"
#include "Platform/Access.h"
#include "Platform/FileSystem.h"
#include "Platform/SafeReach.h"
#include "Platform/SystemRoot.h"
#include "Sandbox.h"
#include "ScanItemMaking.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"
#include "TestServices.h"

#include <atomic>
#include <chrono>
#include <numeric>
#include <random>
#include <stop_token>
#include <thread>
#include <utility>
#include <vector>

#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using Removal::Mode;
using TestSupport::exists;
using TestSupport::makeLink;
using TestSupport::scanItem;
using TestSupport::writeFile;

namespace {

using Calls = std::vector<std::pair<double, QString>>;

// Everything below `folder`, links described and never followed: relative path → content or link target.
QMap<QString, QByteArray> snapshotOf(const QString& folder)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        const QString relative = path.mid(folder.size() + 1);
        if (info.isSymLink())
            entries.insert(relative, "-> " + QFile::encodeName(info.symLinkTarget()));
        else if (info.isDir())
            entries.insert(relative, "folder");
        else
            entries.insert(relative, TestSupport::contentOf(path));
    }
    return entries;
}

Progress recorder(Calls& calls)
{
    return [&calls](double fraction, const QString& status) { calls.emplace_back(fraction, status); };
}

class RemovalEngine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestSupport::installStandIns();
        QFile::remove(TestSupport::systemRoot() + u"/private/var/log/launchctl.log"_s);
    }
    // Folders whose path contains "locked" cannot be written by the user; the rest can.
    void lockFoldersNamedLocked()
    {
        kit.access.setRule([](const QString& folder) { return !folder.contains(u"locked"_s); });
    }

    // The list the removals judge against, this test's own.
    TestSupport::TestServices kit;
};

} // namespace

TEST_F(RemovalEngine, anEmptyOrStoppedCallReportsOnlyTheEnd)
{
    Calls calls;
    EXPECT_EQ(Removal::remove(kit.exclusions, kit.access, {}, std::nullopt, recorder(calls)), Removal::Report{});
    EXPECT_EQ(calls, (Calls{{1.0, QString()}}));

    const TempTree tree(u"a 10"_s);
    std::stop_source stop;
    stop.request_stop();
    calls.clear();
    const Removal::Report report =
        Removal::remove(kit.exclusions, kit.access, {scanItem(tree.path(u"a"_s), true, 100, Mode::trash())},
                        std::nullopt, recorder(calls), stop.get_token());
    EXPECT_EQ(report, Removal::Report{});
    EXPECT_EQ(calls, (Calls{{1.0, QString()}}));
    EXPECT_TRUE(exists(tree.path(u"a"_s)));
}

TEST_F(RemovalEngine, removesEachItemByItsModeAndReportsWhatItFreed)
{
    TempTree tree(uR"(
        trash-me 10
        delete-me/inside 10
        shred-me 5000
        gone-target 1
    )"_s);
    tree.add(u"dangling -> missing-target"_s);
    const QList<ScanItem> items{scanItem(tree.path(u"trash-me"_s), true, 10, Mode::trash()),
                                scanItem(tree.path(u"delete-me"_s), true, 20, Mode::deletion()),
                                scanItem(tree.path(u"shred-me"_s), true, 5000, Mode::shred(1)),
                                scanItem(tree.path(u"vanished"_s), true, 7, Mode::trash()),
                                scanItem(tree.path(u"dangling"_s), true, 3, Mode::deletion())};
    Calls calls;
    const Removal::Report report = Removal::remove(kit.exclusions, kit.access, items, std::nullopt, recorder(calls));

    ASSERT_EQ(report.removed.size(), 4);
    EXPECT_EQ(report.removed[0].origin, tree.path(u"trash-me"_s));
    EXPECT_EQ(report.removed[0].trashed, Platform::homeFolder() + u"/.Trash/trash-me"_s);
    EXPECT_EQ(report.removed[1].trashed, std::nullopt);
    EXPECT_EQ(report.removed[3].origin, tree.path(u"dangling"_s)); // a link without target goes as a link
    EXPECT_TRUE(report.failures.isEmpty());
    EXPECT_EQ(report.freedBytes, 10 + 20 + 5000 + 3);
    for (const char16_t* name : {u"trash-me", u"delete-me", u"shred-me", u"dangling"})
        EXPECT_FALSE(exists(tree.path(QString::fromUtf16(name))));
    EXPECT_EQ(calls, (Calls{{0.0, u"trash-me"_s},
                            {0.2, u"delete-me"_s},
                            {0.4, u"shred-me"_s},
                            {0.6, u"vanished"_s},
                            {0.8, u"dangling"_s},
                            {1.0, QString()}}));
}

TEST_F(RemovalEngine, refusesProtectedThenExcludedLocationsWhateverTheMode)
{
    const QString system = TestSupport::systemRoot() + u"/System/Library/Kernel"_s;
    ASSERT_FALSE(QDir().mkpath(system) == false);
    const TempTree tree(uR"(
        excluded 10
        parent/kept/file 10
        parent/other 10
    )"_s);
    ASSERT_TRUE(kit.exclusions.add(tree.path(u"excluded"_s)));
    ASSERT_TRUE(kit.exclusions.add(tree.path(u"parent/kept"_s)));
    ASSERT_TRUE(kit.exclusions.add(system));

    const Removal::Report report = Removal::remove(kit.exclusions, kit.access,
                                                   {scanItem(system, true, 100, Mode::trash()),
                                                    scanItem(tree.path(u"excluded"_s), true, 100, Mode::trash()),
                                                    scanItem(tree.path(u"parent"_s), true, 100, Mode::trash())},
                                                   Mode::deletion());
    EXPECT_TRUE(report.removed.isEmpty());
    EXPECT_EQ(report.failures, (QList<Removal::Failure>{{system, u"Emplacement protégé."_s},
                                                        {tree.path(u"excluded"_s), u"Exclu par vos réglages."_s},
                                                        {tree.path(u"parent"_s), u"Exclu par vos réglages."_s}}));
    EXPECT_TRUE(exists(system));
    EXPECT_TRUE(exists(tree.path(u"parent/kept/file"_s)));
    EXPECT_TRUE(exists(tree.path(u"parent/other"_s)));
}

TEST_F(RemovalEngine, threatsInWritableFoldersAreUnloadedFromTheUserSessionThenTrashed)
{
    const TempTree tree(uR"(
        agents/com.adware.helper.plist 10
        agents/unlabelled.plist 10
    )"_s);
    const Removal::Report report = Removal::remove(
        kit.exclusions, kit.access,
        {scanItem(tree.path(u"agents/com.adware.helper.plist"_s), true, 100, Mode::threat(u"com.adware.helper"_s)),
         scanItem(tree.path(u"agents/unlabelled.plist"_s), true, 100, Mode::threat(std::nullopt))});
    ASSERT_EQ(report.removed.size(), 2);
    EXPECT_TRUE(report.removed[0].trashed.has_value());
    EXPECT_EQ(TestSupport::launchctlCalls(),
              (QList<QStringList>{{u"bootout"_s, u"gui/%1/com.adware.helper"_s.arg(Platform::userID())}}));
}

TEST_F(RemovalEngine, threatsInLockedFoldersGoThroughOneAdministratorScript)
{
    lockFoldersNamedLocked();
    const TempTree tree(uR"(
        locked/daemon.plist 10
        "locked/it's \"odd\" $(touch INJECTED) `touch INJECTED2` \\ é\nx.plist" 10
        open/keep.txt 10
    )"_s);
    const QString odd = tree.path(u"locked/it's \"odd\" $(touch INJECTED) `touch INJECTED2` \\ é\nx.plist"_s);
    const QString evilLabel = u"com.evil'; touch "_s + tree.path(u"PWNED"_s) + u"; echo '"_s;
    const Removal::Report report =
        Removal::remove(kit.exclusions, kit.access,
                        {scanItem(tree.path(u"locked/daemon.plist"_s), true, 10, Mode::threat(evilLabel)),
                         scanItem(odd, true, 20, Mode::threat(std::nullopt))});
    ASSERT_EQ(report.removed.size(), 2) << (report.failures.isEmpty() ? "" : report.failures[0].reason.toStdString());
    EXPECT_EQ(report.removed[0].trashed, std::nullopt);
    EXPECT_EQ(report.freedBytes, 30);
    EXPECT_FALSE(exists(odd));
    EXPECT_TRUE(exists(tree.path(u"open/keep.txt"_s)));
    EXPECT_FALSE(exists(tree.path(u"PWNED"_s)));
    EXPECT_FALSE(exists(tree.path(u"locked/INJECTED"_s)));
    EXPECT_TRUE(QDir(QDir::currentPath()).entryList({u"INJECTED*"_s}).isEmpty());
    // The label reaches launchctl whole, as one argument.
    EXPECT_EQ(TestSupport::launchctlCalls(), (QList<QStringList>{{u"bootout"_s, u"system/"_s + evilLabel}}));
}

TEST_F(RemovalEngine, aDismissedPromptFailsTheBatchAndLeavesTheOthersAlone)
{
    lockFoldersNamedLocked();
    const TestSupport::ScopedEnvironment cancel("QUORVANE_OSASCRIPT_CANCEL", u"1"_s);
    const TempTree tree(uR"(
        plain.txt 10
        locked/threat.plist 10
    )"_s);
    Calls calls;
    const Removal::Report report =
        Removal::remove(kit.exclusions, kit.access,
                        {scanItem(tree.path(u"plain.txt"_s), true, 100, Mode::trash()),
                         scanItem(tree.path(u"locked/threat.plist"_s), true, 100, Mode::threat(u"com.x"_s))},
                        std::nullopt, recorder(calls));
    EXPECT_EQ(report.failures, (QList<Removal::Failure>{{tree.path(u"locked/threat.plist"_s), u"Annulé."_s}}));
    ASSERT_EQ(report.removed.size(), 1);
    EXPECT_EQ(report.removed[0].origin, tree.path(u"plain.txt"_s));
    EXPECT_TRUE(exists(tree.path(u"locked/threat.plist"_s)));
    EXPECT_TRUE(TestSupport::launchctlCalls().isEmpty());
    EXPECT_EQ(calls, (Calls{{0.0, u"plain.txt"_s}, {1.0, QString()}}));
}

TEST_F(RemovalEngine, batchVerdictsFollowWhatIsLeft)
{
    lockFoldersNamedLocked();
    // An rm that deletes names holding "gone" and fails loudly on those holding "stays".
    const QString rm = TestSupport::systemRoot() + u"/bin/rm"_s;
    QFile script(rm);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
    script.write("#!/bin/sh\nfor a in \"$@\"; do case \"$a\" in *gone*) /bin/rm -rf \"$a\";;\n"
                 "*stays*) echo 'rm: refusé' >&2; exit 1;; esac; done\n");
    script.close();
    const TempTree tree(uR"(
        locked/gone.plist 10
        locked/stays.plist 10
    )"_s);
    // The script's status is that of its last line, so the failing item comes last.
    const Removal::Report report =
        Removal::remove(kit.exclusions, kit.access,
                        {scanItem(tree.path(u"locked/gone.plist"_s), true, 100, Mode::threat({})),
                         scanItem(tree.path(u"locked/already-gone"_s), true, 100, Mode::threat({})),
                         scanItem(tree.path(u"locked/stays.plist"_s), true, 100, Mode::threat({}))});
    ASSERT_EQ(report.removed.size(), 2);
    EXPECT_EQ(report.removed[0].origin, tree.path(u"locked/gone.plist"_s));
    EXPECT_EQ(report.removed[1].origin, tree.path(u"locked/already-gone"_s));
    EXPECT_EQ(report.failures, (QList<Removal::Failure>{{tree.path(u"locked/stays.plist"_s), u"rm: refusé"_s}}));

    // A script that reports success but leaves the item.
    script.open(QIODevice::WriteOnly | QIODevice::Truncate);
    script.write("#!/bin/sh\nexit 0\n");
    script.close();
    const Removal::Report silent = Removal::remove(
        kit.exclusions, kit.access, {scanItem(tree.path(u"locked/stays.plist"_s), true, 100, Mode::threat({}))});
    EXPECT_EQ(silent.failures, (QList<Removal::Failure>{
                                   {tree.path(u"locked/stays.plist"_s), u"Toujours présent après la suppression."_s}}));
}

// A batch whose script is several times what one argument may carry: one prompt, pieces that each fit, and
// every item judged by its own piece.
TEST_F(RemovalEngine, aLongBatchGoesInPiecesThatEachFitOneArgument)
{
    lockFoldersNamedLocked();
    // The prompt stand-in, behind a recorder of each call's argument size.
    const QString osascript = TestSupport::systemRoot() + u"/usr/bin/osascript"_s;
    const QString sizes = TestSupport::systemRoot() + u"/private/var/log/osascript-sizes.log"_s;
    QFile::remove(osascript + u".stand-in"_s);
    ASSERT_TRUE(QFile::rename(osascript, osascript + u".stand-in"_s));
    QFile::remove(sizes);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(sizes).path()));
    writeFile(osascript, "#!/bin/sh\nprintf '%s' \"$2\" | wc -c >> '" + QFile::encodeName(sizes) +
                             "'\nexec \"$0.stand-in\" \"$@\"\n");
    // An rm that refuses names holding "reste".
    const QString rm = TestSupport::systemRoot() + u"/bin/rm"_s;
    writeFile(rm, "#!/bin/sh\nfor a in \"$@\"; do case \"$a\" in *reste*) echo 'rm: refusé' >&2; exit 1;; esac; done\n"
                  "exec /bin/rm \"$@\"\n");
    for (const QString& tool : {osascript, rm})
        ASSERT_TRUE(QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const auto recordedSizes = [&] {
        QList<qsizetype> recorded;
        QFile log(sizes);
        if (log.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : log.readAll().split('\n')) {
                if (!line.trimmed().isEmpty())
                    recorded.append(line.trimmed().toLongLong());
            }
        }
        return recorded;
    };

    constexpr int kItems = 500;
    TempTree tree;
    QList<ScanItem> items;
    int labelled = 0;
    for (int i = 0; i < kItems; ++i) {
        const QString folder = tree.path(u"locked/dossier « %1 » de l'agent \"caché\""_s.arg(i % 3));
        QDir().mkpath(folder);
        const QString name = i == 0            ? u"reste au début, l'agent « tenace ».plist"_s
                             : i == kItems - 1 ? u"reste à la fin, l'agent « tenace ».plist"_s
                                               : u"menace n°%1 — l'agent « %1 » \"caché\" dans une bibliothèque de "
                                                 u"démarrage à la française.plist"_s.arg(i);
        writeFile(folder + u'/' + name, "threat");
        std::optional<QString> label;
        if (i % 50 == 25) {
            label = u"com.menace.agent%1"_s.arg(i);
            ++labelled;
        }
        items.append(scanItem(folder + u'/' + name, true, 1, Mode::threat(label)));
    }

    {
        // Dismissed at the first piece: nothing else is tried and every item carries the answer.
        const TestSupport::ScopedEnvironment cancel("QUORVANE_OSASCRIPT_CANCEL", u"1"_s);
        const Removal::Report report = Removal::remove(kit.exclusions, kit.access, items);
        EXPECT_TRUE(report.removed.isEmpty());
        ASSERT_EQ(report.failures.size(), kItems);
        for (const Removal::Failure& failure : report.failures)
            EXPECT_EQ(failure.reason, u"Annulé."_s) << failure.url.toStdString();
        EXPECT_EQ(recordedSizes().size(), 1);
        EXPECT_TRUE(TestSupport::launchctlCalls().isEmpty());
        for (const ScanItem& item : items)
            ASSERT_TRUE(exists(item.url)) << item.url.toStdString();
    }

    QFile::remove(sizes);
    const Removal::Report report = Removal::remove(kit.exclusions, kit.access, items);
    const QList<qsizetype> pieces = recordedSizes();
    EXPECT_GT(pieces.size(), 2);
    EXPECT_GT(std::accumulate(pieces.begin(), pieces.end(), qsizetype(0)), 128 * 1024);
    for (const qsizetype size : pieces)
        EXPECT_LT(size, 64 * 1024);
    // The first item's piece ended well, the last one's with its refusal; everything else is gone.
    EXPECT_EQ(report.failures,
              (QList<Removal::Failure>{{items.first().url, u"Toujours présent après la suppression."_s},
                                       {items.last().url, u"rm: refusé"_s}}));
    QStringList removed;
    for (const Removal::Removed& entry : report.removed)
        removed.append(entry.origin);
    QStringList expected;
    for (qsizetype i = 1; i + 1 < items.size(); ++i)
        expected.append(items[i].url);
    EXPECT_EQ(removed, expected);
    EXPECT_EQ(report.freedBytes, kItems - 2);
    for (const QString& path : expected)
        EXPECT_FALSE(exists(path)) << path.toStdString();
    EXPECT_EQ(TestSupport::launchctlCalls().size(), labelled);
}

TEST_F(RemovalEngine, labelsThatCouldBreakAScriptLineAndUserAgentsStayOutOfTheScript)
{
    lockFoldersNamedLocked();
    const QString agents = Platform::systemPath(u"/Library/LaunchAgents"_s);
    ASSERT_TRUE(QDir().mkpath(agents));
    TempTree tree(u"locked/newline.plist 10"_s);
    // The system root's LaunchAgents folder counts as locked for this test.
    kit.access.setRule([agents](const QString& folder) { return !folder.contains(u"locked"_s) && folder != agents; });
    QFile agent(agents + u"/com.agent.plist"_s);
    ASSERT_TRUE(agent.open(QIODevice::WriteOnly));
    agent.close();
    const Removal::Report report =
        Removal::remove(kit.exclusions, kit.access,
                        {scanItem(tree.path(u"locked/newline.plist"_s), true, 100, Mode::threat(u"com.a\ntouch x"_s)),
                         scanItem(agents + u"/com.agent.plist"_s, true, 100, Mode::threat(u"com.agent"_s))});
    EXPECT_EQ(report.removed.size(), 2);
    EXPECT_EQ(TestSupport::launchctlCalls(),
              (QList<QStringList>{{u"bootout"_s, u"gui/%1/com.agent"_s.arg(Platform::userID())}}));
}

TEST_F(RemovalEngine, anOverrideTrashesThreatsWithoutAnyUnloadOrPrompt)
{
    lockFoldersNamedLocked();
    const TestSupport::ScopedEnvironment cancel("QUORVANE_OSASCRIPT_CANCEL", u"1"_s);
    const TempTree tree(u"locked/threat.plist 10"_s);
    const Removal::Report report = Removal::remove(
        kit.exclusions, kit.access,
        {scanItem(tree.path(u"locked/threat.plist"_s), true, 100, Mode::threat(u"com.x"_s))}, Mode::trash());
    ASSERT_EQ(report.removed.size(), 1);
    EXPECT_TRUE(report.removed[0].trashed.has_value());
    EXPECT_TRUE(TestSupport::launchctlCalls().isEmpty());
}

namespace {

struct ModeCase {
    const char* name;
    Mode mode;
    bool locked; // the item's folder cannot be written by the user: the administrator script removes it
};

std::vector<ModeCase> everyMode()
{
    return {{"trash", Mode::trash(), false},
            {"delete", Mode::deletion(), false},
            {"shred", Mode::shred(2), false},
            {"threat", Mode::threat(u"com.app.agent"_s), false},
            {"threat as administrator", Mode::threat(u"com.app.agent"_s), true}};
}

// Both ways of walking down to an item: openat2 in one call, and one folder at a time.
class ReachWalks
{
public:
    explicit ReachWalks(bool componentWalk) { Platform::SafeReach::setComponentWalkOnly(componentWalk); }
    ~ReachWalks() { Platform::SafeReach::setComponentWalkOnly(false); }
    ReachWalks(const ReachWalks&) = delete;
    ReachWalks& operator=(const ReachWalks&) = delete;
};

} // namespace

TEST_F(RemovalEngine, aCacheFolderSwappedForALinkAfterTheScanLeadsNowhereInAnyMode)
{
    lockFoldersNamedLocked();
    const QString library = Platform::homeFolder() + u"/Library"_s;
    const QString keychains = library + u"/Keychains"_s;
    const QString trash = Platform::homeFolder() + u"/.Trash"_s;
    ASSERT_TRUE(QDir().mkpath(keychains));
    ASSERT_TRUE(QDir().mkpath(trash));
    writeFile(keychains + u"/login.keychain-db"_s, "secret");
    ASSERT_TRUE(QDir().mkpath(keychains + u"/inner"_s));
    writeFile(keychains + u"/inner/login.keychain-db"_s, "secret too");
    const QMap<QString, QByteArray> before = snapshotOf(keychains);

    for (const bool componentWalk : {false, true}) {
        const ReachWalks walk(componentWalk);
        for (const ModeCase& mode : everyMode()) {
            for (const char16_t* depth : {u"", u"/inner"}) {
                SCOPED_TRACE(std::string(mode.name) + (componentWalk ? ", folder by folder" : ", openat2") +
                             (depth[0] ? ", two levels down" : ""));
                const QString cache = library + u"/Caches/"_s + (mode.locked ? u"com.locked.app"_s : u"com.app"_s);
                ASSERT_TRUE(QDir().mkpath(cache + u"/inner"_s));
                writeFile(cache + u"/login.keychain-db"_s, "cache");
                writeFile(cache + u"/inner/login.keychain-db"_s, "cache");
                const QString item = cache + QString::fromUtf16(depth) + u"/login.keychain-db"_s;
                const QMap<QString, QByteArray> trashBefore = snapshotOf(trash);

                // Between the scan and the cleaning, the listed folder becomes a link to the keychains.
                ASSERT_TRUE(QDir().rename(cache, cache + u".old"_s));
                makeLink(u"../Keychains"_s, cache);
                const Removal::Report report =
                    Removal::remove(kit.exclusions, kit.access, {scanItem(item, true, 100, mode.mode)});

                EXPECT_TRUE(report.removed.isEmpty());
                EXPECT_EQ(report.failures, (QList<Removal::Failure>{{item, Platform::linkOnTheWayText()}}));
                EXPECT_EQ(snapshotOf(keychains), before);
                EXPECT_EQ(snapshotOf(trash), trashBefore);
                ASSERT_TRUE(QFile::remove(cache));
                ASSERT_TRUE(QDir(cache + u".old"_s).removeRecursively());
            }
        }
    }
    QDir(library).removeRecursively();
}

TEST_F(RemovalEngine, theAdministratorScriptChecksTheFolderAsItRemoves)
{
    lockFoldersNamedLocked();
    const QString library = Platform::homeFolder() + u"/Library"_s;
    const QString keychains = library + u"/Keychains"_s;
    const QString cache = library + u"/Caches/com.locked.app"_s;
    ASSERT_TRUE(QDir().mkpath(keychains));
    ASSERT_TRUE(QDir().mkpath(cache));
    writeFile(keychains + u"/login.keychain-db"_s, "secret");
    writeFile(cache + u"/login.keychain-db"_s, "cache");
    // The job is unloaded by the same script just before the removal: that is when the folder is swapped.
    writeFile(TestSupport::systemRoot() + u"/bin/launchctl"_s,
              "#!/bin/sh\nmv '" + QFile::encodeName(cache) + "' '" + QFile::encodeName(cache) +
                  ".old' && ln -s ../Keychains '" + QFile::encodeName(cache) + "'\n");

    const QString item = cache + u"/login.keychain-db"_s;
    const Removal::Report report =
        Removal::remove(kit.exclusions, kit.access, {scanItem(item, true, 100, Mode::threat(u"com.app.agent"_s))});
    EXPECT_TRUE(report.removed.isEmpty());
    ASSERT_EQ(report.failures.size(), 1);
    EXPECT_EQ(report.failures[0].url, item);
    EXPECT_EQ(TestSupport::contentOf(keychains + u"/login.keychain-db"_s), "secret");
    EXPECT_EQ(TestSupport::contentOf(cache + u".old/login.keychain-db"_s), "cache");
    QDir(library).removeRecursively();
}

TEST_F(RemovalEngine, aTrashThatIsALinkReceivesNothing)
{
    const QString home = Platform::homeFolder();
    const QString keychains = home + u"/Library/Keychains"_s;
    ASSERT_TRUE(QDir().mkpath(keychains));
    const QString trash = home + u"/.Trash"_s;
    ASSERT_TRUE(QDir().rename(trash, home + u"/.Trash.old"_s) || !exists(trash));
    makeLink(u"Library/Keychains"_s, trash);
    const TempTree tree(u"cache.db 10"_s);
    const Removal::Report report =
        Removal::remove(kit.exclusions, kit.access, {scanItem(tree.path(u"cache.db"_s), true, 100, Mode::trash())});
    EXPECT_EQ(report.failures, (QList<Removal::Failure>{{tree.path(u"cache.db"_s),
                                                         u"La corbeille n'est pas un dossier ordinaire : l'élément "
                                                         u"n'a pas été déplacé."_s}}));
    EXPECT_TRUE(exists(tree.path(u"cache.db"_s)));
    EXPECT_TRUE(QDir(keychains).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
    ASSERT_TRUE(QFile::remove(trash));
    QDir().rename(home + u"/.Trash.old"_s, trash);
    QDir(home + u"/Library"_s).removeRecursively();
}

TEST_F(RemovalEngine, aVolumeEntryLeadingBackToTheStartUpDiskIsJudgedByWhereItLeads)
{
    // The start-up disk's own entry in /Volumes is a link to "/": above its anchor, so followed, but the
    // keychains it leads to stay protected.
    const QString volumes = Platform::systemPath(u"/Volumes"_s);
    ASSERT_TRUE(QDir().mkpath(volumes));
    makeLink(u"/"_s, volumes + u"/Macintosh HD"_s);
    const QString keychains = Platform::homeFolder() + u"/Library/Keychains"_s;
    ASSERT_TRUE(QDir().mkpath(keychains));
    writeFile(keychains + u"/login.keychain-db"_s, "secret");
    const QString item = volumes + u"/Macintosh HD"_s + keychains + u"/login.keychain-db"_s;
    ASSERT_TRUE(exists(item));

    for (const ModeCase& mode : everyMode()) {
        SCOPED_TRACE(mode.name);
        const Removal::Report report =
            Removal::remove(kit.exclusions, kit.access, {scanItem(item, true, 100, mode.mode)});
        EXPECT_EQ(report.failures, (QList<Removal::Failure>{{item, u"Emplacement protégé."_s}}));
        EXPECT_EQ(TestSupport::contentOf(keychains + u"/login.keychain-db"_s), "secret");
    }
    QFile::remove(volumes + u"/Macintosh HD"_s);
    QDir(Platform::homeFolder() + u"/Library"_s).removeRecursively();
}

TEST_F(RemovalEngine, aLinkAboveTheHomeFolderIsTheSystemsOwn)
{
    TempTree tree(u"real/home/Library/Caches/com.app/cache.db 10"_s);
    tree.add(u"linked -> real"_s);
    const TestSupport::ScopedEnvironment home("HOME", tree.path(u"linked/home"_s));
    for (const ModeCase& mode : everyMode()) {
        if (mode.locked)
            continue;
        SCOPED_TRACE(mode.name);
        const QString item = tree.path(u"linked/home/Library/Caches/com.app/cache.db"_s);
        writeFile(item, "cache");
        const Removal::Report report =
            Removal::remove(kit.exclusions, kit.access, {scanItem(item, true, 5, mode.mode)});
        EXPECT_TRUE(report.failures.isEmpty()) << report.failures.value(0).reason.toStdString();
        EXPECT_EQ(report.freedBytes, 5);
        EXPECT_FALSE(exists(item));
    }
}

TEST_F(RemovalEngine, ancestorsSwappedForLinksDuringTheRunNeverLeadOutsideTheSelection)
{
    std::mt19937 random(1313);
    const std::vector<ModeCase> modes = everyMode();
    int touchedOutside = 0;
    int removed = 0;
    for (int round = 0; round < 50; ++round) {
        const ModeCase& mode = modes[std::size_t(round) % modes.size()];
        const ReachWalks walk(round % 2 == 1);
        SCOPED_TRACE("round " + std::to_string(round) + ", " + mode.name);
        if (mode.locked)
            lockFoldersNamedLocked();
        else
            kit.access.setRule({});
        // The selection lives under cache/locked/a/b; "precious" mirrors it name for name.
        TempTree tree;
        for (const QString& top : {u"cache"_s, u"precious"_s}) {
            ASSERT_TRUE(QDir().mkpath(tree.path(top + u"/locked/a/b/sub"_s)));
            for (int i = 0; i < 6; ++i)
                writeFile(tree.path(top + u"/locked/a/b/f%1"_s.arg(i)), top.toUtf8());
            writeFile(tree.path(top + u"/locked/a/b/sub/inner"_s), top.toUtf8());
            writeFile(tree.path(top + u"/locked/a/keep"_s), top.toUtf8());
        }
        const QMap<QString, QByteArray> precious = snapshotOf(tree.path(u"precious"_s));
        QList<ScanItem> items;
        for (int i = 0; i < 6; ++i)
            items.append(scanItem(tree.path(u"cache/locked/a/b/f%1"_s.arg(i)), true, 100, mode.mode));
        items.append(scanItem(tree.path(u"cache/locked/a/b/sub"_s), true, 100, mode.mode));

        // Swaps one ancestor at a time for a link into "precious", mostly leaving the link in place.
        const QStringList ancestors{u"locked"_s, u"locked/a"_s, u"locked/a/b"_s};
        std::atomic<bool> done{false};
        const unsigned seed = unsigned(random());
        std::thread swapper([&, seed] {
            std::mt19937 local(seed);
            while (!done.load()) {
                const QString relative = ancestors[qsizetype(local() % 3)];
                const QByteArray real = QFile::encodeName(tree.path(u"cache/"_s + relative));
                if (::rename(real.constData(), QByteArray(real + ".real").constData()) != 0)
                    continue;
                ::symlink(QFile::encodeName(tree.path(u"precious/"_s + relative)).constData(), real.constData());
                std::this_thread::sleep_for(std::chrono::microseconds(50 + local() % 400));
                ::unlink(real.constData());
                ::rename(QByteArray(real + ".real").constData(), real.constData());
                std::this_thread::sleep_for(std::chrono::microseconds(local() % 100));
            }
        });
        const Removal::Report report = Removal::remove(kit.exclusions, kit.access, items);
        done.store(true);
        swapper.join();

        if (snapshotOf(tree.path(u"precious"_s)) != precious)
            ++touchedOutside;
        EXPECT_EQ(TestSupport::contentOf(tree.path(u"cache/locked/a/keep"_s)), "cache");
        removed += int(report.removed.size());
        EXPECT_LE(report.removed.size() + report.failures.size(), items.size());
        if (mode.mode.kind != Mode::Kind::Threat) {
            // Every verdict of the engine's own loop matches what is left; an item passed over (its folder
            // was away for a moment) is still there. (A threat may go to the administrator script when its
            // folder is away at the moment it is looked at; there a path that leads nowhere before and after
            // the script counts as gone.)
            QSet<QString> gone;
            for (const Removal::Removed& entry : report.removed)
                gone.insert(entry.origin);
            for (const ScanItem& item : items)
                EXPECT_EQ(exists(item.url), !gone.contains(item.url)) << item.url.toStdString();
        }
    }
    EXPECT_EQ(touchedOutside, 0);
    EXPECT_GT(removed, 0);
}

TEST_F(RemovalEngine, hostileNamesReachTheAdministratorScriptAsData)
{
    lockFoldersNamedLocked();
    const TempTree tree(u"locked/\nlocked/ab 1\nlocked/a 1\nlocked/b 1\nlocked/x 1\n"_s);
    const TestSupport::ScopedEnvironment mark("QP_PWNED", tree.path(u"PWNED-BY-VARIABLE"_s));
    const char* const names[] = {
        "it's",
        "'",
        "''",
        "\"",
        "\"'\"",
        "$(touch PWNED)",
        "$(touch $QP_PWNED)",
        "`touch PWNED`",
        "`touch $QP_PWNED`",
        "; touch PWNED",
        "a;b",
        "&& touch PWNED",
        "| touch PWNED",
        "> PWNED",
        "< x",
        "a\nb",
        "\n",
        "a\n\n",
        "\na",
        "a\r\nb",
        "\t",
        "a\x01b",
        "\x01",
        "\x01\x01",
        "a\002\037\177b",
        "-rf",
        "--",
        "-",
        "--help",
        "-n x",
        " lead",
        "trail ",
        "\\",
        "a\\b",
        "\\'",
        "\\\"",
        "$HOME",
        "${IFS}x",
        "$'\\x41'",
        "*",
        "[ab]",
        "~",
        "!x",
        "#x",
        "'$(touch PWNED)'",
    };
    static_assert(std::size(names) == 45);
    QList<ScanItem> items;
    for (const char* name : names) {
        const QString path = tree.path(u"locked/"_s + QString::fromUtf8(name));
        writeFile(path, "threat");
        items.append(scanItem(path, true, 1, Mode::threat(std::nullopt)));
    }
    // A hostile folder above an item is data too.
    const QString folder = tree.path(u"locked/it's $(touch PWNED) `touch PWNED`\n"_s);
    ASSERT_TRUE(QDir().mkpath(folder));
    writeFile(folder + u"/-inner"_s, "threat");
    items.append(scanItem(folder + u"/-inner"_s, true, 1, Mode::threat(u"com.hostile"_s)));

    const Removal::Report report = Removal::remove(kit.exclusions, kit.access, items);
    EXPECT_TRUE(report.failures.isEmpty()) << report.failures.value(0).reason.toStdString();
    EXPECT_EQ(report.removed.size(), items.size());
    for (const ScanItem& item : items)
        EXPECT_FALSE(exists(item.url)) << item.url.toStdString();
    for (const Removal::Removed& entry : report.removed)
        EXPECT_FALSE(exists(entry.origin));
    for (const char16_t* decoy : {u"ab", u"a", u"b", u"x"})
        EXPECT_TRUE(exists(tree.path(u"locked/"_s + QString::fromUtf16(decoy))));
    EXPECT_TRUE(exists(folder));
    QStringList injected;
    for (const QString& root : {tree.root(), QDir::currentPath()}) {
        QDirIterator it(root, {u"PWNED*"_s}, QDir::AllEntries | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            injected.append(it.next());
    }
    EXPECT_TRUE(injected.isEmpty()) << injected.join(u", "_s).toStdString();
}

TEST_F(RemovalEngine, aPathThatDoesNotNameItsEntryFaithfullyFailsInEveryMode)
{
    lockFoldersNamedLocked();
    TempTree tree(uR"(
        plain/a 1
        "plain/bad\xffname" 1
        "locked/bad\xffname" 1
        locked/a 1
    )"_s);
    for (const ModeCase& mode : everyMode()) {
        SCOPED_TRACE(mode.name);
        const QString folder = tree.path(mode.locked ? u"locked"_s : u"plain"_s);
        // As a lossy decoding of the raw name reads it, cut short by a NUL, or with a lone surrogate.
        const QStringList paths{folder + u"/bad\uFFFDname"_s, folder + u"/a"_s + QChar(u'\0') + u"b"_s,
                                folder + u"/a"_s + QChar(0xD800)};
        QList<ScanItem> items;
        for (const QString& path : paths)
            items.append(scanItem(path, true, 100, mode.mode));
        const Removal::Report report = Removal::remove(kit.exclusions, kit.access, items);
        EXPECT_TRUE(report.removed.isEmpty());
        ASSERT_EQ(report.failures.size(), 3);
        for (qsizetype i = 0; i < 3; ++i)
            EXPECT_EQ(report.failures[i], (Removal::Failure{paths[i], Platform::unfaithfulNameText()}));
        EXPECT_EQ(::access(tree.rawPath(QFile::encodeName(folder.mid(tree.root().size() + 1)) + "/bad\xff"
                                                                                                "name")
                               .constData(),
                           F_OK),
                  0);
        EXPECT_TRUE(exists(folder + u"/a"_s));
    }
}
