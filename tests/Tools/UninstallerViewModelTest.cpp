#include "Tools/UninstallerViewModel.h"

#include "RecordingApplications.h"
#include "TempTree.h"
#include "TestServices.h"
#include "WaitFor.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <future>
#include <memory>
#include <mutex>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using TestSupport::waitFor;

namespace {

const QDateTime now = QDateTime(QDate(2026, 12, 10), QTime(8, 0), Qt::UTC);

InstalledApp app(const QString& name, qint64 size, const QString& bundleID = {})
{
    InstalledApp made;
    made.id = QUuid::createUuid();
    made.url = u"/Applications/"_s + name + u".app"_s;
    made.name = name;
    made.bundleID = bundleID.isEmpty() ? u"fr.exemple."_s + name.toLower() : bundleID;
    made.version = u"1.0"_s;
    made.size = size;
    made.isAppleApp = made.bundleID.startsWith(u"com.apple."_s);
    return made;
}

ScanItem leftover(const QString& path, qint64 size)
{
    ScanItem item;
    item.id = QUuid::createUuid();
    item.url = path;
    item.name = QFileInfo(path).fileName();
    item.size = size;
    item.detail = u"Application Support"_s;
    item.isSelected = true;
    item.removalMode = Removal::Mode::trash();
    return item;
}

// A clock whose sleeps only step its time, and a process list in which the application runs until that time
// reaches `quitsAt` (never when negative; from the start when zero means not running at all).
struct ScriptedMac {
    ScriptedMac(const InstalledApp& running, qint64 quitsAtMs) : quitsAt(quitsAtMs)
    {
        const Platform::RunningApplication process{4242, running.url, running.bundleID};
        applications = std::make_shared<TestSupport::RecordingApplications>(
            [this, process]() -> QList<Platform::RunningApplication> {
                if (quitsAt == 0 || (quitsAt > 0 && elapsed.load() >= quitsAt))
                    return {};
                return {process};
            });
    }

    UninstallerViewModel::Seams seams(std::function<void()> onSleep = {})
    {
        UninstallerViewModel::Seams made;
        made.applications = applications;
        made.now = [this] { return now.addMSecs(elapsed.load()); };
        made.sleep = [this, onSleep](int milliseconds) {
            {
                const std::lock_guard lock(mutex);
                sleeps.append(milliseconds);
            }
            if (onSleep)
                onSleep();
            elapsed += milliseconds;
        };
        return made;
    }

    const qint64 quitsAt;
    std::atomic<qint64> elapsed{0};
    std::shared_ptr<TestSupport::RecordingApplications> applications;
    std::mutex mutex;
    QList<int> sleeps;
};

// The bundle of "Ondine" and two associated files in a tree of their own.
struct Installed {
    Installed()
    {
        ondine.url = tree.path(u"Ondine.app"_s);
        ondine.leftovers = {leftover(tree.path(u"Support/io.ondine"_s), 3000),
                            leftover(tree.path(u"Prefs/io.ondine.plist"_s), 100)};
    }
    TempTree tree{u"Ondine.app/Contents/MacOS/Ondine 4096\nSupport/io.ondine/db 3000\nPrefs/io.ondine.plist 100\n"_s};
    InstalledApp ondine = app(u"Ondine"_s, 4096, u"io.ondine.player"_s);
};

QList<CleaningSession> uninstallerSessions(History& history)
{
    history.waitUntilIdle();
    QList<CleaningSession> found;
    for (const CleaningSession& session : history.sessions()) {
        if (session.moduleID == u"uninstaller"_s)
            found.append(session);
    }
    return found;
}

} // namespace

