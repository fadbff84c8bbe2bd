#include "DemoMacApplication.h"

#include "App/AppState.h"
#include "App/HistoryWindow.h"
#include "Core/History.h"
#include "Look/ElidedLabel.h"
#include "Look/NoticeBanner.h"
#include "Look/StyledButton.h"
#include "MacFixtures.h"
#include "Performance/MaintenanceView.h"
#include "Performance/MaintenanceViewModel.h"
#include "Performance/OptimizationView.h"
#include "Performance/OptimizationViewModel.h"
#include "Performance/UpdaterView.h"
#include "Performance/UpdaterViewModel.h"
#include "Sandbox.h"
#include "Scan/History/HistoryView.h"
#include "Scan/History/HistoryViewModel.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"
#include "WaitFor.h"

#include <csignal>
#include <memory>
#include <vector>

#include <QAbstractButton>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using TestSupport::enabledButton;

// The screens that keep the Mac running well, over the demonstration Mac's tools and programs: maintenance,
// updates, optimisation and the diagnosis.

// "Maintenance" from the sidebar: ticked tasks run through the demonstration Mac's tools, one succeeding, one
// failing with the tool's own report; a second visit has a new model, where a dismissed prompt fails its task.
TEST_F(EndToEnd, maintenanceRunsTheTickedTasksThroughTheDemonstrationTools)
{
    CompositionRoot& app = startApplication(Look::qtDefault);
    MainWindow& window = showWindow({1120, 900});
    app.state().setSelection(ModuleID::maintenance);
    auto* view = qobject_cast<MaintenanceView*>(window.detail());
    ASSERT_NE(view, nullptr);
    MaintenanceViewModel& model = view->model();
    const auto tap = [&](const QString& id) {
        QWidget* row = view->findChild<QWidget*>(u"maintenanceRow_"_s + id);
        ASSERT_NE(row, nullptr);
        QTest::mouseClick(row, Qt::LeftButton);
    };

    const TestSupport::ScopedEnvironment failing{"QUORVANE_FAIL_TOOL", u"diskutil"_s};
    tap(u"permissions"_s);
    tap(u"spotlight"_s);
    QAbstractButton* run = enabledButton(window, u"maintenanceRunButton"_s);
    ASSERT_NE(run, nullptr);
    QTest::mouseClick(run, Qt::LeftButton);
    ASSERT_TRUE(TestSupport::waitFor([&] { return !model.running() && model.outcomes().size() == 2; }));
    EXPECT_EQ(model.outcomes().value(u"spotlight"_s), u"Terminé."_s);
    EXPECT_TRUE(model.failures().contains(u"permissions"_s));
    EXPECT_TRUE(model.outcomes().value(u"permissions"_s).startsWith(u"Error resetting permissions"_s));
    EXPECT_EQ(TestSupport::contentOf(demo.path(u"/private/var/log/mdutil.log"_s)), QByteArray("-E\x1f/\x1f\n"));
    EXPECT_TRUE(model.selected().isEmpty());

    app.state().setSelection(ModuleID::spaceMap);
    app.state().setSelection(ModuleID::maintenance);
    view = qobject_cast<MaintenanceView*>(window.detail());
    ASSERT_NE(view, nullptr);
    MaintenanceViewModel& fresh = view->model();
    EXPECT_TRUE(fresh.outcomes().isEmpty());
    const TestSupport::ScopedEnvironment dismissed{"QUORVANE_OSASCRIPT_CANCEL", u"1"_s};
    tap(u"fonts"_s);
    run = enabledButton(window, u"maintenanceRunButton"_s);
    ASSERT_NE(run, nullptr);
    QTest::mouseClick(run, Qt::LeftButton);
    ASSERT_TRUE(TestSupport::waitFor([&] { return fresh.outcomes().contains(u"fonts"_s); }));
    EXPECT_EQ(fresh.outcomes().value(u"fonts"_s), u"Annulé."_s);
    EXPECT_TRUE(fresh.failures().contains(u"fonts"_s));
}

