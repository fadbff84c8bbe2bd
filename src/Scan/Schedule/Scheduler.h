#pragma once

#include "Core/BackgroundJob.h"
#include "Core/ModelServices.h"
#include "Core/ModuleID.h"
#include "Core/Removal.h"
#include "Core/ScanModel.h"
#include "Core/SystemInfo.h"
#include "Scanners/ModuleRegistry.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

class Preferences;

namespace Platform {
class Notifier;
}

// The program's own periodic work while it runs. Every period (five minutes) it checks how full the startup
// disk is and warns once per crossing of the user's threshold; then, when the schedule is on and a run is due,
// it scans the chosen module with a fresh scanner and either reports what could be freed or, when the user
// allowed it, moves to the Trash what the scan selected by itself and journals that cleaning. It notifies the
// user after a run, and holds the one flag that says whether notification permission was asked in this
// process (the settings panes ask through it too).
//
// Lives on the GUI thread. The scan and the removal run as background jobs; the GUI thread never waits for
// them. A cleaning holds a ticket of the services' WorkInFlight until it is journaled, so quitting waits for it.
// Emits changed() whenever isRunning() or lastOutcome() changes.
class Scheduler final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Scheduler)

public:
    using Clock = std::function<QDateTime()>;
    using DiskReader = std::function<SystemInfo::Disk()>;
    using Guard = std::function<bool()>;

    static constexpr std::chrono::milliseconds defaultPeriod{std::chrono::seconds(300)};

    // What the scheduler reaches of the machine; tests replace any of them.
    struct Seams {
        // The current date (UTC).
        Clock now;
        // The loop's sleep between two cycles.
        std::chrono::milliseconds period = defaultPeriod;
        // A fresh scanner for a module at each run, over the services' exclusions; nothing for a module that has
        // none yet.
        Modules::ScannerFactory scanners;
        // The startup volume, read afresh at each disk check.
        DiskReader disk;
        // Whether notifications may reach the desktop (isRunningAsAppBundle()).
        Guard runningAsAppBundle;

        // The machine's own: the system clock, makeScanner(), the volume of the system root's "/", and
        // isRunningAsAppBundle().
        static Seams standard();
    };

    // The services and the notifier outlive the scheduler. Unset seams take their standard value.
    Scheduler(const ModelServices& services, Platform::Notifier& notifier, Seams seams = Seams::standard(),
              QObject* parent = nullptr);
    ~Scheduler() override;

    // --- What the settings show
    // True from the start to the end of a scheduled run.
    bool isRunning() const { return m_running; }
    // The line that ended the last run of this process ("Fichiers système : 1,2 Go libérés."); nothing before.
    const std::optional<QString>& lastOutcome() const { return m_lastOutcome; }
    // The date of the last scheduled run (stored, survives a restart); nothing before the first.
    std::optional<QDateTime> lastRunDate() const;
    // When the next run is due: nothing while the schedule is off; see Preferences::nextScheduledRun.
    std::optional<QDateTime> nextRun() const;
    // The scheduler's clock, for texts that must agree with its due test.
    QDateTime now() const;
    Preferences& preferences() const;

    // --- The loop
    // Starts the loop once: the first cycle comes one period later, never at once. Later calls do nothing;
    // nothing stops the loop but the scheduler's end.
    void start();
    bool isStarted() const { return m_started; }
    std::chrono::milliseconds period() const { return m_seams.period; }
    // One cycle: the disk check, then the scheduled run when the schedule is on, a run is due and none is under
    // way. Returns at once; a run it starts goes on in the background.
    void tick();
    // Warns once when the startup disk's used share reaches the threshold; re-armed five points below it.
    void checkDiskPressure();
    bool diskWarningSent() const { return m_diskWarningSent; }

    // --- Run now
    // The scheduled run of the chosen module, whether the schedule is on or not ("Exécuter maintenant").
    // Does nothing while a run is under way. Returns at once; runFinished() follows the run's end.
    void runScheduled();

    // --- Notifications
    // Posts one notification, asking permission first if nobody has yet; nothing at all outside the installed
    // application bundle (a test, a build-tree run).
    void notify(const QString& identifier, const QString& title, const QString& body);
    // Whether notification permission was asked in this process (by the scheduler or a settings pane).
    bool notificationAuthorizationRequested() const { return m_authorizationRequested; }
    // Asks permission once per process, and only from the installed application bundle.
    void requestNotificationAuthorizationIfNeeded();
    // Whether notifications can reach the desktop at all (the general pane's banner).
    bool runningAsAppBundle() const;

signals:
    void changed();
    void runFinished();

private:
    void cycle();
    void scanned(ModuleID module, const QList<ScanGroup>& groups);
    void cleaned(ModuleID module, const Removal::Report& report, int toExamine, bool journaled);
    void finish(const QString& outcome);
    void finish();

    ModelServices m_services;
    Platform::Notifier& m_notifier;
    Seams m_seams;
    bool m_running = false;
    std::optional<QString> m_lastOutcome;
    bool m_started = false;
    bool m_rearmAfterRun = false;
    bool m_diskWarningSent = false;
    bool m_authorizationRequested = false;
    QTimer m_loop;
    Background::JobLine<Scheduler> m_jobs{this};
};