TEST(UninstallerViewModel, inventoriesOnceAtATimeAndSelectsTheFirstShownApplication)
{
    TestSupport::TestServices services;
    const QList<InstalledApp> first = {app(u"Notes"_s, 900, u"com.apple.Notes"_s), app(u"Carnet"_s, 500),
                                       app(u"Ondine"_s, 100)};
    std::atomic<int> runs{0};
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    UninstallerViewModel::Seams seams;
    seams.inventory = [&, released](const Progress& progress, std::stop_token) {
        ++runs;
        released.wait();
        progress(0, u"Notes.app"_s);
        progress(0.5, u"Carnet.app"_s);
        progress(1, QString());
        return first;
    };
    UninstallerViewModel model(services.services, seams);
    QSignalSpy changed(&model, &UninstallerViewModel::changed);

    model.refresh();
    model.refresh();
    EXPECT_TRUE(model.isLoading());
    EXPECT_EQ(model.progress(), 0);
    release.set_value();
    ASSERT_TRUE(waitFor([&] { return !model.isLoading(); }));
    EXPECT_EQ(runs.load(), 1);
    EXPECT_EQ(model.apps(), first);
    EXPECT_EQ(model.status(), QString());
    EXPECT_EQ(model.progress(), 1);
    // Apple's application stays out of the list and so out of the first selection.
    ASSERT_TRUE(model.selected().has_value());
    EXPECT_EQ(*model.selected(), first.at(1).id);

    // A later inventory keeps the selection made, even though no application of the new list carries it.
    model.refresh();
    ASSERT_TRUE(waitFor([&] { return !model.isLoading(); }));
    EXPECT_EQ(runs.load(), 2);
    EXPECT_EQ(*model.selected(), first.at(1).id);
    model.setSelected(first.at(0).id);
    ASSERT_TRUE(model.selectedApp().has_value());
    EXPECT_EQ(model.selectedApp()->name, u"Notes"_s); // hidden from the list, still the detail
}

// The reading for A, started first and ending last, never overwrites B's.
TEST(UninstallerViewModel, onlyTheLatestReceiptsReadingPublishes)
{
    TestSupport::TestServices services;
    std::promise<void> releaseA;
    std::shared_future<void> aMayEnd = releaseA.get_future().share();
    std::atomic<bool> aEnded{false};
    Receipts::Trace traceA;
    traceA.package.id = u"a.pkg"_s;
    Receipts::Trace traceB;
    traceB.package.id = u"b.pkg"_s;
    UninstallerViewModel::Seams seams;
    seams.receipts = [&, aMayEnd](const QString& application) -> QList<Receipts::Trace> {
        if (application.endsWith(u"A.app"_s)) {
            aMayEnd.wait();
            aEnded = true;
            return {traceA};
        }
        return {traceB};
    };
    UninstallerViewModel model(services.services, seams);
    model.loadTraces(app(u"A"_s, 1));
    EXPECT_TRUE(model.isReadingReceipts());
    model.loadTraces(app(u"B"_s, 1));
    ASSERT_TRUE(waitFor([&] { return !model.isReadingReceipts(); }));
    EXPECT_EQ(model.traces(), QList<Receipts::Trace>{traceB});
    releaseA.set_value();
    ASSERT_TRUE(waitFor([&] { return aEnded.load(); }));
    QTest::qWait(50);
    EXPECT_EQ(model.traces(), QList<Receipts::Trace>{traceB});
    EXPECT_FALSE(model.isReadingReceipts());
}

