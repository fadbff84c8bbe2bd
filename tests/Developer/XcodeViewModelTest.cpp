#include "Developer/XcodeViewModel.h"

#include "QtPrinters.h"

#include "ScopedEnvironment.h"
#include "SimulatorFixtures.h"
#include "TestServices.h"
#include "WaitFor.h"

#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using TestSupport::waitFor;
using namespace SimulatorFixtures;
using Selection = XcodeViewModel::Selection;

namespace {

void loadAndWait(XcodeViewModel& model)
{
    model.load();
    ASSERT_TRUE(waitFor([&] { return model.hasLoaded() && !model.isLoading(); }));
}

// Waits for the end of a run and for the reload it starts.
void cleanAndWait(XcodeViewModel& model)
{
    bool finished = false;
    const auto connection = QObject::connect(&model, &XcodeViewModel::finished, [&] { finished = true; });
    model.clean();
    ASSERT_TRUE(waitFor([&] { return finished && !model.isLoading(); }));
    QObject::disconnect(connection);
}

QStringList deviceIDs(const XcodeViewModel& model)
{
    QStringList ids;
    for (const XcodeService::Device& device : model.inventory().devices)
        ids.append(device.id);
    ids.sort();
    return ids;
}

QSet<QString> set(const QStringList& ids)
{
    return QSet<QString>(ids.begin(), ids.end());
}

} // namespace

// The road of the screen: load (a warning beside the listings hides nothing), the recommendation replacing a
// manual choice, a non-removable runtime left out of the run, one refused deletion, and the journal.
TEST(XcodeViewModel, recommendsCleansJournalsAndReloads)
{
    reset();
    addRuntime(udid(u"RT-OLD"_s), u"16.4"_s, u"20E247"_s, true, 60000, 300);
    addRuntime(udid(u"RT-USED"_s), u"17.2"_s, u"21C62"_s, true, 90000, 2);
    addDevice(udid(u"OLD-1"_s), u"iPhone 12"_s, u"17.2"_s, u"Shutdown"_s, 30000, 400);
    addDevice(udid(u"RECENT-2"_s), u"iPhone 15"_s, u"17.2"_s, u"Shutdown"_s, 20000, 3);
    addDevice(udid(u"BOOTED-3"_s), u"iPad"_s, u"17.2"_s, u"booted"_s, 10000, 500);
    addDevice(udid(u"ORPHAN-4"_s), u"iPhone \"8\" é"_s, u"15.5"_s, u"Shutdown"_s, 25000, 10);
    const QString oldArchive = addArchive(u"2024-01-01"_s, u"Carnet 1.0"_s, 40000, 400);
    const QString newArchive = addArchive(u"2026-01-01"_s, u"Carnet 2.0"_s, 40000, 4);
    const TestSupport::ScopedEnvironment warn("QUORVANE_SIMCTL_WARN", u"1"_s);
    const TestSupport::ScopedEnvironment refuse("QUORVANE_SIMCTL_FAIL_DELETE", udid(u"ORPHAN-4"_s));

    TestSupport::TestServices services;
    XcodeViewModel model(services.services);
    EXPECT_TRUE(model.inventory().hasSimulatorTools) << "no verdict before the first load";
    loadAndWait(model);
    ASSERT_TRUE(model.inventory().hasSimulatorTools);
    EXPECT_EQ(deviceIDs(model),
              (QStringList{udid(u"BOOTED-3"_s), udid(u"OLD-1"_s), udid(u"ORPHAN-4"_s), udid(u"RECENT-2"_s)}));
    EXPECT_EQ(model.inventory().runtimes.size(), 2);
    EXPECT_EQ(model.inventory().archives.size(), 2);
    EXPECT_EQ(model.selectedCount(), 0) << "nothing is chosen for the user";

    model.toggle(udid(u"RECENT-2"_s), Selection::devices);
    model.selectRecommended();
    EXPECT_EQ(model.selectedDevices(), set({udid(u"OLD-1"_s), udid(u"ORPHAN-4"_s)})) << "replaces, never adds";
    EXPECT_EQ(model.selectedRuntimes(), set({udid(u"RT-OLD"_s)}));
    EXPECT_EQ(model.selectedArchives(), set({oldArchive}));
    // A runtime that devices use may sit in the selection (it counts) but never goes.
    model.toggle(udid(u"RT-USED"_s), Selection::runtimes);
    EXPECT_EQ(model.selectedCount(), 5);
    qint64 expected = 0;
    for (const XcodeService::Device& device : model.inventory().devices)
        expected += model.selectedDevices().contains(device.id) ? device.bytes : 0;
    for (const XcodeService::Runtime& runtime : model.inventory().runtimes)
        expected += runtime.bytes;
    expected += model.inventory().archives.last().bytes;
    EXPECT_EQ(model.selectedBytes(), expected);

    cleanAndWait(model);
    EXPECT_FALSE(model.isWorking());
    EXPECT_DOUBLE_EQ(model.progress(), 1.0);
    EXPECT_EQ(model.status(), QString());
    EXPECT_GT(model.freedBytes(), 30000 + 60000);
    EXPECT_EQ(model.failures(), QStringList{u"iPhone \"8\" é — Refusé par simctl."_s});
    EXPECT_EQ(model.selectedCount(), 0);
    EXPECT_FALSE(deviceKnown(udid(u"OLD-1"_s)));
    EXPECT_FALSE(QFileInfo::exists(deviceFolder(udid(u"OLD-1"_s))));
    EXPECT_TRUE(deviceKnown(udid(u"ORPHAN-4"_s)));
    EXPECT_FALSE(runtimeKnown(udid(u"RT-OLD"_s)));
    EXPECT_TRUE(runtimeKnown(udid(u"RT-USED"_s)));
    EXPECT_FALSE(QFileInfo::exists(oldArchive));
    EXPECT_TRUE(QFileInfo::exists(newArchive));
    // The reload shows what is left, and the run's result stays.
    EXPECT_EQ(deviceIDs(model), (QStringList{udid(u"BOOTED-3"_s), udid(u"ORPHAN-4"_s), udid(u"RECENT-2"_s)}));
    EXPECT_EQ(model.inventory().archives.size(), 1);

    ASSERT_TRUE(waitFor([&] { return services.history.sessions().size() == 1; }));
    const CleaningSession& session = services.history.sessions().first();
    EXPECT_EQ(session.moduleID, u"xcodeJunk"_s);
    EXPECT_EQ(session.failureCount, 1);
    QStringList origins;
    for (const RemovedFile& file : session.files)
        origins.append(file.originalPath);
    EXPECT_EQ(origins,
              (QStringList{deviceFolder(udid(u"OLD-1"_s)) + u"/data"_s, u"/runtime/iOS 16.4 (20E247)"_s, oldArchive}));
    EXPECT_TRUE(session.files.last().trashPath.has_value());
}

