#include "App/GeneralPaneModel.h"

#include "Core/Preferences.h"
#include "Scan/Scheduler.h"

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

GeneralPaneModel::GeneralPaneModel(Preferences& preferences, Scheduler& scheduler, QObject* parent)
    : QObject(parent), m_preferences(preferences), m_scheduler(scheduler)
{
    connect(&m_preferences, &Preferences::changed, this, &GeneralPaneModel::changed);
}

bool GeneralPaneModel::showsMenuBarItem() const
{
    return m_preferences.showsMenuBarItem();
}

bool GeneralPaneModel::takesSnapshotBeforeCleaning() const
{
    return m_preferences.takesSnapshotBeforeCleaning();
}

bool GeneralPaneModel::notifiesOnDiskPressure() const
{
    return m_preferences.notifiesOnDiskPressure();
}

void GeneralPaneModel::setShowsMenuBarItem(bool on)
{
    m_preferences.setShowsMenuBarItem(on);
}

void GeneralPaneModel::setTakesSnapshotBeforeCleaning(bool on)
{
    m_preferences.setTakesSnapshotBeforeCleaning(on);
}

void GeneralPaneModel::setNotifiesOnDiskPressure(bool on)
{
    const bool was = m_preferences.notifiesOnDiskPressure();
    m_preferences.setNotifiesOnDiskPressure(on);
    if (on && !was)
        m_scheduler.requestNotificationAuthorizationIfNeeded();
}

bool GeneralPaneModel::showsThresholdRow() const
{
    return m_preferences.notifiesOnDiskPressure();
}

QString GeneralPaneModel::thresholdDetail() const
{
    return u"À "_s + QString::number(thresholdPercent(m_preferences.diskThreshold())) + u" % de remplissage."_s;
}

int GeneralPaneModel::sliderValue() const
{
    return sliderPosition(m_preferences.diskThreshold());
}

void GeneralPaneModel::moveSlider(int hundredths)
{
    m_preferences.setDiskThreshold(std::clamp(hundredths, sliderMinimum, sliderMaximum) / 100.0);
}

bool GeneralPaneModel::showsUnavailableBanner() const
{
    return !m_scheduler.runningAsAppBundle();
}

int GeneralPaneModel::thresholdPercent(double threshold)
{
    if (std::isnan(threshold))
        return 0;
    // Held before the conversion: a double beyond int's range has no defined conversion.
    return static_cast<int>(std::trunc(std::clamp(threshold * 100, 0.0, 100.0)));
}

int GeneralPaneModel::sliderPosition(double threshold)
{
    if (std::isnan(threshold))
        return sliderMinimum;
    const double hundredths =
        std::clamp(threshold * 100, static_cast<double>(sliderMinimum), static_cast<double>(sliderMaximum));
    return static_cast<int>(std::lround(hundredths));
}
