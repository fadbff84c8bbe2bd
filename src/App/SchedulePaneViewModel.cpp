#include "App/SchedulePaneViewModel.h"

#include "Core/Formatters.h"
#include "Platform/Workspace.h"
#include "Scan/Schedule/Scheduler.h"

#include <algorithm>

using namespace Qt::StringLiterals;

const std::array<ModuleID, 4>& SchedulePaneViewModel::offeredModules()
{
    static const std::array<ModuleID, 4> modules{ModuleID::smartScan, ModuleID::systemJunk, ModuleID::trashBins,
                                                 ModuleID::mailAttachments};
    return modules;
}

QString SchedulePaneViewModel::intervalTitle(Preferences::Interval interval)
{
    switch (interval) {
    case Preferences::Interval::daily:
        return u"Chaque jour"_s;
    case Preferences::Interval::weekly:
        return u"Chaque semaine"_s;
    case Preferences::Interval::monthly:
        return u"Chaque mois"_s;
    }
    return QString();
}

QString SchedulePaneViewModel::shortcutsApplication()
{
    return u"/System/Applications/Shortcuts.app"_s;
}

SchedulePaneViewModel::SchedulePaneViewModel(Preferences& preferences, Scheduler& scheduler,
                                             Platform::Workspace& workspace, QObject* parent)
    : QObject(parent), m_preferences(preferences), m_scheduler(scheduler), m_workspace(workspace)
{
    connect(&m_preferences, &Preferences::changed, this, &SchedulePaneViewModel::changed);
    connect(&m_scheduler, &Scheduler::changed, this, &SchedulePaneViewModel::changed);
}

bool SchedulePaneViewModel::scheduleEnabled() const
{
    return m_preferences.scheduleEnabled();
}

void SchedulePaneViewModel::setScheduleEnabled(bool on)
{
    const bool was = m_preferences.scheduleEnabled();
    m_preferences.setScheduleEnabled(on);
    if (on && !was && m_preferences.notifiesAfterScheduledRun())
        m_scheduler.requestNotificationAuthorizationIfNeeded();
}

QString SchedulePaneViewModel::nextRunDetail() const
{
    const std::optional<QDateTime> next = m_scheduler.nextRun();
    if (!next)
        return u"Aucune exécution prévue."_s;
    return u"Prochaine exécution : "_s + DateTimeFormatter::mediumDateShortTime().string(*next);
}

int SchedulePaneViewModel::intervalIndex() const
{
    const auto& intervals = allIntervals();
    const auto found = std::find(intervals.begin(), intervals.end(), m_preferences.scheduleInterval());
    return found == intervals.end() ? -1 : static_cast<int>(found - intervals.begin());
}

void SchedulePaneViewModel::chooseInterval(int index)
{
    const auto& intervals = allIntervals();
    if (index >= 0 && index < static_cast<int>(intervals.size()))
        m_preferences.setScheduleInterval(intervals[static_cast<std::size_t>(index)]);
}

int SchedulePaneViewModel::moduleIndex() const
{
    const auto& modules = offeredModules();
    const auto found = std::find(modules.begin(), modules.end(), m_preferences.scheduleModule());
    return found == modules.end() ? -1 : static_cast<int>(found - modules.begin());
}

QString SchedulePaneViewModel::moduleTitle() const
{
    return title(m_preferences.scheduleModule());
}

void SchedulePaneViewModel::chooseModule(int index)
{
    const auto& modules = offeredModules();
    if (index >= 0 && index < static_cast<int>(modules.size()))
        m_preferences.setScheduleModule(modules[static_cast<std::size_t>(index)]);
}

bool SchedulePaneViewModel::scheduleCleans() const
{
    return m_preferences.scheduleCleans();
}

void SchedulePaneViewModel::setScheduleCleans(bool on)
{
    m_preferences.setScheduleCleans(on);
}

bool SchedulePaneViewModel::notifiesAfterScheduledRun() const
{
    return m_preferences.notifiesAfterScheduledRun();
}

void SchedulePaneViewModel::setNotifiesAfterScheduledRun(bool on)
{
    m_preferences.setNotifiesAfterScheduledRun(on);
}

QString SchedulePaneViewModel::outcomeDetail() const
{
    return m_scheduler.lastOutcome().value_or(u"Aucune exécution planifiée depuis le lancement."_s);
}

QString SchedulePaneViewModel::runNowTitle() const
{
    return m_scheduler.isRunning() ? u"Exécution en cours…"_s : u"Exécuter maintenant"_s;
}

bool SchedulePaneViewModel::canRunNow() const
{
    return !m_scheduler.isRunning();
}

void SchedulePaneViewModel::runNow()
{
    m_scheduler.runScheduled();
}

void SchedulePaneViewModel::openShortcuts()
{
    m_workspace.openApplication(shortcutsApplication());
}
