#include "Performance/OptimizationViewModel.h"

#include "Platform/FileSystem.h"
#include "RecordingApplications.h"
#include "TempTree.h"
#include "TestServices.h"
#include "WaitFor.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using OptimizationService::HeavyApp;
using OptimizationService::LaunchItem;
using TestSupport::waitFor;

namespace {

// A gate a background source waits at until the test opens it.
struct Gate {
    void open()
    {
        const std::lock_guard lock(mutex);
        opened = true;
        wake.notify_all();
    }
    void pass()
    {
        std::unique_lock lock(mutex);
        wake.wait(lock, [&] { return opened; });
    }
    std::mutex mutex;
    std::condition_variable wake;
    bool opened = false;
};

LaunchItem itemAt(const QString& url, const QString& label)
{
    return {QUuid::createUuid(), label, url, u"/bin/true"_s, u"Cet utilisateur"_s, true, u"/bin/true"_s};
}

HeavyApp appOf(const QString& name, qint64 memory)
{
    const QString bundle = u"/Applications/"_s + name + u".app"_s;
    return {QUuid::createUuid(), name, 10, 1.0, memory, bundle, bundle};
}

} // namespace

TEST(OptimizationViewModel, aRefreshPublishesEachListWhenReadyAndEndsLoadingWithTheLast)
{
    TestSupport::TestServices services;
    auto gate = std::make_shared<Gate>();
    const QList<LaunchItem> items{itemAt(u"/L/a.plist"_s, u"a"_s)};
    const QList<HeavyApp> apps{appOf(u"Foo"_s, 100)};
    OptimizationViewModel model(services.services, {[items] { return items; },
                                                    [gate, apps] {
                                                        gate->pass();
                                                        return apps;
                                                    },
                                                    {}});
    model.refresh();
    EXPECT_TRUE(model.isLoading());
    ASSERT_TRUE(waitFor([&] { return !model.launchItems().isEmpty(); }));
    EXPECT_TRUE(model.heavyApps().isEmpty());
    EXPECT_TRUE(model.isLoading());
    gate->open();
    ASSERT_TRUE(waitFor([&] { return !model.isLoading(); }));
    EXPECT_EQ(model.launchItems(), items);
    EXPECT_EQ(model.heavyApps(), apps);
}

TEST(OptimizationViewModel, aDiagnosisRunsOnceAtATimeAndKeepsTheOldFindingsUntilTheNewOnes)
{
    TestSupport::TestServices services;
    auto gate = std::make_shared<Gate>();
    auto calls = std::make_shared<std::atomic<int>>(0);
    OptimizationViewModel model(services.services, {{}, {}, [gate, calls](std::stop_token) {
                                                        ++*calls;
                                                        gate->pass();
                                                        return std::vector<Diagnostics::Finding>{
                                                            *Diagnostics::thermalFinding(u"CPU_Speed_Limit = 50"_s)};
                                                    }});
    EXPECT_FALSE(model.hasDiagnosed());
    model.diagnose();
    model.diagnose();
    EXPECT_TRUE(model.isDiagnosing());
    gate->open();
    ASSERT_TRUE(waitFor([&] { return model.hasDiagnosed(); }));
    EXPECT_FALSE(model.isDiagnosing());
    ASSERT_EQ(model.findings().size(), 1u);
    EXPECT_EQ(model.findings()[0].id, u"thermal"_s);
    EXPECT_EQ(calls->load(), 1);
    model.diagnose();
    EXPECT_EQ(model.findings().size(), 1u) << "kept while the next one runs";
    ASSERT_TRUE(waitFor([&] { return !model.isDiagnosing(); }));
    EXPECT_EQ(calls->load(), 2);
}

