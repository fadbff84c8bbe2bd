#pragma once

#include "Core/ModuleID.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringView>

#include <array>
#include <memory>
#include <optional>

namespace Platform {
class UserDefaults;
}

// The application's ten settings, kept in its user defaults under their own names. Each setter stores and
// writes a new value and emits changed(); setting the value already held does nothing at all. A stored
// value that is missing or of another kind reads as the setting's default.
//
// Lives on the GUI thread: the settings screen, the menu-bar item, the scan screen and the scheduler read
// and write it there.
class Preferences final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Preferences)

public:
    enum class Interval { daily, weekly, monthly };

    // Runs the earlier product's import first (once per process), then reads every setting from `defaults`.
    explicit Preferences(std::shared_ptr<Platform::UserDefaults> defaults, QObject* parent = nullptr);
    ~Preferences() override;

    bool showsMenuBarItem() const { return m_storedShowsMenuBarItem; }
    bool notifiesOnDiskPressure() const { return m_storedNotifiesOnDiskPressure; }
    double diskThreshold() const { return m_storedDiskThreshold; } // fraction of the startup disk in use
    bool notifiesAfterScheduledRun() const { return m_storedNotifiesAfterScheduledRun; }
    bool scheduleEnabled() const { return m_storedScheduleEnabled; }
    Interval scheduleInterval() const { return m_storedScheduleInterval; }
    ModuleID scheduleModule() const { return m_storedScheduleModule; }
    bool scheduleCleans() const { return m_storedScheduleCleans; } // clean the pre-selected items, not only scan
    std::optional<QDateTime> lastScheduledRun() const { return m_storedLastScheduledRun; }
    bool takesSnapshotBeforeCleaning() const { return m_storedTakesSnapshotBeforeCleaning; }

    void setShowsMenuBarItem(bool value);
    void setNotifiesOnDiskPressure(bool value);
    void setDiskThreshold(double value);
    void setNotifiesAfterScheduledRun(bool value);
    void setScheduleEnabled(bool value);
    void setScheduleInterval(Interval value);
    void setScheduleModule(ModuleID value);
    void setScheduleCleans(bool value);
    // None removes the stored key; an invalid date counts as none.
    void setLastScheduledRun(const std::optional<QDateTime>& value);
    void setTakesSnapshotBeforeCleaning(bool value);

    // When the next scheduled run is due: nothing while the schedule is off; `now` before the first run;
    // otherwise the last run plus one interval.
    std::optional<QDateTime> nextScheduledRun(const QDateTime& now = QDateTime::currentDateTimeUtc()) const;

signals:
    void changed();

private:
    template <class T> void assign(T& stored, const T& value, const QString& key);
    void write(const std::optional<QVariant>& value, const QString& key);

    std::shared_ptr<Platform::UserDefaults> m_defaults;
    bool m_storedShowsMenuBarItem = true;
    bool m_storedNotifiesOnDiskPressure = true;
    double m_storedDiskThreshold = 0.9;
    bool m_storedNotifiesAfterScheduledRun = true;
    bool m_storedScheduleEnabled = false;
    Interval m_storedScheduleInterval = Interval::weekly;
    ModuleID m_storedScheduleModule = ModuleID::systemJunk;
    bool m_storedScheduleCleans = false;
    std::optional<QDateTime> m_storedLastScheduledRun;
    bool m_storedTakesSnapshotBeforeCleaning = true;
};

// Every interval, in declaration order.
const std::array<Preferences::Interval, 3>& allIntervals();

// The stored text of an interval: its case name ("daily").
QString toRaw(Preferences::Interval interval);

// Exact, case-sensitive match on the case name.
template <> std::optional<Preferences::Interval> fromRaw<Preferences::Interval>(QStringView raw);

// The length of one period: a day, a week, or a month counted as 30 days.
qint64 seconds(Preferences::Interval interval);
