// The child process of SharedServices.scansStartedAtOnceLeaveEveryServiceOnTheApplicationThread: a fresh
// process, which makes the services as the command line does, in a sandbox its parent laid out.
#include "Core/StandardServices.h"
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

TEST(SharedServicesChild, scansStartedAtOnceLeaveTheCommandLinesServicesOnTheApplicationThread)
{
    const QtMessageHandler previous = qInstallMessageHandler(keepMessage);
    const StandardServices services;
    constexpr int scans = 8;
    std::latch start(scans);
    {
        std::vector<std::jthread> threads;
        for (int i = 0; i < scans; ++i) {
            threads.emplace_back([&start, &services] {
                const std::optional<ScannerPtr> scanner = makeScanner(ModuleID::systemJunk, services.exclusions);
                start.arrive_and_wait();
                if (scanner && *scanner)
                    (*scanner)->scan({}, {});
            });
        }
    }
    qInstallMessageHandler(previous);

    EXPECT_TRUE(messages.filter(u"moveToThread"_s).isEmpty()) << messages.join(u'\n').toStdString();
    QThread* const application = QCoreApplication::instance()->thread();
    EXPECT_EQ(services.exclusions.thread(), application);
    EXPECT_EQ(services.preferences.thread(), application);
    EXPECT_EQ(services.history.thread(), application);
}