// The screen is left while its diagnosis waits: the wait is stopped and nothing reaches the gone model.
TEST(OptimizationViewModel, aModelDestroyedMidDiagnosisStopsItsProbes)
{
    TestSupport::TestServices services;
    auto stopped = std::make_shared<std::atomic<bool>>(false);
    auto started = std::make_shared<std::atomic<bool>>(false);
    auto* model = new OptimizationViewModel(services.services, {{}, {}, [stopped, started](std::stop_token stop) {
                                                                    std::vector<Diagnostics::Finding> findings;
                                                                    started->store(true);
                                                                    std::mutex mutex;
                                                                    std::condition_variable_any wake;
                                                                    std::unique_lock lock(mutex);
                                                                    wake.wait_for(lock, stop, std::chrono::hours(1),
                                                                                  [] { return false; });
                                                                    stopped->store(stop.stop_requested());
                                                                    return findings;
                                                                }});
    QSignalSpy changes(model, &OptimizationViewModel::diagnosisChanged);
    model->diagnose();
    ASSERT_TRUE(waitFor([&] { return started->load(); }));
    delete model;
    ASSERT_TRUE(waitFor([&] { return stopped->load(); }));
    QTest::qWait(50);
    EXPECT_EQ(changes.size(), 1) << "only the start was told";
}

TEST(OptimizationViewModel, disablingTrashesTheFileJournalsItAndDropsTheRowEvenWhenTheScreenIsGone)
{
    TestSupport::TestServices services;
    const TempTree tree(u"LaunchAgents/fr.agent.plist 300\nLaunchAgents/fr.autre.plist 300\n"_s);
    const LaunchItem agent = itemAt(tree.path(u"LaunchAgents/fr.agent.plist"_s), u"fr.agent"_s);
    const LaunchItem other = itemAt(tree.path(u"LaunchAgents/fr.autre.plist"_s), u"fr.autre"_s);
    const LaunchItem missing = itemAt(tree.path(u"LaunchAgents/parti.plist"_s), u"parti"_s);
    const QList<LaunchItem> items{agent, missing, other};
    {
        OptimizationViewModel model(services.services,
                                    {[items] { return items; }, [] { return QList<HeavyApp>{}; }, {}});
        model.refresh();
        ASSERT_TRUE(waitFor([&] { return !model.isLoading(); }));
        model.remove(agent);
        model.remove(missing);
        ASSERT_TRUE(waitFor([&] { return model.launchItems().size() == 1; }));
        EXPECT_EQ(model.launchItems().first().label, u"fr.autre"_s);
        EXPECT_FALSE(model.removalNotice());
        EXPECT_FALSE(TestSupport::exists(agent.url));

        // Left at once: the removal still ends and is journaled; quitting would wait for it.
        model.remove(other);
    }
    ASSERT_TRUE(waitFor([&] { return services.inFlight.idle(); }));
    services.history.waitUntilIdle();
    EXPECT_FALSE(TestSupport::exists(other.url));
    const QList<CleaningSession> sessions = services.history.sessions();
    ASSERT_EQ(sessions.size(), 2) << "the missing file journals nothing";
    for (const CleaningSession& session : sessions) {
        EXPECT_EQ(session.moduleID, u"optimization"_s);
        ASSERT_EQ(session.files.size(), 1);
        EXPECT_TRUE(session.files.first().trashPath.has_value());
    }
}

// A list reached through a link: the link goes to the Trash, the list it leads to stays.
TEST(OptimizationViewModel, disablingALinkedListMovesTheLinkAlone)
{
    TestSupport::TestServices services;
    const TempTree tree(u"Support/veilleuse.plist 300\nLaunchAgents/\n"_s);
    const QString link = tree.path(u"LaunchAgents/fr.veilleuse.plist"_s);
    ASSERT_TRUE(QFile::link(tree.path(u"Support/veilleuse.plist"_s), link));
    const LaunchItem item = itemAt(link, u"fr.veilleuse"_s);
    OptimizationViewModel model(services.services, {[item] { return QList<LaunchItem>{item}; }, {}, {}});
    model.refresh();
    ASSERT_TRUE(waitFor([&] { return !model.isLoading(); }));
    model.remove(item);
    ASSERT_TRUE(waitFor([&] { return model.launchItems().isEmpty(); }));
    EXPECT_FALSE(TestSupport::exists(link));
    EXPECT_EQ(TestSupport::contentOf(tree.path(u"Support/veilleuse.plist"_s)).size(), 300);
    ASSERT_TRUE(waitFor([&] { return services.inFlight.idle(); }));
    services.history.waitUntilIdle();
    ASSERT_EQ(services.history.sessions().size(), 1);
    const std::optional<QString> trashed = services.history.sessions().first().files.first().trashPath;
    ASSERT_TRUE(trashed.has_value());
    const auto inTrash = Platform::fileInfo(*trashed);
    ASSERT_TRUE(inTrash.has_value());
    EXPECT_TRUE(inTrash->isSymlink());
}

