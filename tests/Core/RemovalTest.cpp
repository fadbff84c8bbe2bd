#include "Core/Removal.h"

#include "Core/Exclusions.h"
#include "Platform/Access.h"
#include "Platform/FileSystem.h"
#include "Platform/SystemRoot.h"
#include "Sandbox.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"

#include <stop_token>
#include <utility>
#include <vector>

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using Removal::Mode;
using TestSupport::exists;

namespace {

ScanItem itemAt(const QString& path, Mode mode, qint64 size = 100)
{
    return ScanItem{
        QUuid::createUuid(), path, path.section(u'/', -1), size, std::nullopt, std::nullopt, true, false, mode,
        std::nullopt};
}

using Calls = std::vector<std::pair<double, QString>>;

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
    void TearDown() override
    {
        Exclusions::shared().persist({});
        Platform::setUserCanWriteOverride({});
    }

    // Folders whose path contains "locked" cannot be written by the user; the rest can.
    static void lockFoldersNamedLocked()
    {
        Platform::setUserCanWriteOverride([](const QString& folder) { return !folder.contains(u"locked"_s); });
    }
};

} // namespace

TEST_F(RemovalEngine, anEmptyOrStoppedCallReportsOnlyTheEnd)
{
    Calls calls;
    EXPECT_EQ(Removal::remove({}, std::nullopt, recorder(calls)), Removal::Report{});
    EXPECT_EQ(calls, (Calls{{1.0, QString()}}));

    const TempTree tree(u"a 10"_s);
    std::stop_source stop;
    stop.request_stop();
    calls.clear();
    const Removal::Report report =
        Removal::remove({itemAt(tree.path(u"a"_s), Mode::trash())}, std::nullopt, recorder(calls), stop.get_token());
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
    const QList<ScanItem> items{
        itemAt(tree.path(u"trash-me"_s), Mode::trash(), 10), itemAt(tree.path(u"delete-me"_s), Mode::deletion(), 20),
        itemAt(tree.path(u"shred-me"_s), Mode::shred(1), 5000), itemAt(tree.path(u"vanished"_s), Mode::trash(), 7),
        itemAt(tree.path(u"dangling"_s), Mode::deletion(), 3)};
    Calls calls;
    const Removal::Report report = Removal::remove(items, std::nullopt, recorder(calls));

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
    ASSERT_TRUE(Exclusions::shared().add(tree.path(u"excluded"_s)));
    ASSERT_TRUE(Exclusions::shared().add(tree.path(u"parent/kept"_s)));
    ASSERT_TRUE(Exclusions::shared().add(system));

    const Removal::Report report =
        Removal::remove({itemAt(system, Mode::trash()), itemAt(tree.path(u"excluded"_s), Mode::trash()),
                         itemAt(tree.path(u"parent"_s), Mode::trash())},
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
    const Removal::Report report =
        Removal::remove({itemAt(tree.path(u"agents/com.adware.helper.plist"_s), Mode::threat(u"com.adware.helper"_s)),
                         itemAt(tree.path(u"agents/unlabelled.plist"_s), Mode::threat(std::nullopt))});
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
        Removal::remove({itemAt(tree.path(u"locked/daemon.plist"_s), Mode::threat(evilLabel), 10),
                         itemAt(odd, Mode::threat(std::nullopt), 20)});
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
        Removal::remove({itemAt(tree.path(u"plain.txt"_s), Mode::trash()),
                         itemAt(tree.path(u"locked/threat.plist"_s), Mode::threat(u"com.x"_s))},
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
    const Removal::Report report = Removal::remove({itemAt(tree.path(u"locked/gone.plist"_s), Mode::threat({})),
                                                    itemAt(tree.path(u"locked/already-gone"_s), Mode::threat({})),
                                                    itemAt(tree.path(u"locked/stays.plist"_s), Mode::threat({}))});
    ASSERT_EQ(report.removed.size(), 2);
    EXPECT_EQ(report.removed[0].origin, tree.path(u"locked/gone.plist"_s));
    EXPECT_EQ(report.removed[1].origin, tree.path(u"locked/already-gone"_s));
    EXPECT_EQ(report.failures, (QList<Removal::Failure>{{tree.path(u"locked/stays.plist"_s), u"rm: refusé"_s}}));

    // A script that reports success but leaves the item.
    script.open(QIODevice::WriteOnly | QIODevice::Truncate);
    script.write("#!/bin/sh\nexit 0\n");
    script.close();
    const Removal::Report silent = Removal::remove({itemAt(tree.path(u"locked/stays.plist"_s), Mode::threat({}))});
    EXPECT_EQ(silent.failures, (QList<Removal::Failure>{
                                   {tree.path(u"locked/stays.plist"_s), u"Toujours présent après la suppression."_s}}));
}

TEST_F(RemovalEngine, labelsThatCouldBreakAScriptLineAndUserAgentsStayOutOfTheScript)
{
    lockFoldersNamedLocked();
    const QString agents = Platform::systemPath(u"/Library/LaunchAgents"_s);
    ASSERT_TRUE(QDir().mkpath(agents));
    TempTree tree(u"locked/newline.plist 10"_s);
    // The system root's LaunchAgents folder counts as locked for this test.
    Platform::setUserCanWriteOverride(
        [agents](const QString& folder) { return !folder.contains(u"locked"_s) && folder != agents; });
    QFile agent(agents + u"/com.agent.plist"_s);
    ASSERT_TRUE(agent.open(QIODevice::WriteOnly));
    agent.close();
    const Removal::Report report =
        Removal::remove({itemAt(tree.path(u"locked/newline.plist"_s), Mode::threat(u"com.a\ntouch x"_s)),
                         itemAt(agents + u"/com.agent.plist"_s, Mode::threat(u"com.agent"_s))});
    EXPECT_EQ(report.removed.size(), 2);
    EXPECT_EQ(TestSupport::launchctlCalls(),
              (QList<QStringList>{{u"bootout"_s, u"gui/%1/com.agent"_s.arg(Platform::userID())}}));
}

TEST_F(RemovalEngine, anOverrideTrashesThreatsWithoutAnyUnloadOrPrompt)
{
    lockFoldersNamedLocked();
    const TestSupport::ScopedEnvironment cancel("QUORVANE_OSASCRIPT_CANCEL", u"1"_s);
    const TempTree tree(u"locked/threat.plist 10"_s);
    const Removal::Report report =
        Removal::remove({itemAt(tree.path(u"locked/threat.plist"_s), Mode::threat(u"com.x"_s))}, Mode::trash());
    ASSERT_EQ(report.removed.size(), 1);
    EXPECT_TRUE(report.removed[0].trashed.has_value());
    EXPECT_TRUE(TestSupport::launchctlCalls().isEmpty());
}
