#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

class ElidedLabel;
class GaugeRing;

// The module screen during a cleaning: a gauge in the module's tint filling with `progress` around a trash
// tile (objectName "cleaningGauge"), "Suppression…" and the status line (objectName "cleaningStatus"). It has
// no control: a cleaning cannot be stopped from the screen. New progress is shown in place with setProgress().
class CleaningState final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int gaugeSide = 170;

    CleaningState(double progress, const QString& status, const QColor& tint, QWidget* parent = nullptr);

    void setProgress(double progress, const QString& status);

private:
    GaugeRing* m_gauge;
    ElidedLabel* m_status;
};
