#include "Core/SnapshotService.h"

#include "Core/ProcessRunner.h"
#include "Platform/Readings.h"
#include "Platform/SystemRoot.h"
#include "Sandbox.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using SnapshotService::Snapshot;
using TestSupport::writeFile;

namespace {

const QString kName = u"com.apple.TimeMachine.2024-05-01-101500.local"_s;

QDateTime local(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString db(const QString& name)
{
    return TestSupport::systemRoot() + u"/private/var/db/"_s + name;
}

// A tmutil that prints a given text and ends with a given status.
void fakeTool(const QByteArray& output, int status)
{
    writeFile(TestSupport::systemRoot() + u"/listing.txt"_s, output);
    const QString tool = TestSupport::systemRoot() + u"/usr/bin/tmutil"_s;
    writeFile(tool,
              "#!/bin/sh\ncat \"$(dirname \"$0\")/../../listing.txt\"\nexit " + QByteArray::number(status) + "\n");
    QFile::setPermissions(tool, QFile::permissions(tool) | QFile::ExeOwner);
}

class SnapshotServiceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir(db(QString())).removeRecursively();
        TestSupport::installStandIns();
    }
};

// Through the real stand-in, named by stamp.
void take(const QString& stamp)
{
    TestSupport::ScopedEnvironment named("QUORVANE_TMUTIL_STAMP", stamp);
    ASSERT_EQ(OptimizationService::run(u"/usr/bin/tmutil"_s, {u"localsnapshot"_s}, true).status, 0);
}

QStringList names(const QList<Snapshot>& snapshots)
{
    QStringList result;
    for (const Snapshot& snapshot : snapshots)
        result.append(snapshot.name);
    return result;
}

} // namespace

TEST_F(SnapshotServiceTest, readsTheListingAsAPureFunctionOfItsTextAndStatus)
{
    struct Case {
        const char* what;
        QByteArray output;
        int status;
        QList<Snapshot> expected;
    };
    const Snapshot may{kName, local(2024, 5, 1, 10, 15, 0)};
    const QList<Case> cases{
        {"one line", "Snapshots for disk /:\n" + kName.toUtf8() + "\n", 0, {may}},
        {"a failing tool lists nothing", kName.toUtf8() + "\n", 1, {}},
        {"horizontal space trimmed, blank lines and messages skipped",
         "\n  \t\xC2\xA0" + kName.toUtf8() + " \t\n\nnote: com.apple.TimeMachine.2024-06-01-000000.local\n\n",
         0,
         {may}},
        {"undated last, dated newest first, equal dates in output order",
         "com.apple.TimeMachine.nostamp.local\ncom.apple.TimeMachine.2024-13-01-101500.local\n"
         "com.apple.TimeMachine.2024-05-01-251500.local\ncom.apple.TimeMachine.\xD9\xA2\xD9\xA0\xD9\xA2\xD9\xA4-05-01-"
         "101500."
         "local\n" +
             kName.toUtf8() +
             "\ncom.apple.TimeMachine.2024-06-02-080000.local\ncom.apple.TimeMachine.2024-05-01-101500.x\n",
         0,
         {{u"com.apple.TimeMachine.2024-06-02-080000.local"_s, local(2024, 6, 2, 8, 0, 0)},
          may,
          {u"com.apple.TimeMachine.2024-05-01-101500.x"_s, local(2024, 5, 1, 10, 15, 0)},
          {u"com.apple.TimeMachine.nostamp.local"_s, std::nullopt},
          {u"com.apple.TimeMachine.2024-13-01-101500.local"_s, std::nullopt},
          {u"com.apple.TimeMachine.2024-05-01-251500.local"_s, std::nullopt},
          {u"com.apple.TimeMachine.\u0662\u0660\u0662\u0664-05-01-101500.local"_s, std::nullopt}}},
        {"bytes that are not UTF-8",
         "com.apple.TimeMachine.\xFF.local\n",
         0,
         {{u"com.apple.TimeMachine.\uFFFD.local"_s, std::nullopt}}},
    };
    for (const Case& c : cases) {
        fakeTool(c.output, c.status);
        EXPECT_EQ(SnapshotService::listLocalSnapshots(u"/"_s), c.expected) << c.what;
    }

    QByteArray many;
    for (int i = 0; i < 5000; ++i)
        many +=
            "com.apple.TimeMachine.2020-01-01-" + QTime(0, 0).addSecs(i).toString(u"HHmmss"_s).toUtf8() + ".local\n";
    fakeTool(many, 0);
    const QList<Snapshot> listed = SnapshotService::listLocalSnapshots(u"/"_s);
    ASSERT_EQ(listed.size(), 5000);
    EXPECT_EQ(listed.first().name, u"com.apple.TimeMachine.2020-01-01-012319.local"_s);

    QFile::remove(TestSupport::systemRoot() + u"/usr/bin/tmutil"_s);
    EXPECT_TRUE(SnapshotService::listLocalSnapshots(u"/"_s).isEmpty());
}

