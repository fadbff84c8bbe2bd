#pragma once

#include <QWidget>

class QVariantAnimation;

// An endless progress ring: a faint full track and, over it, an arc of 22 % of the circle in the accent
// gradient, turning once every 1.1 s, linearly, for as long as the spinner is shown. It keeps turning when the
// system asks for reduced motion: a still spinner would read as a stalled task.
class SpinnerRing final : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal arcFraction = 0.22;
    static constexpr int turnMilliseconds = 1100;
    static constexpr qreal trackOpacity = 0.08;

    explicit SpinnerRing(qreal lineWidth, QWidget* parent = nullptr);
    ~SpinnerRing() override;

    // The arc's rotation in degrees, clockwise from 3 o'clock; 0 until the spinner is first shown.
    qreal angle() const { return m_angle; }
    bool isTurning() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_lineWidth;
    qreal m_angle = 0;
    QVariantAnimation* m_animation;
};