// "Mises à jour" from the sidebar: a check lists the demonstration Mac's Homebrew casks, system updates and
// self-updating applications; one cask installs (its row leaves, Homebrew's state changes and a new check no
// longer lists it), the other's download fails and its row stays.
TEST_F(EndToEnd, theUpdatesScreenListsTheDemonstrationMacsUpdatesAndInstallsACask)
{
    CompositionRoot& app = startApplication();
    MainWindow& window = showWindow({1120, 900});
    app.state().setSelection(ModuleID::updater);
    auto* view = qobject_cast<UpdaterView*>(window.detail());
    ASSERT_NE(view, nullptr);
    UpdaterViewModel& model = view->model();
    EXPECT_TRUE(model.updates().empty()); // nothing runs until asked
    const auto names = [&] {
        QStringList list;
        for (const UpdaterService::Update& update : model.updates())
            list.append(update.name);
        return list;
    };
    const auto rowOf = [&](const QString& name) -> QWidget* {
        for (QWidget* row : view->findChildren<QWidget*>(u"updateRow"_s)) {
            auto* label = row->findChild<ElidedLabel*>(u"updateName"_s);
            if (row->isVisibleTo(view) && label && label->text() == name)
                return row;
        }
        return nullptr;
    };

    QSignalSpy checked(&model, &UpdaterViewModel::checkFinished);
    QAbstractButton* checkNow = enabledButton(window, u"checkNowButton"_s);
    ASSERT_NE(checkNow, nullptr);
    QTest::mouseClick(checkNow, Qt::LeftButton);
    ASSERT_TRUE(checked.wait(TestSupport::waitBound));
    EXPECT_EQ(names(),
              (QStringList{u"atelier-photo"_s, u"ondine"_s, u"macOS Sonoma 14.7.2"_s, u"Safari"_s,
                           u"Command Line Tools for Xcode"_s, u"Atelier Photo"_s, u"Carnet"_s, u"Lumen Sync"_s}));
    QStringList captions;
    for (QLabel* caption : view->findChildren<QLabel*>(u"updatesCaption"_s))
        captions.append(caption->text());
    EXPECT_EQ(captions,
              (QStringList{u"Installables depuis ici"_s, u"À mettre à jour dans l'app ou les Réglages Système"_s}));

    QSignalSpy applied(&model, &UpdaterViewModel::applyFinished);
    for (const QString& cask : {u"ondine"_s, u"atelier-photo"_s}) {
        QWidget* row = rowOf(cask);
        ASSERT_NE(row, nullptr) << cask.toStdString();
        QTest::mouseClick(enabledButton(*row, u"installButton"_s), Qt::LeftButton);
        ASSERT_TRUE(applied.wait(TestSupport::waitBound)) << cask.toStdString();
    }
    EXPECT_EQ(rowOf(u"ondine"_s), nullptr);
    ASSERT_NE(rowOf(u"atelier-photo"_s), nullptr); // its download failed
    EXPECT_NE(enabledButton(*rowOf(u"atelier-photo"_s), u"installButton"_s), nullptr);
    // and its row says why in French, with brew's own words in its tooltip
    auto* failure = rowOf(u"atelier-photo"_s)->findChild<ElidedLabel*>(u"installFailure"_s);
    ASSERT_NE(failure, nullptr);
    EXPECT_TRUE(failure->isVisibleTo(view));
    EXPECT_EQ(failure->text(), u"Le téléchargement a échoué."_s);
    EXPECT_TRUE(failure->toolTip().contains(u"Download failed on Cask 'atelier-photo'"_s))
        << failure->toolTip().toStdString();
    EXPECT_TRUE(TestSupport::contentOf(demo.path(u"/Applications/Ondine.app/Contents/Info.plist"_s))
                    .contains("<string>5.1.0</string>"));

    QAbstractButton* check = enabledButton(window, u"checkButton"_s);
    ASSERT_NE(check, nullptr);
    QTest::mouseClick(check, Qt::LeftButton);
    ASSERT_TRUE(checked.wait(TestSupport::waitBound));
    EXPECT_FALSE(names().contains(u"ondine"_s));
    EXPECT_TRUE(names().contains(u"atelier-photo"_s));
}

namespace {

// Programs of the demonstration Mac started by a test, ended by their own ids when it is done.
class StartedPrograms final
{
public:
    StartedPrograms() = default;
    StartedPrograms(const StartedPrograms&) = delete;
    StartedPrograms& operator=(const StartedPrograms&) = delete;
    ~StartedPrograms()
    {
        for (auto& process : m_processes) {
            process->kill();
            process->waitForFinished(TestSupport::waitBound);
        }
    }

