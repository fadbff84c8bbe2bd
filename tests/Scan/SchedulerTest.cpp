#include "Scan/Schedule/Scheduler.h"

#include "Scan/Schedule/ScheduleTexts.h"

#include "Core/History.h"
#include "Core/Preferences.h"
#include "LatchedScanner.h"
#include "Platform/Access.h"
#include "RecordingNotifier.h"
#include "Sandbox.h"
#include "TempTree.h"
#include "TestServices.h"
#include "WaitFor.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;
using TestSupport::exists;
using TestSupport::LatchedScanner;
using TestSupport::RecordingNotifier;
using TestSupport::scanGroup;
using TestSupport::scanItem;
using TestSupport::waitFor;
using Post = RecordingNotifier::Post;

namespace {

const QDateTime start = QDateTime(QDate(2026, 3, 2), QTime(9, 0), QTimeZone::utc());

class SchedulerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestSupport::installStandIns();
        kit.preferences.setScheduleModule(ModuleID::systemJunk);
        kit.preferences.setNotifiesAfterScheduledRun(true);
        kit.preferences.setDiskThreshold(0.9);
    }

    // A scheduler on the test's clock, disk and scanner, that may notify unless `desktop` is false.
    std::unique_ptr<Scheduler> make(bool desktop = true, std::chrono::milliseconds period = Scheduler::defaultPeriod)
    {
        Scheduler::Seams seams;
        seams.now = [this] { return now; };
        seams.period = period;
        seams.scanners = [this](ModuleID module, const Exclusions&) -> std::optional<ScannerPtr> {
            ++scans;
            if (!available)
                return std::nullopt;
            auto made = std::make_shared<LatchedScanner>(module);
            made->control()->groups = groups;
            if (!holdScan)
                made->control()->release();
            scanner = made;
            return made;
        };
        seams.disk = [this] {
            ++diskReads;
            return disk;
        };
        seams.runningAsAppBundle = [desktop] { return desktop; };
        return std::make_unique<Scheduler>(kit.services, notifier, seams);
    }

    // Runs at once and waits for the end.
    void runAndWait(Scheduler& scheduler)
    {
        scheduler.runScheduled();
        ASSERT_TRUE(waitFor([&] { return !scheduler.isRunning(); }));
    }

    TestSupport::TestServices kit;
    RecordingNotifier notifier;
    QDateTime now = start;
    QList<ScanGroup> groups;
    bool available = true;
    bool holdScan = false;
    std::shared_ptr<LatchedScanner> scanner;
    int scans = 0;
    SystemInfo::Disk disk{1000, 500};
    int diskReads = 0;
};

} // namespace

