#include "Platform/FileOperations.h"
#include "Sandbox.h"
#include "WaitFor.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// Scans started at once, each on its own thread, in fresh processes (where the services are not made yet, as on
// the command line): no service is moved from a thread that does not own it, and each ends on the application's
// thread, where its signals are delivered. A race, so a few processes are started.
TEST(SharedServices, scansStartedAtOnceLeaveEveryServiceOnTheApplicationThread)
{
    for (int run = 0; run < 5; ++run) {
        const QString folder = TestSupport::sandbox() + u"/shared-services-%1"_s.arg(run);
        const QProcessEnvironment environment = TestSupport::childEnvironment(folder);
        for (const QString& cache : {u"com.example.one"_s, u"com.example.two"_s, u"com.example.three"_s}) {
            const QString path = folder + u"/home/Library/Caches/"_s + cache;
            ASSERT_EQ(Platform::createFolder(path), std::nullopt);
            ASSERT_EQ(Platform::writeFileAtomically(path + u"/data"_s, QByteArray(8192, 'x')), std::nullopt);
        }
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QStringLiteral(QP_SHARED_SERVICES_CHILD), {});
        ASSERT_TRUE(child.waitForFinished(TestSupport::waitBound));
        EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString()
                                       << child.readAllStandardError().toStdString();
    }
}
