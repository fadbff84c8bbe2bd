// The child process of SharedServices.scansStartedAtOnceLeaveEveryServiceOnTheApplicationThread: a fresh
// process, in which nothing has made the process-wide services yet, in a sandbox its parent laid out.
#include "Core/Exclusions.h"
#include "Core/History.h"
#include "Core/Preferences.h"
#include "Scanners/ScannerFactory.h"

#include <latch>
#include <mutex>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QStringList>
#include <QThread>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

std::mutex messagesMutex;
QStringList messages;

void keepMessage(QtMsgType, const QMessageLogContext&, const QString& text)
{
    const std::lock_guard lock(messagesMutex);
    messages.append(text);
}

} // namespace

TEST(SharedServicesChild, scansStartedAtOnceMakeEachServiceOnceOnTheApplicationThread)
{
    const QtMessageHandler previous = qInstallMessageHandler(keepMessage);
    constexpr int scans = 8;
    std::latch start(scans);
    {
        std::vector<std::jthread> threads;
        for (int i = 0; i < scans; ++i) {
            threads.emplace_back([&start] {
                const std::optional<ScannerPtr> scanner = makeScanner(ModuleID::systemJunk, Exclusions::shared());
                start.arrive_and_wait();
                // What a job may ask for besides the exclusions the scan reads.
                Preferences::shared();
                if (scanner && *scanner)
                    (*scanner)->scan({}, {});
                History::shared();
            });
        }
    }
    qInstallMessageHandler(previous);

    EXPECT_TRUE(messages.filter(u"moveToThread"_s).isEmpty()) << messages.join(u'\n').toStdString();
    QThread* const application = QCoreApplication::instance()->thread();
    EXPECT_EQ(Exclusions::shared().thread(), application);
    EXPECT_EQ(Preferences::shared().thread(), application);
    EXPECT_EQ(History::shared().thread(), application);
}