TEST_F(SchedulerTest, aRunIsDueAtTheIntervalAfterTheLastOneNotASecondBefore)
{
    struct Case {
        const char* name;
        bool enabled;
        std::optional<qint64> lastRunSecondsAgo; // negative: a last run in the future
        bool runs;
    };
    const Case cases[] = {
        {"never run", true, std::nullopt, true},
        {"one second short", true, 604799, false},
        {"exactly the interval", true, 604800, true},
        {"long overdue", true, 10 * 604800, true},
        {"last run in the future", true, -3 * 86400, true},
        {"schedule off", false, std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kit.preferences.setScheduleInterval(Preferences::Interval::weekly);
        kit.preferences.setScheduleEnabled(c.enabled);
        kit.preferences.setLastScheduledRun(c.lastRunSecondsAgo ? std::optional(start.addSecs(-*c.lastRunSecondsAgo))
                                                                : std::nullopt);
        scans = 0;
        diskReads = 0;
        auto scheduler = make();
        scheduler->tick();
        EXPECT_EQ(diskReads, 1); // the disk check runs in every cycle, schedule on or off
        EXPECT_EQ(scheduler->isRunning(), c.runs);
        EXPECT_EQ(scans, c.runs ? 1 : 0);
        if (c.runs) {
            ASSERT_TRUE(waitFor([&] { return !scheduler->isRunning(); }));
            EXPECT_EQ(kit.preferences.lastScheduledRun(), start);
            EXPECT_EQ(scheduler->nextRun(), start.addSecs(604800));
        }
    }
}

TEST_F(SchedulerTest, theLoopSleepsFirstRunsOnceAndWaitsForARunToEnd)
{
    kit.preferences.setScheduleEnabled(true);
    holdScan = true;
    const std::chrono::milliseconds period(40);
    auto scheduler = make(true, period);
    QElapsedTimer clock;
    clock.start();
    scheduler->start();
    scheduler->start(); // one loop however often the window shows
    EXPECT_TRUE(scheduler->isStarted());
    EXPECT_EQ(diskReads, 0); // nothing at start
    ASSERT_TRUE(waitFor([&] { return diskReads == 1; }));
    EXPECT_GE(clock.elapsed(), period.count());
    EXPECT_TRUE(scheduler->isRunning());

    // While the run is held, no other cycle comes.
    QTest::qWait(static_cast<int>(period.count()) * 5);
    EXPECT_EQ(diskReads, 1);
    EXPECT_EQ(scans, 1);

    // Once it ends, the next cycle comes a period later; a single loop makes one cycle per period.
    clock.restart();
    scanner->control()->release();
    ASSERT_TRUE(waitFor([&] { return diskReads == 2; }));
    EXPECT_GE(clock.elapsed(), period.count());
    clock.restart();
    ASSERT_TRUE(waitFor([&] { return diskReads == 4; }));
    EXPECT_GE(clock.elapsed(), 2 * period.count());
}

TEST_F(SchedulerTest, theDiskWarningLatchesUntilTheDiskComesFivePointsUnderTheThreshold)
{
    auto scheduler = make();
    struct Step {
        qint64 used; // of 1000
        bool warns;
    };
    // Threshold 0.90: 92 warns; 95, 91, 86 and exactly 85 keep the latch; 84.9 re-arms; 90 exactly warns again.
    const std::vector<Step> steps = {{920, true},  {950, false}, {910, false}, {860, false},
                                     {850, false}, {900, false}, {849, false}, {900, true}};
    int expected = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.used);
        disk = {1000, 1000 - step.used};
        scheduler->checkDiskPressure();
        expected += step.warns ? 1 : 0;
        EXPECT_EQ(notifier.posts.size(), expected);
    }
    EXPECT_EQ(notifier.posts.first(),
              (Post{u"disk-pressure"_s, u"Votre disque se remplit"_s,
                    u"92 % occupés — 1 Ko restants. Une analyse intelligente prend quelques minutes."_s}));

    // Off: nothing sent and the latch kept; turned on again while latched, nothing until a new crossing.
    kit.preferences.setNotifiesOnDiskPressure(false);
    disk = {1000, 0};
    scheduler->checkDiskPressure();
    disk = {1000, 500};
    scheduler->checkDiskPressure();
    EXPECT_TRUE(scheduler->diskWarningSent());
    kit.preferences.setNotifiesOnDiskPressure(true);
    disk = {1000, 1};
    scheduler->checkDiskPressure();
    EXPECT_EQ(notifier.posts.size(), 2);
}

TEST_F(SchedulerTest, theDiskWarningTruncatesItsShareAndSaysAnEmptyDiskAsZero)
{
    struct Case {
        SystemInfo::Disk disk;
        QString body;
    };
    const Case cases[] = {
        {{1000, 1}, u"99 % occupés — 1 Ko restants. "_s},
        {{100, 0}, u"100 % occupés — 0 Ko restants. "_s},
        {{100, -5}, u"100 % occupés — 0 Ko restants. "_s},
    };
    for (const Case& c : cases) {
        auto scheduler = make();
        notifier.posts.clear();
        disk = c.disk;
        scheduler->checkDiskPressure();
        ASSERT_EQ(notifier.posts.size(), 1);
        EXPECT_EQ(notifier.posts.first().body, c.body + u"Une analyse intelligente prend quelques minutes."_s);
    }
    // A share read from the byte counts: 29 of 100 is 29, not 28.
    EXPECT_TRUE(ScheduleTexts::diskPressureBody(29, 100, 71).startsWith(u"29 % "_s));
    // A volume that cannot be read is empty: no warning, and the latch re-arms.
    auto scheduler = make();
    disk = {0, 0};
    scheduler->checkDiskPressure();
    EXPECT_FALSE(scheduler->diskWarningSent());
}