TEST(XcodeViewModel, selectionFollowsReloadsAndEmptyRunsJournalNothing)
{
    reset();
    addRuntime(u"RT"_s, u"17.2"_s, u"21C62"_s, true, 50000, std::nullopt);
    addDevice(udid(u"GONE"_s), u"iPhone"_s, u"16.0"_s, u"Shutdown"_s, 1000, 1);
    TestSupport::TestServices services;
    XcodeViewModel model(services.services);
    loadAndWait(model);
    model.toggle(u"RT"_s, Selection::runtimes);
    model.toggle(udid(u"GONE"_s), Selection::devices);
    model.toggle(udid(u"GONE"_s), Selection::devices);
    model.toggle(udid(u"GONE"_s), Selection::devices);
    EXPECT_EQ(model.selectedCount(), 2);

    // The device leaves behind the model's back, and a device comes to use the runtime.
    ASSERT_TRUE(QDir(store() + u"/devices/"_s + udid(u"GONE"_s)).removeRecursively());
    addDevice(udid(u"NEW"_s), u"iPhone 15"_s, u"17.2"_s, u"Shutdown"_s, 1000, 1);
    loadAndWait(model);
    EXPECT_TRUE(model.selectedDevices().isEmpty()) << "ids that are gone are dropped";
    EXPECT_EQ(model.selectedRuntimes(), set({u"RT"_s})) << "a runtime now in use stays selected";
    EXPECT_EQ(model.selectedBytes(), model.inventory().runtimes.first().bytes);

    cleanAndWait(model);
    EXPECT_TRUE(runtimeKnown(u"RT"_s)) << "a runtime in use is left out of the run";
    EXPECT_EQ(model.freedBytes(), 0);
    EXPECT_EQ(model.selectedCount(), 0);
    services.history.waitUntilIdle();
    EXPECT_TRUE(services.history.sessions().isEmpty());

    model.clean(); // nothing selected: nothing happens
    EXPECT_FALSE(model.isWorking());
}

