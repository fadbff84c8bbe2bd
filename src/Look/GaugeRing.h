#pragma once

#include <QLinearGradient>
#include <QWidget>

#include <optional>

class QVariantAnimation;

// A ring gauge with content in its middle: a faint full track and, over it, an arc in `gradient` that starts at
// the top and grows clockwise to `fraction` of the circle. The ring fills the widget's frame; changes of
// `fraction` animate with an ease-out over 0.6 s.
class GaugeRing final : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal trackOpacity = 0.08;
    static constexpr int animationMilliseconds = 600;

    // How much of the circle the arc covers for a fraction: nothing at 0.001 or below (and for a fraction that
    // is not a number), at most the whole circle.
    static std::optional<double> arcFraction(double fraction);

    GaugeRing(double fraction, const QLinearGradient& gradient, qreal lineWidth, QWidget* content = nullptr,
              QWidget* parent = nullptr);
    ~GaugeRing() override;

    double fraction() const { return m_fraction; }
    // The fraction drawn now, which trails `fraction` while the change animates.
    double shownFraction() const { return m_shown; }
    QWidget* content() const { return m_content; }

    void setFraction(double fraction);
    void setGradient(const QLinearGradient& gradient);
    // Takes `content` as the widget centred in the ring, replacing any earlier one.
    void setContent(QWidget* content);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_fraction;
    double m_shown;
    QLinearGradient m_gradient;
    qreal m_lineWidth;
    QWidget* m_content = nullptr;
    QVariantAnimation* m_animation;
};
