#include "Core/BackgroundJob.h"
#include "Core/WorkInFlight.h"
#include "WaitFor.h"

#include <atomic>
#include <latch>
#include <memory>

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

namespace {

// A receiver that records what reached it and on which thread.
class Receiver final : public QObject
{
public:
    QList<int> results;
    QThread* thread = nullptr;
    Background::JobLine<Receiver> jobs{this};
};

// Lets a job go on only when the test says so.
struct Gate {
    std::latch open{1};
    std::atomic<bool> sawStop{false};
    std::atomic<bool> done{false};
};

// Starts a job on `receiver`'s line that waits at the gate, then delivers `value`.
void startGated(Receiver& receiver, const std::shared_ptr<Gate>& gate, int value)
{
    receiver.jobs.start([gate, value](const Background::Job<Receiver>& job) {
        gate->open.wait();
        gate->sawStop = job.stopRequested();
        job.deliver([value](Receiver& to) {
            to.results.append(value);
            to.thread = QThread::currentThread();
        });
        gate->done = true;
    });
}

void settle(const std::shared_ptr<Gate>& gate)
{
    ASSERT_TRUE(TestSupport::waitFor([&] { return gate->done.load(); }));
    QCoreApplication::processEvents();
}

} // namespace

TEST(BackgroundJob, aResultReachesItsReceiverOnTheGuiThread)
{
    Receiver receiver;
    auto gate = std::make_shared<Gate>();
    startGated(receiver, gate, 7);
    gate->open.count_down();
    ASSERT_TRUE(TestSupport::waitFor([&] { return !receiver.results.isEmpty(); }));
    EXPECT_EQ(receiver.results, QList<int>{7});
    EXPECT_EQ(receiver.thread, QCoreApplication::instance()->thread());
    EXPECT_FALSE(gate->sawStop);
}

TEST(BackgroundJob, aNewerJobOrAStopSupersedesAndStopsTheOlderOne)
{
    Receiver receiver;
    auto older = std::make_shared<Gate>();
    auto newer = std::make_shared<Gate>();
    startGated(receiver, older, 1);
    startGated(receiver, newer, 2);
    older->open.count_down();
    settle(older);
    EXPECT_TRUE(older->sawStop);
    EXPECT_TRUE(receiver.results.isEmpty()); // the older job delivered after the newer one started
    newer->open.count_down();
    settle(newer);
    EXPECT_EQ(receiver.results, QList<int>{2});

    auto stopped = std::make_shared<Gate>();
    startGated(receiver, stopped, 3);
    receiver.jobs.stop();
    stopped->open.count_down();
    settle(stopped);
    EXPECT_TRUE(stopped->sawStop);
    EXPECT_EQ(receiver.results, QList<int>{2});
}

TEST(BackgroundJob, nothingReachesADestroyedReceiver)
{
    auto gate = std::make_shared<Gate>();
    std::atomic<int> delivered{0};
    {
        QObject owner;
        Background::JobLine<QObject>::of(&owner).start([gate, &delivered](const Background::Job<QObject>& job) {
            gate->open.wait();
            gate->sawStop = job.stopRequested();
            job.deliver([&delivered](QObject&) { ++delivered; });
            gate->done = true;
        });
    }
    gate->open.count_down();
    settle(gate);
    EXPECT_TRUE(gate->sawStop); // the line ended with its receiver
    EXPECT_EQ(delivered.load(), 0);

    // A delivery already queued when the receiver goes is dropped as well.
    auto late = std::make_shared<Gate>();
    auto owner = std::make_unique<QObject>();
    Background::JobLine<QObject>::of(owner.get()).start([late, &delivered](const Background::Job<QObject>& job) {
        job.deliver([&delivered](QObject&) { ++delivered; });
        late->done = true;
        late->done.notify_all();
    });
    late->done.wait(false); // without running the event loop, so that the delivery is still queued
    owner.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered.load(), 0);
}

// Work that must end runs beside other such work, is never asked to stop, delivers while its receiver exists,
// and holds its ticket until its last delivery has run or been dropped.
TEST(BackgroundJob, workRunToItsEndOutlivesItsReceiverAndHoldsItsTicketUntilDelivered)
{
    WorkInFlight inFlight;
    auto receiver = std::make_unique<Receiver>();
    auto delivered = std::make_shared<std::atomic<int>>(0);
    const auto run = [&](const std::shared_ptr<Gate>& gate, int value) {
        Background::runToEnd(inFlight.begin(), receiver.get(),
                             [gate, value, delivered](const Background::Job<Receiver>& job) {
                                 gate->open.wait();
                                 gate->sawStop = job.stopRequested();
                                 job.deliver([value, delivered](Receiver& to) {
                                     to.results.append(value);
                                     ++*delivered;
                                 });
                                 gate->done = true;
                                 gate->done.notify_all();
                             });
    };
    auto first = std::make_shared<Gate>();
    auto second = std::make_shared<Gate>();
    run(first, 1);
    run(second, 2);
    first->open.count_down();
    first->done.wait(false);
    EXPECT_FALSE(inFlight.idle()); // its delivery is still queued
    ASSERT_TRUE(TestSupport::waitFor([&] { return !receiver->results.isEmpty(); }));
    EXPECT_EQ(receiver->results, QList<int>{1}); // the second one, started later, did not drop it

    receiver.reset(); // the screen closes while the second one runs
    second->open.count_down();
    ASSERT_TRUE(TestSupport::waitFor([&] { return inFlight.idle(); }));
    EXPECT_TRUE(second->done);
    EXPECT_FALSE(first->sawStop);
    EXPECT_FALSE(second->sawStop);
    EXPECT_EQ(delivered->load(), 1);
}
