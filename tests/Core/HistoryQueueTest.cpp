#include "Core/History.h"

#include "Sandbox.h"
#include "WaitFor.h"

#include <latch>

#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QThreadPool>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

CleaningSession sessionAt(int minutesAgo)
{
    CleaningSession session;
    session.id = QUuid::createUuid();
    session.date = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch() - 60 * minutesAgo, Qt::UTC);
    session.moduleID = toRaw(ModuleID::trashBins);
    session.moduleTitle = title(ModuleID::trashBins);
    session.freedBytes = 10;
    return session;
}

} // namespace

// Writers on many threads at once: every cycle runs, none overwrites another, and the sessions reach the GUI
// thread, where changed() is told, once the writers are done.
TEST(HistoryQueue, cyclesFromManyThreadsRunOneAfterAnotherAndPublishOnTheGuiThread)
{
    History history(TestSupport::sandbox() + u"/queue-history.json"_s);
    QThread* told = nullptr;
    QObject::connect(&history, &History::changed, [&told] { told = QThread::currentThread(); });
    constexpr int writers = 12;
    std::latch finished(writers);
    for (int i = 0; i < writers; ++i) {
        QThreadPool::globalInstance()->start([&history, &finished, i] {
            history.update([i](QList<CleaningSession>& sessions) { sessions.append(sessionAt(i)); });
            finished.count_down();
        });
    }
    finished.wait();
    EXPECT_TRUE(history.sessions().isEmpty()); // nothing is published off the GUI thread
    ASSERT_TRUE(TestSupport::waitFor([&] { return history.sessions().size() == writers; }));
    EXPECT_EQ(told, QCoreApplication::instance()->thread());

    // A posted cycle does not wait, and its sessions follow; a reader of the file sees every one.
    history.post([](QList<CleaningSession>& sessions) { sessions.append(sessionAt(100)); });
    history.waitUntilIdle();
    ASSERT_TRUE(TestSupport::waitFor([&] { return history.sessions().size() == writers + 1; }));
    EXPECT_EQ(History(history.fileURL()).sessions(), history.sessions());
}
