#include "App/SingleInstance.h"

#include "Sandbox.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"
#include "WaitFor.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A runtime folder as the system makes one, readable by its owner alone (Qt warns about any other).
QString runtimeFolder()
{
    const QString folder = TestSupport::temporary() + u"/runtime"_s;
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}

// The application as a separate copy, outside the test-runner mark, living in the sandbox.
QProcessEnvironment applicationEnvironment(const QString& folder)
{
    QProcessEnvironment environment = TestSupport::childEnvironment(folder);
    environment.remove(u"XCTestConfigurationFilePath"_s);
    environment.remove(u"QP_TEST_SANDBOX"_s);
    environment.insert(u"XDG_RUNTIME_DIR"_s, runtimeFolder());
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    return environment;
}

} // namespace

TEST(SingleInstance, aSecondCopyAsksTheFirstToComeForward)
{
    const TestSupport::ScopedEnvironment runtime("XDG_RUNTIME_DIR", TestSupport::temporary());
    SingleInstance first(u"com.example.single"_s);
    ASSERT_TRUE(first.claim());
    EXPECT_TRUE(first.socketPath().startsWith(TestSupport::temporary()));
    QSignalSpy activated(&first, &SingleInstance::activationRequested);
    SingleInstance second(u"com.example.single"_s);
    EXPECT_FALSE(second.claim());
    EXPECT_TRUE(activated.wait(TestSupport::waitBound));
}

TEST(SingleInstance, aSocketLeftByADeadCopyIsReplaced)
{
    const TestSupport::ScopedEnvironment runtime("XDG_RUNTIME_DIR", TestSupport::temporary());
    SingleInstance probe(u"com.example.stale"_s);
    QFile stale(probe.socketPath());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    EXPECT_TRUE(probe.claim());
}

TEST(SingleInstance, theRealApplicationDefersToARunningCopy)
{
    const TestSupport::ScopedEnvironment runtime("XDG_RUNTIME_DIR", runtimeFolder());
    const TempTree folder;
    const QProcessEnvironment environment = applicationEnvironment(folder.root());
    // The same system: the copy's root.
    const TestSupport::ScopedEnvironment root("QUORVANE_ROOT", environment.value(u"QUORVANE_ROOT"_s));
    SingleInstance running(u"com.ostrek.quorvanepro"_s);
    ASSERT_TRUE(running.claim());
    QSignalSpy activated(&running, &SingleInstance::activationRequested);
    QProcess copy;
    copy.setProcessEnvironment(environment);
    copy.start(QStringLiteral(QP_APPLICATION));
    ASSERT_TRUE(copy.waitForStarted(TestSupport::waitBound));
    EXPECT_TRUE(activated.wait(TestSupport::waitBound));
    ASSERT_TRUE(copy.waitForFinished(TestSupport::waitBound));
    EXPECT_EQ(copy.exitCode(), 0);
    EXPECT_TRUE(copy.readAllStandardError().contains("premier plan"));
}

TEST(Application, theRealExecutableStaysUpWithItsWindow)
{
    const TempTree folder;
    QProcess application;
    QProcessEnvironment environment = applicationEnvironment(folder.root());
    application.setProcessEnvironment(environment);
    application.start(QStringLiteral(QP_APPLICATION));
    ASSERT_TRUE(application.waitForStarted(TestSupport::waitBound));
    EXPECT_FALSE(application.waitForFinished(3000)) << application.readAllStandardError().toStdString();
    EXPECT_EQ(application.state(), QProcess::Running);
    // It holds the single-instance socket now, so a second copy gives way to it.
    const TestSupport::ScopedEnvironment runtime("XDG_RUNTIME_DIR", runtimeFolder());
    const TestSupport::ScopedEnvironment root("QUORVANE_ROOT", environment.value(u"QUORVANE_ROOT"_s));
    const QString socket = SingleInstance(u"com.ostrek.quorvanepro"_s).socketPath();
    ASSERT_TRUE(TestSupport::waitFor([&] { return QFile::exists(socket); }));
    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(QP_APPLICATION));
    ASSERT_TRUE(second.waitForFinished(TestSupport::waitBound));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(application.state(), QProcess::Running);
    // The first copy answered once its window came forward, and the second one says so in one French line.
    EXPECT_EQ(QString::fromUtf8(second.readAllStandardError()),
              u"Quorvane Pro est déjà ouvert : sa fenêtre passe au premier plan.\n"_s);
    application.terminate();
    application.waitForFinished(TestSupport::waitBound);
}

