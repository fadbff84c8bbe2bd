#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class ElidedLabel;
class TextLabel;

// The module screen during a scan: a spinner with the percentage in its middle (objectName "scanPercent"),
// "Analyse en cours", the status line (objectName "scanStatus") and the stop button (objectName
// "cancelButton"), which runs `cancel`. The screen shows new progress in place with setProgress().
class ScanningState final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int spinnerSide = 190;
    static constexpr int statusWidth = 460;

    // The whole percent, truncated toward zero, then " %": 0.29 reads "28 %" (0.29 × 100 is just below 29). A
    // fraction outside 0…1, or not a number, reads as the nearest end.
    static QString percentText(double progress);
    // The status as shown: one space for none, so that the line keeps its height.
    static QString statusText(const QString& status);

    ScanningState(double progress, const QString& status, std::function<void()> cancel, QWidget* parent = nullptr);

    void setProgress(double progress, const QString& status);

private:
    TextLabel* m_percent;
    ElidedLabel* m_status;
};