TEST_F(SnapshotServiceTest, onlyAWholeStampReachesTheShellAndItIsQuoted)
{
    EXPECT_EQ(SnapshotService::stamp(kName), u"2024-05-01-101500"_s);
    EXPECT_EQ(SnapshotService::firstStamp(u"Created local snapshot with date: 2024-05-01-101500\n"_s),
              u"2024-05-01-101500"_s);
    EXPECT_EQ(SnapshotService::firstStamp(u"\u0662\u0660\u0662\u0664-05-01-101500"_s), std::nullopt);

    const QString tool = OptimizationService::shellQuoted(Platform::systemPath(u"/usr/bin/tmutil"_s));
    EXPECT_EQ(SnapshotService::deleteCommand({kName, std::nullopt}),
              tool + u" deletelocalsnapshots '2024-05-01-101500'"_s);
    for (const QString& name :
         {u"com.apple.TimeMachine.x; rm -rf ~;.local"_s, u"com.apple.TimeMachine./.local"_s,
          u"com.apple.TimeMachine.2024-05-01-101500.local.local"_s, u"com.apple.TimeMachine.2024-05-01-101500'.local"_s,
          u"com.apple.TimeMachine.\u0662\u0660\u0662\u0664-05-01-101500.local"_s, u"2024-05-01-101500"_s, QString()}) {
        EXPECT_EQ(SnapshotService::deleteCommand({name, std::nullopt}), std::nullopt) << name.toStdString();
    }

    qsizetype sent = -1;
    const QList<Snapshot> three{{kName, std::nullopt},
                                {u"com.apple.TimeMachine.x; rm -rf ~;.local"_s, std::nullopt},
                                {u"com.apple.TimeMachine.2024-04-01-000000.local"_s, std::nullopt}};
    EXPECT_EQ(SnapshotService::deleteAllCommand(three, &sent),
              u"rc=0; "_s + tool + u" deletelocalsnapshots '2024-05-01-101500' || rc=1; "_s + tool +
                  u" deletelocalsnapshots '2024-04-01-000000' || rc=1; exit $rc"_s);
    EXPECT_EQ(sent, 2);
    EXPECT_EQ(SnapshotService::deleteAllCommand({three[1]}, &sent), std::nullopt);
    EXPECT_EQ(sent, 0);
}