// What reaches the running copy's socket: a request that names a module as its exact raw value is taken;
// anything truncated, foreign or misspelled is dropped without a word.
TEST(SingleInstance, aRequestMayNameAModuleAndAnythingElseIsIgnored)
{
    const TestSupport::ScopedEnvironment runtime("XDG_RUNTIME_DIR", TestSupport::temporary());
    SingleInstance running(u"com.example.modules"_s);
    ASSERT_TRUE(running.claim());
    QSignalSpy activated(&running, &SingleInstance::activationRequested);
    QSignalSpy modules(&running, &SingleInstance::moduleRequested);
    const QByteArray ignored[] = {"activ",   "activate Leftovers\n", "activate leftovers",   "activate RAW\n",
                                  "hello\n", QByteArray(4096, 'x'),  "activate  leftovers\n"};
    for (const QByteArray& message : ignored) {
        QLocalSocket socket;
        socket.connectToServer(running.socketPath());
        ASSERT_TRUE(socket.waitForConnected(TestSupport::waitBound));
        socket.write(message);
        socket.waitForBytesWritten(TestSupport::waitBound);
        socket.disconnectFromServer();
        QTest::qWait(50);
    }
    EXPECT_EQ(activated.count(), 0);
    EXPECT_EQ(modules.count(), 0);

    SingleInstance later(u"com.example.modules"_s);
    EXPECT_FALSE(later.claim(ModuleID::leftovers));
    ASSERT_TRUE(activated.count() == 1 || activated.wait(TestSupport::waitBound));
    ASSERT_EQ(modules.count(), 1);
    EXPECT_EQ(modules.first().first().value<ModuleID>(), ModuleID::leftovers);
}

// Two demonstration Macs are two machines, even in one runtime folder: a copy started on the second one stays up
// beside the first one's, and a request to open a module on the second one reaches that copy alone.
TEST(SingleInstance, copiesOnTwoDemonstrationMacsNeverMeet)
{
    const TestSupport::ScopedEnvironment runtime("XDG_RUNTIME_DIR", runtimeFolder());
    const TempTree first;
    const TempTree second;
    const QProcessEnvironment firstMac = applicationEnvironment(first.root());
    const QProcessEnvironment secondMac = applicationEnvironment(second.root());
    const TestSupport::ScopedEnvironment root("QUORVANE_ROOT", firstMac.value(u"QUORVANE_ROOT"_s));
    SingleInstance running(u"com.ostrek.quorvanepro"_s);
    ASSERT_TRUE(running.claim());
    QSignalSpy activated(&running, &SingleInstance::activationRequested);

    QProcess other;
    other.setProcessEnvironment(secondMac);
    other.start(QStringLiteral(QP_APPLICATION));
    ASSERT_TRUE(other.waitForStarted(TestSupport::waitBound));
    EXPECT_FALSE(other.waitForFinished(3000)) << other.readAllStandardError().toStdString();
    QProcess open;
    open.setProcessEnvironment(secondMac);
    open.start(QStringLiteral(QP_APPLICATION), {u"--action"_s, u"open"_s, u"--category"_s, u"leftovers"_s});
    ASSERT_TRUE(open.waitForFinished(TestSupport::waitBound));
    EXPECT_EQ(open.exitCode(), 0);
    EXPECT_TRUE(open.readAllStandardError().contains("premier plan"));
    EXPECT_EQ(other.state(), QProcess::Running);
    QTest::qWait(200);
    EXPECT_EQ(activated.count(), 0);
    other.terminate();
    other.waitForFinished(TestSupport::waitBound);
}