    QProcess& start(const QString& program)
    {
        auto& process = m_processes.emplace_back(std::make_unique<QProcess>());
        process->start(program, {u"120"_s});
        EXPECT_TRUE(process->waitForStarted(TestSupport::waitBound)) << program.toStdString();
        return *process;
    }

private:
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

// A second demonstration Mac beside the test's, with its applications running as real processes (the same
// names, the same bundle identifiers): what a user's copy of the program leaves running while the tests run.
class AnotherMacsApplications final
{
public:
    AnotherMacsApplications()
    {
        TestSupport::layOutDemoMac(m_root);
        QProcess script;
        script.start(u"bash"_s, {QStringLiteral(QP_SOURCE_DIR "/scripts/start-demo-apps.sh"), m_root});
        EXPECT_TRUE(script.waitForFinished(TestSupport::waitBound));
        EXPECT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
        for (const QByteArray& line : script.readAllStandardOutput().split('\n')) {
            bool read = false;
            const int pid = line.toInt(&read);
            if (read && pid > 0)
                m_pids.push_back(pid);
        }
        EXPECT_FALSE(m_pids.empty());
    }
    AnotherMacsApplications(const AnotherMacsApplications&) = delete;
    AnotherMacsApplications& operator=(const AnotherMacsApplications&) = delete;
    ~AnotherMacsApplications()
    {
        for (const int pid : m_pids)
            ::kill(pid, SIGKILL);
    }

private:
    const QString m_root = TestSupport::temporary() + u"/another-mac"_s;
    std::vector<int> m_pids;
};

QWidget* launchRowFor(QWidget& window, const QString& url)
{
    for (QWidget* row : window.findChildren<QWidget*>(u"launchItemRow"_s)) {
        if (row->isVisibleTo(&window) && row->property("itemURL").toString() == url)
            return row;
    }
    return nullptr;
}

QStringList heavyNames(const OptimizationViewModel& model)
{
    QStringList names;
    for (const OptimizationService::HeavyApp& app : model.heavyApps())
        names << app.name;
    return names;
}

} // namespace

// "Optimisation" on the demonstration Mac: the applications started here and its startup items are listed;
// "Désactiver" puts an agent's list in that Mac's Trash as a journaled cleaning that the history window puts
// back; "Quitter" ends an application, gone after "Actualiser"; "Diagnostiquer" shows its banners.
TEST_F(EndToEnd, optimizationListsDisablesQuitsAndDiagnosesOnTheDemonstrationMac)
{
    // Started first, another Mac's applications come first in the process list.
    const AnotherMacsApplications another;
    const QString shown = demo.path(u"/Applications/Démonstration/"_s);
    StartedPrograms started;
    QProcess& boussole = started.start(shown + u"Boussole.app/Contents/MacOS/Boussole"_s);
    started.start(shown + u"Calepin.app/Contents/MacOS/Calepin"_s);
    started.start(shown + u"Fanfare.app/Contents/MacOS/Fanfare"_s);
    started.start(shown + u"Fanfare.app/Contents/MacOS/Fanfare"_s);
    // That Mac's tools tell of the processes as they run: launchd's job for Boussole's program has its pid.
    const auto toolOutput = [&](const QString& tool, const QStringList& arguments) {
        QProcess process;
        process.start(demo.path(tool), arguments);
        EXPECT_TRUE(process.waitForFinished(TestSupport::waitBound));
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    const QString pid = QString::number(boussole.processId());
    EXPECT_TRUE(toolOutput(u"/bin/launchctl"_s, {u"list"_s}).contains(pid + u"\t0\tfr.boussole.synchro\n"_s));
    EXPECT_TRUE(toolOutput(u"/bin/ps"_s, {u"-axo"_s, u"pid=,pcpu=,rss=,comm="_s})
                    .contains(QRegularExpression(u"(^|\n) *"_s + pid + u" +[0-9]+\\.[0-9] +[0-9]+ "_s +
                                                 QRegularExpression::escape(shown) +
                                                 u"Boussole.app/Contents/MacOS/Boussole\n"_s)));
    const TestSupport::ScopedEnvironment forced{"QUORVANE_DIAGNOSIS", u"serious"_s};
    CompositionRoot& app = startApplication();
    MainWindow& window = showWindow({1120, 900});
    app.state().setSelection(ModuleID::optimization);
    auto* view = qobject_cast<OptimizationView*>(window.detail());
    ASSERT_NE(view, nullptr);
    OptimizationViewModel& model = view->model();
    ASSERT_TRUE(TestSupport::waitFor([&] { return !model.isLoading() && heavyNames(model).contains(u"Boussole"_s); }));

    // Every list of the three folders that reads, once, and the running menu-bar application.
    QStringList labels;
    for (const OptimizationService::LaunchItem& item : model.launchItems())
        labels << item.label;
    for (const QString& label :
         {u"fr.boussole.synchro"_s, u"fr.aquarelle.assistant"_s, u"fr.girouette.meteo"_s, u"fr.metronome.rappel"_s,
          u"fr.lanterne.veilleuse"_s, u"fr.palette.service"_s, u"com.searchmine.helper"_s, u"Calepin éclair"_s})
        EXPECT_EQ(labels.count(label), 1) << label.toStdString();
    EXPECT_FALSE(labels.contains(u"fr.kiosque.alerte"_s));
    EXPECT_FALSE(labels.contains(u"fr.casse"_s));
    EXPECT_FALSE(labels.contains(u"dossier"_s));
    EXPECT_EQ(heavyNames(model).count(u"Fanfare"_s), 1);

    // "Désactiver": to that Mac's Trash, journaled, and put back from the history window.
    const QString agent = demo.path(u"/Users/demo/Library/LaunchAgents/fr.boussole.synchro.plist"_s);
    QWidget* row = launchRowFor(window, agent);
    ASSERT_NE(row, nullptr);
    QTest::mouseClick(row->findChild<QAbstractButton*>(u"disableButton"_s), Qt::LeftButton);
    ASSERT_TRUE(TestSupport::waitFor([&] { return launchRowFor(window, agent) == nullptr; }));
    EXPECT_FALSE(TestSupport::exists(agent));
    EXPECT_TRUE(TestSupport::exists(demo.path(u"/Users/demo/.Trash/fr.boussole.synchro.plist"_s)));
    app.services().history.waitUntilIdle();
    ASSERT_FALSE(app.services().history.sessions().isEmpty());
    const CleaningSession session = app.services().history.sessions().first();
    EXPECT_EQ(session.moduleID, u"optimization"_s);
    app.window().historyAction()->trigger();
    auto* history = app.historyWindow()->findChild<HistoryView*>();
    ASSERT_NE(history, nullptr);
    ASSERT_NE(history->card(session.id), nullptr);
    history->card(session.id)->restoreButton()->click();
    ASSERT_TRUE(TestSupport::waitFor([&] { return !history->model().isRestoring(session.id); }));
    app.services().history.waitUntilIdle();
    EXPECT_TRUE(TestSupport::exists(agent));

    // "Quitter": the application ends, and the next refresh no longer lists it.
    QWidget* boussoleRow = nullptr;
    for (QWidget* candidate : window.findChildren<QWidget*>(u"heavyAppRow"_s)) {
        if (candidate->isVisibleTo(&window) &&
            candidate->findChild<ElidedLabel*>(u"heavyAppName"_s)->text() == u"Boussole"_s)
            boussoleRow = candidate;
    }
    ASSERT_NE(boussoleRow, nullptr);
    QTest::mouseClick(boussoleRow->findChild<QAbstractButton*>(u"quitButton"_s), Qt::LeftButton);
    ASSERT_TRUE(boussole.waitForFinished(TestSupport::waitBound));
    EXPECT_EQ(boussole.exitStatus(), QProcess::CrashExit) << "ended by its signal";
    QTest::mouseClick(enabledButton(window, u"refreshButton"_s), Qt::LeftButton);
    ASSERT_TRUE(TestSupport::waitFor([&] { return !model.isLoading() && !heavyNames(model).contains(u"Boussole"_s); }));

    // "Diagnostiquer", every probe forced serious but Spotlight's, which has one level.
    QTest::mouseClick(enabledButton(window, u"diagnoseButton"_s), Qt::LeftButton);
    ASSERT_TRUE(TestSupport::waitFor([&] { return model.hasDiagnosed(); }));
    QStringList ids;
    QList<NoticeBanner::Kind> kinds;
    for (NoticeBanner* banner : window.findChildren<NoticeBanner*>(u"findingBanner"_s)) {
        if (!banner->isVisibleTo(&window))
            continue;
        ids << banner->property("findingID").toString();
        kinds << banner->kind();
    }
    EXPECT_EQ(ids, (QStringList{u"swap"_s, u"thermal"_s, u"respawn"_s, u"spotlight"_s}));
    EXPECT_EQ(kinds, (QList<NoticeBanner::Kind>{NoticeBanner::Kind::warning, NoticeBanner::Kind::warning,
                                                NoticeBanner::Kind::warning, NoticeBanner::Kind::info}));
}

// Startup items read as on the Mac: a program under the system root shows its Mac location, not this machine's
// folder of the demonstration Mac; one under the home keeps its "~".
TEST_F(EndToEnd, startupItemsShowTheirMacPaths)
{
    CompositionRoot& app = startApplication();
    MainWindow& window = showWindow({1120, 900});
    app.state().setSelection(ModuleID::optimization);
    const QString daemon = demo.path(u"/Library/LaunchAgents/com.tempometeo.agent.plist"_s);
    ASSERT_TRUE(TestSupport::waitFor([&] { return launchRowFor(window, daemon) != nullptr; }));

    const auto* program = launchRowFor(window, daemon)->findChild<ElidedLabel*>(u"launchItemProgram"_s);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(program->text(), u"/Library/Application Support/Tempo Meteo/tempod"_s);
    const auto* helper =
        launchRowFor(window, demo.path(u"/Users/demo/Library/LaunchAgents/com.searchmine.helper.plist"_s));
    ASSERT_NE(helper, nullptr);
    EXPECT_EQ(helper->findChild<ElidedLabel*>(u"launchItemProgram"_s)->text(),
              u"~/Library/Application Support/SearchMine/helper"_s);
    for (const ElidedLabel* shown : window.findChildren<ElidedLabel*>(u"launchItemProgram"_s))
        EXPECT_FALSE(shown->text().contains(demo.root)) << shown->text().toStdString();
}

namespace {

QString diagnoseOn(const QString& demo, const QString& forced)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"XCTestConfigurationFilePath"_s);
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    environment.insert(u"QUORVANE_ROOT"_s, demo);
    environment.insert(u"HOME"_s, demo + u"/Users/demo"_s);
    environment.insert(u"TMPDIR"_s, demo + u"/private/var/folders/qp/T"_s);
    environment.insert(u"QUORVANE_DIAGNOSIS"_s, forced);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QP_APPLICATION), {u"--action"_s, u"diagnose"_s});
    EXPECT_TRUE(process.waitForFinished(TestSupport::waitBound));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