// Not running: no wait at all. Running: a quit request, the 1.2 s pause, then a look every 200 ms until it is
// gone; no file moves before that. Still open after 10 s: nothing moves and nothing is journaled.
TEST(UninstallerViewModel, waitsForARunningApplicationToQuitBeforeMovingAnything)
{
    struct Case {
        const char* what;
        qint64 quitsAt; // 0: not running; -1: never quits
        QList<int> sleeps;
        bool removed;
    };
    QList<int> late = {1200};
    for (int i = 0; i < 9; ++i)
        late.append(200);
    QList<int> refused = {1200};
    for (int i = 0; i < 44; ++i)
        refused.append(200);
    const QList<Case> cases = {
        {"not running", 0, {}, true},
        {"quits within the first wait", 1000, {1200}, true},
        {"quits late", 3000, late, true},
        {"refuses to quit", -1, refused, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestSupport::TestServices services;
        Installed installed;
        ScriptedMac mac(installed.ondine, c.quitsAt);
        std::atomic<bool> movedEarly{false};
        UninstallerViewModel model(services.services, mac.seams([&] {
            if (!TestSupport::exists(installed.ondine.url))
                movedEarly = true;
        }));
        model.setSelected(installed.ondine.id);
        QSignalSpy finished(&model, &UninstallerViewModel::uninstallFinished);

        model.uninstall(installed.ondine, true);
        ASSERT_TRUE(waitFor([&] { return finished.size() == 1; }));
        EXPECT_FALSE(movedEarly.load());
        EXPECT_EQ(mac.sleeps, c.sleeps);
        EXPECT_EQ(mac.applications->terminated().size(), c.quitsAt == 0 ? 0 : 1);
        EXPECT_EQ(TestSupport::exists(installed.ondine.url), !c.removed);
        EXPECT_EQ(TestSupport::exists(installed.tree.path(u"Support/io.ondine"_s)), !c.removed);
        EXPECT_EQ(uninstallerSessions(services.history).size(), c.removed ? 1 : 0);
        EXPECT_TRUE(services.inFlight.idle());
        if (c.removed) {
            EXPECT_FALSE(model.notice().has_value());
        } else {
            ASSERT_TRUE(model.notice().has_value());
            EXPECT_EQ(model.notice()->title, u"Désinstallation annulée"_s);
            EXPECT_EQ(model.notice()->message,
                      u"L'application ne s'est pas fermée : rien n'a été mis à la corbeille."_s);
            EXPECT_EQ(*model.selected(), installed.ondine.id);
        }
    }
}

// Without the associated files, only the bundle goes; the application leaves the list and the first one shown
// is selected. A bundle that cannot go keeps its application listed and selected, and the banner says why.
TEST(UninstallerViewModel, removesWhatWasConfirmedAndKeepsWhatCouldNotGo)
{
    TestSupport::TestServices services;
    Installed installed;
    ScriptedMac mac(installed.ondine, 0);
    const InstalledApp carnet = app(u"Carnet"_s, 10);
    UninstallerViewModel::Seams seams = mac.seams();
    seams.inventory = [&](const Progress&, std::stop_token) { return QList<InstalledApp>{installed.ondine, carnet}; };
    UninstallerViewModel model(services.services, seams);
    model.refresh();
    ASSERT_TRUE(waitFor([&] { return !model.isLoading(); }));
    QSignalSpy finished(&model, &UninstallerViewModel::uninstallFinished);

    services.exclusions.add(installed.ondine.url);
    model.uninstall(installed.ondine, true);
    ASSERT_TRUE(waitFor([&] { return finished.size() == 1; }));
    EXPECT_TRUE(TestSupport::exists(installed.ondine.url));
    EXPECT_FALSE(TestSupport::exists(installed.tree.path(u"Support/io.ondine"_s)));
    ASSERT_TRUE(model.notice().has_value());
    EXPECT_EQ(model.notice()->title, u"Désinstallation incomplète"_s);
    EXPECT_EQ(model.notice()->message, u"1 élément n'a pas pu être mis à la corbeille : Exclu par vos réglages."_s);
    ASSERT_TRUE(model.lastReport().has_value());
    EXPECT_EQ(model.lastReport()->failures.size(), 1);
    EXPECT_EQ(model.apps().size(), 2);
    EXPECT_EQ(*model.selected(), installed.ondine.id);
    // The associated files that went are journaled.
    EXPECT_EQ(uninstallerSessions(services.history).size(), 1);

    // Again without the associated files: the bundle goes, the rest stays, the banner leaves.
    services.exclusions.remove(installed.ondine.url);
    installed.tree.add(u"Support/io.ondine/db 3000\n"_s);
    model.uninstall(installed.ondine, false);
    ASSERT_TRUE(waitFor([&] { return finished.size() == 2; }));
    EXPECT_FALSE(TestSupport::exists(installed.ondine.url));
    EXPECT_TRUE(TestSupport::exists(installed.tree.path(u"Support/io.ondine/db"_s)));
    EXPECT_FALSE(model.notice().has_value());
    ASSERT_EQ(model.apps().size(), 1);
    EXPECT_EQ(*model.selected(), carnet.id);
    QList<qsizetype> files;
    for (const CleaningSession& session : uninstallerSessions(services.history))
        files.append(session.files.size());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (QList<qsizetype>{1, 2}));
}