// Leaving the screen during a run: the run ends in the service, its session is journaled, quitting waits for
// it, and nothing reaches the gone model.
TEST(XcodeViewModel, aRunOutlivesItsModelAndIsStillJournaled)
{
    reset();
    addDevice(udid(u"SLOW"_s), u"iPhone"_s, u"17.2"_s, u"Shutdown"_s, 4000, 400);
    // A simulator tool that takes its time over deletions.
    const QString tool = TestSupport::systemRoot() + u"/usr/bin/xcrun"_s;
    ASSERT_TRUE(QFile::rename(tool, tool + u"-real"_s));
    writeFile(tool, "#!/bin/sh\ncase \"$2\" in delete) sleep 1 ;; esac\nexec \"$0-real\" \"$@\"\n");
    ASSERT_TRUE(QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    TestSupport::TestServices services;
    auto model = std::make_unique<XcodeViewModel>(services.services);
    loadAndWait(*model);
    model->selectRecommended();
    ASSERT_EQ(model->selectedCount(), 1);
    model->clean();
    ASSERT_TRUE(model->isWorking());
    model.reset();
    EXPECT_FALSE(services.inFlight.idle()) << "quitting must wait for the journal entry";

    ASSERT_TRUE(waitFor([&] { return services.inFlight.idle(); }));
    services.history.waitUntilIdle();
    ASSERT_TRUE(waitFor([&] { return services.history.sessions().size() == 1; }));
    EXPECT_EQ(services.history.sessions().first().moduleID, u"xcodeJunk"_s);
    EXPECT_FALSE(deviceKnown(udid(u"SLOW"_s)));
    QTest::qWait(50); // late deliveries find no model
    ASSERT_TRUE(QFile::remove(tool));
    ASSERT_TRUE(QFile::rename(tool + u"-real"_s, tool));
}

// A second run started while the first one's reload is still under way: that reload read the simulators
// before the second run deleted one, so it must not be what the screen ends up showing.
TEST(XcodeViewModel, aReloadFromBeforeARunDoesNotBringBackWhatItRemoved)
{
    reset();
    addDevice(udid(u"FIRST"_s), u"iPhone 12"_s, u"17.2"_s, u"Shutdown"_s, 2000, 2);
    addDevice(udid(u"SECOND"_s), u"iPhone 15"_s, u"17.2"_s, u"Shutdown"_s, 1000, 2);
    // Listings answer late with what they read at once; deletions start a little late.
    const QString tool = TestSupport::systemRoot() + u"/usr/bin/xcrun"_s;
    ASSERT_TRUE(QFile::rename(tool, tool + u"-real"_s));
    writeFile(tool, "#!/bin/sh\n"
                    "case \"$2\" in\n"
                    "list) out=$(\"$0-real\" \"$@\"); sleep 0.5; printf '%s\\n' \"$out\"; exit 0 ;;\n"
                    "delete) sleep 0.3 ;;\n"
                    "esac\n"
                    "exec \"$0-real\" \"$@\"\n");
    ASSERT_TRUE(QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    TestSupport::TestServices services;
    XcodeViewModel model(services.services);
    loadAndWait(model);
    ASSERT_EQ(deviceIDs(model), (QStringList{udid(u"FIRST"_s), udid(u"SECOND"_s)}));
    int runs = 0;
    QObject::connect(&model, &XcodeViewModel::finished, [&] { ++runs; });
    model.toggle(udid(u"FIRST"_s), Selection::devices);
    model.clean();
    ASSERT_TRUE(waitFor([&] { return runs == 1; }));
    ASSERT_TRUE(model.isLoading());
    model.toggle(udid(u"SECOND"_s), Selection::devices);
    model.clean();
    ASSERT_TRUE(waitFor([&] { return runs == 2 && !model.isLoading(); }));
    QTest::qWait(1200); // whatever an earlier reload still had to say has arrived by now

    EXPECT_FALSE(deviceKnown(udid(u"SECOND"_s)));
    EXPECT_TRUE(deviceIDs(model).isEmpty());
    ASSERT_TRUE(QFile::remove(tool));
    ASSERT_TRUE(QFile::rename(tool + u"-real"_s, tool));
}