// The command line's diagnosis runs the probes of the demonstration Mac's tools: nothing to say when they
// read normal (and no wait, with no service running), every finding, serious first, when they read serious.
TEST_F(EndToEnd, theCommandLineDiagnosisSpeaksTheDemonstrationMacsFindings)
{
    EXPECT_EQ(diagnoseOn(demo.root, u"normal"_s), u"Rien d'anormal détecté.\n\n"_s);

    const QStringList lines = diagnoseOn(demo.root, u"serious"_s).split(u'\n');
    ASSERT_EQ(lines.size(), 6) << lines.join(u'|').toStdString();
    EXPECT_EQ(lines[0], lines[1]) << "the dialog is the first finding";
    EXPECT_TRUE(lines[1].startsWith(u"La mémoire vive ne suffit pas — "_s)) << lines[1].toStdString();
    EXPECT_EQ(lines[2], u"Le processeur est bridé par la chaleur — Vitesse limitée à 55 % de la puissance nominale."_s);
    EXPECT_TRUE(lines[3].startsWith(u"3 services redémarrent en boucle — io.ondine.player.helper, "_s))
        << lines[3].toStdString();
    EXPECT_TRUE(lines[3].endsWith(u" — identifiant de processus renouvelé en 8 secondes."_s));
    EXPECT_EQ(lines[4],
              u"L'indexation Spotlight est désactivée — mdutil signale «\u00A0Indexing disabled\u00A0» sur le volume "
              u"de démarrage."_s);
}
