#pragma once

#include "Core/ModuleID.h"
#include "Core/Preferences.h"

#include <QObject>
#include <QString>

#include <array>

class Scheduler;

namespace Platform {
class Workspace;
}

// What the schedule settings pane shows and does: the periodic run's switch with its next date, its interval and
// module, whether it cleans and notifies, the last run's outcome, the run on demand and the way to the Shortcuts
// app. Every setter writes the preference at once; changed() follows every change of the preferences and of the
// scheduler (a run starting or ending). GUI thread only.
class SchedulePaneViewModel final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SchedulePaneViewModel)

public:
    // The modules a schedule may run: those that only take what grows back.
    static const std::array<ModuleID, 4>& offeredModules();
    // "Chaque jour", "Chaque semaine", "Chaque mois".
    static QString intervalTitle(Preferences::Interval interval);
    // Where the Shortcuts app lives on a Mac.
    static QString shortcutsApplication();

    SchedulePaneViewModel(Preferences& preferences, Scheduler& scheduler, Platform::Workspace& workspace,
                          QObject* parent = nullptr);

    bool scheduleEnabled() const;
    // Turning the schedule on asks for permission to notify, once per process, when results are to be notified.
    void setScheduleEnabled(bool on);
    // "Prochaine exécution : 10 déc. 2026, 05:14", or "Aucune exécution prévue." while the schedule is off;
    // worked out afresh at each call.
    QString nextRunDetail() const;

    // The interval picker's entry, in declaration order.
    int intervalIndex() const;
    void chooseInterval(int index);
    // The module picker's entry among the offered modules; -1 (no entry chosen) for a stored module it does not
    // offer, which the scheduler still runs.
    int moduleIndex() const;
    // The title of the module the scheduler runs, offered or not.
    QString moduleTitle() const;
    void chooseModule(int index);

    bool scheduleCleans() const;
    void setScheduleCleans(bool on);
    bool notifiesAfterScheduledRun() const;
    void setNotifiesAfterScheduledRun(bool on);
    // The last run's outcome in this process, or "Aucune exécution planifiée depuis le lancement.".
    QString outcomeDetail() const;

    // "Exécution en cours…" and off while a run is under way, else "Exécuter maintenant".
    QString runNowTitle() const;
    bool canRunNow() const;
    // The scheduled run of the chosen module, whether the schedule is on or not; nothing while one is under way.
    void runNow();

    void openShortcuts();

signals:
    void changed();

private:
    Preferences& m_preferences;
    Scheduler& m_scheduler;
    Platform::Workspace& m_workspace;
};
