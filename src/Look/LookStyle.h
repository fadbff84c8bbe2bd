#pragma once

#include <QProxyStyle>

// The look's drawing of the platform's own controls, so that a combo box, a tab, a check box, a slider or a plain
// push button sits with the look's components instead of wearing the stock bevels: fills of the primary label
// colour at the quiet button's strengths on rounded shapes, the accent colour where something is chosen, the
// shared three-state box for check boxes, and the quiet button's paddings. Built on the Fusion style, whatever
// the desktop's own.
class LookStyle final : public QProxyStyle
{
    Q_OBJECT

public:
    static constexpr qreal controlRadius = 7;    // combo boxes and tabs
    static constexpr int controlHeight = 28;     // combo boxes and push buttons at the least
    static constexpr int sliderGroove = 4;       // the track's thickness
    static constexpr int sliderHandle = 18;      // the knob's diameter
    static constexpr qreal chosenOpacity = 0.16; // the accent wash of a chosen tab or segment

    LookStyle();

    // The style of the whole application; calling it again changes nothing. Needs the application object.
    static void install();

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
};