TEST(OptimizationViewModel, aRefusedRemovalKeepsItsRowAndSaysWhyUntilTheNextRefresh)
{
    TestSupport::TestServices services;
    const TempTree tree(u"Daemons/fr.daemon.plist 300\n"_s);
    ASSERT_TRUE(services.exclusions.add(tree.path(u"Daemons"_s)));
    const LaunchItem daemon = itemAt(tree.path(u"Daemons/fr.daemon.plist"_s), u"fr « daemon »"_s);
    OptimizationViewModel model(services.services,
                                {[daemon] { return QList<LaunchItem>{daemon}; }, [] { return QList<HeavyApp>{}; }, {}});
    model.refresh();
    ASSERT_TRUE(waitFor([&] { return !model.isLoading(); }));
    model.remove(daemon);
    ASSERT_TRUE(waitFor([&] { return model.removalNotice().has_value(); }));
    EXPECT_EQ(model.removalNotice()->title, u"Impossible de désactiver «\u00A0fr « daemon »\u00A0»"_s);
    EXPECT_FALSE(model.removalNotice()->message.isEmpty());
    EXPECT_EQ(model.launchItems().size(), 1);
    EXPECT_TRUE(TestSupport::exists(daemon.url));
    ASSERT_TRUE(waitFor([&] { return services.inFlight.idle(); }));
    services.history.waitUntilIdle();
    EXPECT_TRUE(services.history.sessions().isEmpty());
    model.refresh();
    EXPECT_FALSE(model.removalNotice());
}

TEST(OptimizationViewModel, quittingAsksEveryProcessOfTheBundleAndNothingWhenNoneRuns)
{
    TestSupport::TestServices services;
    using Platform::RunningApplication;
    const QList<RunningApplication> running{{41, u"/Applications/Foo.app"_s, u"fr.foo"_s},
                                            {42, u"/Applications/Bar.app"_s, u"fr.bar"_s},
                                            {43, u"/Applications/Foo.app"_s, u"fr.foo"_s}};
    TestSupport::RecordingApplications applications(running);
    OptimizationViewModel model(services.services, {}, applications);
    // The pid kept since the listing belongs to another process now: the bundle decides.
    HeavyApp foo = appOf(u"Foo"_s, 10);
    foo.pid = 42;
    model.quit(foo);
    model.quit(appOf(u"Gone"_s, 10));
    const auto count = [&] { return applications.terminated().size(); };
    ASSERT_TRUE(waitFor([&] { return count() == 2; }));
    QTest::qWait(100);
    QList<int> asked;
    for (const RunningApplication& application : applications.terminated())
        asked.append(application.processID);
    EXPECT_EQ(asked, (QList<int>{41, 43}));
}

// After "Quitter" the list is read again once the application has ended, so that its row leaves by itself; a
// refresh under way still ends its loading.
TEST(OptimizationViewModel, theListIsReadAgainOnceTheQuitApplicationHasEnded)
{
    TestSupport::TestServices services;
    using Platform::RunningApplication;
    std::atomic<bool> fooRuns{true};
    const TestSupport::RecordingApplications applications([&]() -> QList<RunningApplication> {
        if (!fooRuns)
            return {};
        return {{41, u"/Applications/Foo.app"_s, u"fr.foo"_s}};
    });
    std::atomic<int> listings{0};
    OptimizationViewModel model(services.services,
                                {{},
                                 [&] {
                                     ++listings;
                                     return fooRuns ? QList<HeavyApp>{appOf(u"Foo"_s, 100)} : QList<HeavyApp>{};
                                 },
                                 {}},
                                applications);
    model.refresh();
    ASSERT_TRUE(waitFor([&] { return !model.isLoading(); }));
    ASSERT_EQ(model.heavyApps().size(), 1);

    model.quit(model.heavyApps().first());
    QTest::qWait(3 * OptimizationViewModel::quitPollMs);
    EXPECT_EQ(listings.load(), 1); // still running: nothing read yet
    EXPECT_EQ(model.heavyApps().size(), 1);
    fooRuns = false; // it ends
    ASSERT_TRUE(waitFor([&] { return model.heavyApps().isEmpty(); }));
    EXPECT_EQ(listings.load(), 2);
    EXPECT_FALSE(model.isLoading());
}
