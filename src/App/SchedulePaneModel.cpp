#include "App/SchedulePaneModel.h"

#include "Core/Formatters.h"
#include "Platform/Workspace.h"
#include "Scan/Scheduler.h"

#include <algorithm>

using namespace Qt::StringLiterals;

const std::array<ModuleID, 4>& SchedulePaneModel::offeredModules()
{
    static const std::array<ModuleID, 4> modules{ModuleID::smartScan, ModuleID::systemJunk, ModuleID::trashBins,
                                                 ModuleID::mailAttachments};
    return modules;
}

QString SchedulePaneModel::intervalTitle(Preferences::Interval interval)
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

QString SchedulePaneModel::shortcutsApplication()
{
    return u"/System/Applications/Shortcuts.app"_s;
}

SchedulePaneModel::SchedulePaneModel(Preferences& preferences, Scheduler& scheduler, Platform::Workspace& workspace,
                                     QObject* parent)
    : QObject(parent), m_preferences(preferences), m_scheduler(scheduler), m_workspace(workspace)
{
    connect(&m_preferences, &Preferences::changed, this, &SchedulePaneModel::changed);
    connect(&m_scheduler, &Scheduler::changed, this, &SchedulePaneModel::changed);
}

bool SchedulePaneModel::scheduleEnabled() const
{
    return m_preferences.scheduleEnabled();
}

void SchedulePaneModel::setScheduleEnabled(bool on)
{
    const bool was = m_preferences.scheduleEnabled();
    m_preferences.setScheduleEnabled(on);
    if (on && !was && m_preferences.notifiesAfterScheduledRun())
        m_scheduler.requestNotificationAuthorizationIfNeeded();
}

QString SchedulePaneModel::nextRunDetail() const
{
    const std::optional<QDateTime> next = m_scheduler.nextRun();
    if (!next)
        return u"Aucune exécution prévue."_s;
    return u"Prochaine exécution : "_s + DateTimeFormatter::mediumDateShortTime().string(*next);
}

int SchedulePaneModel::intervalIndex() const
{
    const auto& intervals = allIntervals();
    const auto found = std::find(intervals.begin(), intervals.end(), m_preferences.scheduleInterval());
    return found == intervals.end() ? -1 : static_cast<int>(found - intervals.begin());
}

void SchedulePaneModel::chooseInterval(int index)
{
    const auto& intervals = allIntervals();
    if (index >= 0 && index < static_cast<int>(intervals.size()))
        m_preferences.setScheduleInterval(intervals[static_cast<std::size_t>(index)]);
}

int SchedulePaneModel::moduleIndex() const
{
    const auto& modules = offeredModules();
    const auto found = std::find(modules.begin(), modules.end(), m_preferences.scheduleModule());
    return found == modules.end() ? -1 : static_cast<int>(found - modules.begin());
}

void SchedulePaneModel::chooseModule(int index)
{
    const auto& modules = offeredModules();
    if (index >= 0 && index < static_cast<int>(modules.size()))
        m_preferences.setScheduleModule(modules[static_cast<std::size_t>(index)]);
}

bool SchedulePaneModel::scheduleCleans() const
{
    return m_preferences.scheduleCleans();
}

void SchedulePaneModel::setScheduleCleans(bool on)
{
    m_preferences.setScheduleCleans(on);
}

bool SchedulePaneModel::notifiesAfterScheduledRun() const
{
    return m_preferences.notifiesAfterScheduledRun();
}

void SchedulePaneModel::setNotifiesAfterScheduledRun(bool on)
{
    m_preferences.setNotifiesAfterScheduledRun(on);
}

QString SchedulePaneModel::outcomeDetail() const
{
    return m_scheduler.lastOutcome().value_or(u"Aucune exécution planifiée depuis le lancement."_s);
}

QString SchedulePaneModel::runNowTitle() const
{
    return m_scheduler.isRunning() ? u"Exécution en cours…"_s : u"Exécuter maintenant"_s;
}

bool SchedulePaneModel::canRunNow() const
{
    return !m_scheduler.isRunning();
}

void SchedulePaneModel::runNow()
{
    m_scheduler.runScheduled();
}

void SchedulePaneModel::openShortcuts()
{
    m_workspace.openApplication(shortcutsApplication());
}
