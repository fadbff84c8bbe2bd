#include "App/GeneralPaneViewModel.h"

#include "Core/Preferences.h"
#include "Scan/Schedule/Scheduler.h"

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

GeneralPaneViewModel::GeneralPaneViewModel(Preferences& preferences, Scheduler& scheduler, QObject* parent)
    : QObject(parent), m_preferences(preferences), m_scheduler(scheduler)
{
    connect(&m_preferences, &Preferences::changed, this, &GeneralPaneViewModel::changed);
}

bool GeneralPaneViewModel::showsMenuBarItem() const
{
    return m_preferences.showsMenuBarItem();
}

bool GeneralPaneViewModel::takesSnapshotBeforeCleaning() const
{
    return m_preferences.takesSnapshotBeforeCleaning();
}

bool GeneralPaneViewModel::notifiesOnDiskPressure() const
{
    return m_preferences.notifiesOnDiskPressure();
}

void GeneralPaneViewModel::setShowsMenuBarItem(bool on)
{
    m_preferences.setShowsMenuBarItem(on);
}

void GeneralPaneViewModel::setTakesSnapshotBeforeCleaning(bool on)
{
    m_preferences.setTakesSnapshotBeforeCleaning(on);
}

void GeneralPaneViewModel::setNotifiesOnDiskPressure(bool on)
{
    const bool was = m_preferences.notifiesOnDiskPressure();
    m_preferences.setNotifiesOnDiskPressure(on);
    if (on && !was)
        m_scheduler.requestNotificationAuthorizationIfNeeded();
}

bool GeneralPaneViewModel::showsThresholdRow() const
{
    return m_preferences.notifiesOnDiskPressure();
}

QString GeneralPaneViewModel::thresholdDetail() const
{
    return u"À "_s + QString::number(thresholdPercent(m_preferences.diskThreshold())) + u" % de remplissage."_s;
}

int GeneralPaneViewModel::sliderValue() const
{
    return sliderPosition(m_preferences.diskThreshold());
}

void GeneralPaneViewModel::moveSlider(int hundredths)
{
    m_preferences.setDiskThreshold(std::clamp(hundredths, sliderMinimum, sliderMaximum) / 100.0);
}

bool GeneralPaneViewModel::showsUnavailableBanner() const
{
    return !m_scheduler.runningAsAppBundle();
}

int GeneralPaneViewModel::thresholdPercent(double threshold)
{
    if (std::isnan(threshold))
        return 0;
    // Held before the conversion: a double beyond int's range has no defined conversion.
    return static_cast<int>(std::trunc(std::clamp(threshold * 100, 0.0, 100.0)));
}

int GeneralPaneViewModel::sliderPosition(double threshold)
{
    if (std::isnan(threshold))
        return sliderMinimum;
    const double hundredths =
        std::clamp(threshold * 100, static_cast<double>(sliderMinimum), static_cast<double>(sliderMaximum));
    return static_cast<int>(std::lround(hundredths));
}
