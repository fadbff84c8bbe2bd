#pragma once

#include <QWidget>

class QVariantAnimation;

// The disclosure chevron of a collapsible section: "chevron.right" at 10 points in the tertiary label colour,
// pointing right while collapsed and down while expanded. A change while on screen turns it over 0.18 s with
// an ease-out; a change off screen shows at once.
class DisclosureChevron final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int turnMilliseconds = 180;

    explicit DisclosureChevron(bool expanded = false, QWidget* parent = nullptr);
    ~DisclosureChevron() override;

    bool isExpanded() const { return m_expanded; }
    void setExpanded(bool expanded);
    // The rotation drawn now, in degrees clockwise: 0 pointing right, 90 pointing down.
    qreal angle() const { return m_angle; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_expanded;
    qreal m_angle;
    QVariantAnimation* m_turn;
};