TEST_F(SchedulerTest, runsSayWhatTheyDidWithFailuresAndItemsLeftForTheScreen)
{
    const TempTree tree(uR"(
        junk/a 10
        junk/b 10
        keep/deleted 10
        keep/threat 10
        junk/refused 10
    )"_s);
    // The threat's folder is the system's: only an administrator could remove it.
    kit.access.setRule([](const QString& folder) { return !folder.endsWith(u"/keep"_s); });
    // What the user excluded since the scan is refused by the engine: a failure.
    ASSERT_TRUE(kit.exclusions.add(tree.path(u"junk/refused"_s)));
    const ScanItem a = scanItem(tree.path(u"junk/a"_s), true, 1000);
    const ScanItem b = scanItem(tree.path(u"junk/b"_s), true, 2000);
    const ScanItem unselected = scanItem(tree.path(u"junk/unselected"_s), false, 4000);
    const ScanItem refused = scanItem(tree.path(u"junk/refused"_s), true, 500);
    const ScanItem deleted = scanItem(tree.path(u"keep/deleted"_s), true, 3000, Removal::Mode::deletion());
    const ScanItem threat =
        scanItem(tree.path(u"keep/threat"_s), true, 600, Removal::Mode::threat(u"com.adware.agent"_s));
    const QString t = title(ModuleID::systemJunk);
    const QString id = u"schedule-systemJunk"_s;

    struct Case {
        const char* name;
        bool cleans;
        QList<ScanItem> items;
        QString outcome;
        std::optional<Post> post;
        int sessions;
    };
    const QList<Case> cases = {
        {"report, nothing found", false, {}, t + u" : 0 Ko à examiner."_s, std::nullopt, 0},
        {"report counts every item",
         false,
         {unselected, deleted},
         t + u" : 7 Ko à examiner."_s,
         Post{id, u"Analyse planifiée terminée"_s, t + u" — 7 Ko récupérables. Ouvrez l'app pour les examiner."_s},
         0},
        {"clean, nothing selected", true, {unselected}, t + u" : rien à nettoyer."_s, std::nullopt, 0},
        {"clean, only what must not go unattended",
         true,
         {deleted, threat, unselected},
         t + u" : 4 Ko à examiner."_s,
         Post{id, u"Analyse planifiée terminée"_s, t + u" — 4 Ko récupérables. Ouvrez l'app pour les examiner."_s},
         0},
        {"clean, every removal fails",
         true,
         {refused},
         t + u" : 0 Ko libérés, 1 en échec."_s,
         Post{id, u"Nettoyage planifié terminé"_s, t + u" — 0 Ko libérés, 0 élément retiré, 1 en échec."_s},
         0},
        {"clean, some go, some fail, some wait",
         true,
         {a, refused, deleted, unselected, b},
         t + u" : 3 Ko libérés, 1 en échec, 1 à examiner."_s,
         Post{id, u"Nettoyage planifié terminé"_s,
              t + u" — 3 Ko libérés, 2 éléments retirés, 1 en échec, 1 à examiner. Annulable depuis l'historique."_s},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        notifier.posts.clear();
        kit.preferences.setScheduleCleans(c.cleans);
        kit.preferences.setLastScheduledRun(std::nullopt);
        groups = {scanGroup(c.items)};
        const qsizetype sessionsBefore = kit.history.sessions().size();
        auto scheduler = make();
        QSignalSpy finished(scheduler.get(), &Scheduler::runFinished);
        runAndWait(*scheduler);
        EXPECT_EQ(finished.size(), 1);
        EXPECT_EQ(scheduler->lastOutcome(), c.outcome);
        EXPECT_EQ(kit.preferences.lastScheduledRun(), start);
        EXPECT_EQ(notifier.posts.size(), c.post ? 1 : 0);
        if (c.post && !notifier.posts.isEmpty()) {
            EXPECT_EQ(notifier.posts.first(), *c.post);
        }
        EXPECT_EQ(kit.history.sessions().size() - sessionsBefore, c.sessions);
        EXPECT_TRUE(kit.inFlight.idle());
    }
    // Only what goes to the Trash went; the deletion and the threat never reached a runner.
    EXPECT_FALSE(exists(a.url));
    EXPECT_FALSE(exists(b.url));
    EXPECT_TRUE(exists(deleted.url));
    EXPECT_TRUE(exists(threat.url));
    EXPECT_TRUE(TestSupport::launchctlCalls().isEmpty());
    const CleaningSession& session = kit.history.sessions().last();
    EXPECT_EQ(session.moduleID, u"systemJunk"_s);
    EXPECT_EQ(session.files.size(), 2);
}

TEST_F(SchedulerTest, aModuleWithoutScannerSaysSoAndNotifiesNothing)
{
    available = false;
    kit.preferences.setScheduleModule(ModuleID::duplicates);
    auto scheduler = make();
    QSignalSpy changed(scheduler.get(), &Scheduler::changed);
    scheduler->runScheduled();
    EXPECT_FALSE(scheduler->isRunning());
    EXPECT_EQ(scheduler->lastOutcome(), title(ModuleID::duplicates) + u" : ce module n'est pas encore disponible."_s);
    EXPECT_TRUE(notifier.posts.isEmpty());
    EXPECT_GE(changed.size(), 1);
}

TEST_F(SchedulerTest, runNowWhileARunIsUnderWayChangesNothing)
{
    holdScan = true;
    groups = {scanGroup({scanItem(u"/nowhere/x"_s, true, 2048)})};
    auto scheduler = make();
    QSignalSpy changed(scheduler.get(), &Scheduler::changed);
    scheduler->runScheduled();
    EXPECT_TRUE(scheduler->isRunning());
    EXPECT_EQ(changed.size(), 1);
    scheduler->runScheduled();
    scheduler->tick();
    EXPECT_EQ(scans, 1);
    EXPECT_EQ(changed.size(), 1);
    EXPECT_FALSE(scheduler->lastOutcome().has_value());
    EXPECT_FALSE(kit.preferences.lastScheduledRun().has_value()); // set only once the scan has ended

    scanner->control()->release();
    ASSERT_TRUE(waitFor([&] { return !scheduler->isRunning(); }));
    EXPECT_EQ(scheduler->lastOutcome(), title(ModuleID::systemJunk) + u" : 2 Ko à examiner."_s);
    EXPECT_EQ(changed.size(), 2);
}

TEST_F(SchedulerTest, underATestRunnerNothingIsPostedYetLatchAndOutcomeAreAsIfItWere)
{
    groups = {scanGroup({scanItem(u"/nowhere/x"_s, true, 2048)})};
    auto scheduler = make(false);
    disk = {1000, 10};
    scheduler->checkDiskPressure();
    runAndWait(*scheduler);
    scheduler->requestNotificationAuthorizationIfNeeded();
    EXPECT_TRUE(scheduler->diskWarningSent());
    EXPECT_EQ(scheduler->lastOutcome(), title(ModuleID::systemJunk) + u" : 2 Ko à examiner."_s);
    EXPECT_TRUE(notifier.posts.isEmpty());
    EXPECT_EQ(notifier.authorizationRequests, 0);
    EXPECT_FALSE(scheduler->notificationAuthorizationRequested());
    EXPECT_FALSE(scheduler->runningAsAppBundle());

    // The machine's own guard says the same under this runner.
    EXPECT_FALSE(Scheduler::Seams::standard().runningAsAppBundle());
}

TEST_F(SchedulerTest, permissionIsAskedOnceWhoeverAsksFirst)
{
    auto scheduler = make();
    scheduler->requestNotificationAuthorizationIfNeeded(); // a settings pane
    EXPECT_TRUE(scheduler->notificationAuthorizationRequested());
    scheduler->notify(u"disk-pressure"_s, u"A"_s, u"B"_s);
    scheduler->notify(u"schedule-trashBins"_s, u"C"_s, u"D"_s);
    scheduler->requestNotificationAuthorizationIfNeeded();
    EXPECT_EQ(notifier.authorizationRequests, 1);
    EXPECT_EQ(notifier.posts.size(), 2);
}

// With no reading given, the check reads the startup volume itself at each cycle: no window, no monitor, no
// app-wide snapshot is needed for the warning to go.
TEST_F(SchedulerTest, theDiskCheckReadsTheStartupVolumeItself)
{
    Scheduler::Seams seams;
    seams.now = [this] { return now; };
    seams.runningAsAppBundle = [] { return true; };
    Scheduler scheduler(kit.services, notifier, seams);
    kit.preferences.setDiskThreshold(1e-6); // any volume in use is past it
    scheduler.checkDiskPressure();
    EXPECT_TRUE(scheduler.diskWarningSent());
    ASSERT_EQ(notifier.posts.size(), 1);
    EXPECT_EQ(notifier.posts.first().title, u"Votre disque se remplit"_s);
}
