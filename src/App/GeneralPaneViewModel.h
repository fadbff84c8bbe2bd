#pragma once

#include <QObject>
#include <QString>

class Preferences;
class Scheduler;

// What the general settings pane shows and writes: the menu-bar item, the snapshot before each cleaning, the
// disk-fill warning with its threshold, and whether notifications can be delivered at all. Every setter writes the
// preference at once; changed() follows every change of the preferences, whoever made it. GUI thread only.
class GeneralPaneViewModel final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GeneralPaneViewModel)

public:
    // The threshold slider moves in hundredths of the disk, from 60 to 98.
    static constexpr int sliderMinimum = 60;
    static constexpr int sliderMaximum = 98;

    // Permission to notify is asked through the scheduler, which holds the one request of the process.
    GeneralPaneViewModel(Preferences& preferences, Scheduler& scheduler, QObject* parent = nullptr);

    bool showsMenuBarItem() const;
    bool takesSnapshotBeforeCleaning() const;
    bool notifiesOnDiskPressure() const;
    void setShowsMenuBarItem(bool on);
    void setTakesSnapshotBeforeCleaning(bool on);
    // Turning the warning on asks for permission to notify, once per process, where notifications can be delivered.
    void setNotifiesOnDiskPressure(bool on);

    // The threshold row shows only while the warning is on.
    bool showsThresholdRow() const;
    // "À 85 % de remplissage."
    QString thresholdDetail() const;
    // Where the slider stands: the stored threshold in whole hundredths, at the nearer end when outside the range.
    int sliderValue() const;
    // The user moved the slider: stores `hundredths` (held to the range) as the threshold.
    void moveSlider(int hundredths);

    // Whether the "Notifications indisponibles" banner shows: when this run cannot deliver notifications.
    bool showsUnavailableBanner() const;

    // The percentage a threshold is shown as: truncated toward zero (0.6599999999999999 shows 65), held to 0…100,
    // and 0 for a value that is not a number, so that a stored value out of any range is never converted blindly.
    static int thresholdPercent(double threshold);
    // The slider position for a threshold: the nearest hundredth held to the slider's range; its low end for a
    // value that is not a number.
    static int sliderPosition(double threshold);

signals:
    void changed();

private:
    Preferences& m_preferences;
    Scheduler& m_scheduler;
};