TEST_F(SnapshotServiceTest, deletesThroughTheStandInsAndReportsAnyFailure)
{
    take(u"2024-05-01-101500"_s);
    take(u"2024-05-02-101500"_s);
    take(u"2024-05-03-101500"_s);
    const auto listed = [] { return names(SnapshotService::listLocalSnapshots(u"/"_s)); };
    ASSERT_EQ(listed().size(), 3);

    // A refused name asks nothing: the stand-in answering as a dismissed prompt is never reached.
    {
        TestSupport::ScopedEnvironment cancel("QUORVANE_OSASCRIPT_CANCEL", u"1"_s);
        const Snapshot odd{u"com.apple.TimeMachine.x; rm -rf ~;.local"_s, std::nullopt};
        EXPECT_EQ(SnapshotService::deleteSnapshot(odd), u"Nom d'instantané non reconnu."_s);
        EXPECT_EQ(SnapshotService::deleteAll({odd}),
                  (SnapshotService::Deletion{u"Nom d'instantané non reconnu."_s, 0}));
        EXPECT_EQ(SnapshotService::deleteSnapshot({kName, std::nullopt}), u"Annulé."_s);
    }
    EXPECT_EQ(listed().size(), 3);

    const qint64 before = read(db(u"purgeable-bytes"_s)).trimmed().toLongLong();
    EXPECT_EQ(SnapshotService::deleteSnapshot({kName, std::nullopt}), std::nullopt);
    EXPECT_EQ(listed(), (QStringList{u"com.apple.TimeMachine.2024-05-03-101500.local"_s,
                                     u"com.apple.TimeMachine.2024-05-02-101500.local"_s}));
    EXPECT_FALSE(QFileInfo::exists(db(u"fake-snapshots/"_s) + kName));
    EXPECT_LE(read(db(u"purgeable-bytes"_s)).trimmed().toLongLong(), before);
    EXPECT_NE(SnapshotService::deleteSnapshot({kName, std::nullopt}), std::nullopt); // already gone

    // One failure among several is a failure, though the others went.
    take(u"2024-05-04-101500"_s);
    TestSupport::ScopedEnvironment failing("QUORVANE_TMUTIL_FAIL_DELETE", u"2024-05-03-101500"_s);
    const SnapshotService::Deletion partial = SnapshotService::deleteAll(SnapshotService::listLocalSnapshots(u"/"_s));
    EXPECT_EQ(partial.sent, 3);
    ASSERT_TRUE(partial.error);
    EXPECT_TRUE(partial.error->contains(u"2024-05-03-101500"_s)) << partial.error->toStdString();
    EXPECT_EQ(listed(), QStringList{u"com.apple.TimeMachine.2024-05-03-101500.local"_s});
}

TEST_F(SnapshotServiceTest, loadsTheStateOfTheMacsStartupDisk)
{
    const SnapshotService::State bare = SnapshotService::loadState();
    EXPECT_TRUE(bare.snapshots.isEmpty());
    EXPECT_FALSE(bare.isTimeMachineConfigured);
    EXPECT_EQ(bare.space.optimistic, 0); // nothing purgeable recorded: the figure is missing

    take(u"2024-05-01-101500"_s);
    writeFile(db(u"tmutil-destination"_s), "Name          : Sauvegardes\nKind          : Local\n");
    writeFile(db(u"purgeable-bytes"_s), "4096000\n");
    const SnapshotService::State state = SnapshotService::loadState();
    EXPECT_EQ(names(state.snapshots), QStringList{kName});
    EXPECT_TRUE(state.isTimeMachineConfigured);
    EXPECT_GT(state.space.immediate, 0);
    EXPECT_EQ(state.space.optimistic - state.space.immediate, 4096000);

    // Only the standard output of the destination query counts; a missing volume reads as zeros.
    {
        TestSupport::ScopedEnvironment failing("QUORVANE_TMUTIL_FAIL", u"1"_s);
        EXPECT_FALSE(SnapshotService::loadState().isTimeMachineConfigured);
    }
    EXPECT_EQ(SnapshotService::space(TestSupport::sandbox() + u"/absent"_s), SnapshotService::Space{});
    QFile::remove(db(u"purgeable-bytes"_s));
    EXPECT_EQ(SnapshotService::space(Platform::systemPath(u"/"_s)).optimistic, 0);
}
