#pragma once

#include "Core/SystemSnapshot.h"

#include <QString>
#include <QWidget>

// The sidebar's footer: how full the startup disk is, as a percentage, a gauge and the free and total
// sizes.
class DiskFooter final : public QWidget
{
    Q_OBJECT

public:
    struct Figures {
        double fraction = 0; // used / total, 0 when the size is unknown
        int percent = 0;     // truncated toward zero
        bool nearlyFull = false;
        QString percentText; // "87 %"
        QString sizesText;   // "12,5 Go disponibles sur 500 Go"
    };

    static Figures figures(const SystemSnapshot& snapshot);
    // The gauge's filled width: at least a 4-point sliver.
    static qreal barWidth(qreal available, double fraction);

    explicit DiskFooter(QWidget* parent = nullptr);
    void setSnapshot(const SystemSnapshot& snapshot);
    const Figures& shown() const { return m_figures; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Figures m_figures;
};