// From the confirmation to the end the uninstall says what it does, the wait for a running application included,
// and once through it says what went where.
TEST(UninstallerViewModel, anUninstallSaysWhatItDoesUntilItEndsAndThatItSucceeded)
{
    TestSupport::TestServices services;
    Installed installed;
    ScriptedMac mac(installed.ondine, 1000);
    std::promise<void> go;
    std::shared_future<void> released = go.get_future().share();
    std::atomic<bool> waiting{false};
    UninstallerViewModel::Seams seams = mac.seams([&, released] {
        waiting = true;
        released.wait();
    });
    seams.inventory = [](const Progress&, std::stop_token) { return QList<InstalledApp>{}; };
    UninstallerViewModel model(services.services, seams);
    QSignalSpy finished(&model, &UninstallerViewModel::uninstallFinished);
    EXPECT_FALSE(model.uninstallStage(installed.ondine.id).has_value());
    model.uninstall(installed.ondine, true);
    EXPECT_TRUE(model.uninstallStage(installed.ondine.id).has_value()); // at once, before the job runs
    ASSERT_TRUE(waitFor([&] { return waiting.load(); }));
    ASSERT_TRUE(waitFor([&] { return model.uninstallStage(installed.ondine.id) == u"Fermeture de l'application…"_s; }));
    go.set_value();
    ASSERT_TRUE(waitFor([&] { return finished.size() == 1; }));
    EXPECT_FALSE(model.uninstallStage(installed.ondine.id).has_value());
    EXPECT_FALSE(model.notice().has_value());
    ASSERT_TRUE(model.done().has_value());
    EXPECT_EQ(model.done()->title, u"Désinstallation terminée"_s);
    EXPECT_EQ(model.done()->message,
              u"L'application «\u00A0Ondine\u00A0» et ses 2 fichiers associés ont été mis à la corbeille. "
              u"L'historique de nettoyage peut les remettre en place."_s);
    model.refresh();
    EXPECT_FALSE(model.done().has_value());
    EXPECT_EQ(
        Uninstaller::doneMessage(installed.ondine, false),
        u"L'application «\u00A0Ondine\u00A0» a été mise à la corbeille. L'historique de nettoyage peut la remettre en place."_s);
}

// The user leaves the screen while a running application is given time to quit: the uninstall still ends, is
// journaled, and holds its ticket until then.
TEST(UninstallerViewModel, anUninstallOutlivesItsModelAndIsJournaled)
{
    TestSupport::TestServices services;
    Installed installed;
    ScriptedMac mac(installed.ondine, 1000);
    std::promise<void> leave;
    std::shared_future<void> left = leave.get_future().share();
    std::atomic<bool> waiting{false};
    auto* model = new UninstallerViewModel(services.services, mac.seams([&, left] {
        waiting = true;
        left.wait();
    }));
    model->uninstall(installed.ondine, true);
    ASSERT_TRUE(waitFor([&] { return waiting.load(); }));
    EXPECT_FALSE(services.inFlight.idle());
    delete model;
    leave.set_value();
    ASSERT_TRUE(waitFor([&] { return services.inFlight.idle(); }));
    EXPECT_FALSE(TestSupport::exists(installed.ondine.url));
    const QList<CleaningSession> sessions = uninstallerSessions(services.history);
    ASSERT_EQ(sessions.size(), 1);
    EXPECT_EQ(sessions.first().files.size(), 3);
}

// A bundle removed by hand after the inventory: its associated files still go and the application leaves the list.
TEST(UninstallerViewModel, theDataOfABundleAlreadyGoneStillGoes)
{
    TestSupport::TestServices services;
    Installed installed;
    ScriptedMac mac(installed.ondine, 0);
    UninstallerViewModel::Seams seams = mac.seams();
    seams.inventory = [&](const Progress&, std::stop_token) { return QList<InstalledApp>{installed.ondine}; };
    UninstallerViewModel model(services.services, seams);
    model.refresh();
    ASSERT_TRUE(waitFor([&] { return !model.isLoading(); }));
    ASSERT_TRUE(QDir(installed.ondine.url).removeRecursively());
    QSignalSpy finished(&model, &UninstallerViewModel::uninstallFinished);

    model.uninstall(installed.ondine, true);
    ASSERT_TRUE(waitFor([&] { return finished.size() == 1; }));
    EXPECT_FALSE(TestSupport::exists(installed.tree.path(u"Support/io.ondine"_s)));
    EXPECT_FALSE(TestSupport::exists(installed.tree.path(u"Prefs/io.ondine.plist"_s)));
    EXPECT_FALSE(model.notice().has_value());
    EXPECT_TRUE(model.apps().isEmpty());
    EXPECT_FALSE(model.selected().has_value());
    const QList<CleaningSession> sessions = uninstallerSessions(services.history);
    ASSERT_EQ(sessions.size(), 1);
    EXPECT_EQ(sessions.first().files.size(), 2);
}
