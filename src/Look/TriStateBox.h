#pragma once

#include <QColor>
#include <QRectF>
#include <QWidget>

#include <optional>

class QPainter;

// The shared three-state check box, 16 × 16: filled with the tint and a white check mark when checked, filled
// with the tint and a short white bar when mixed (no state), an empty outline of the primary label colour at
// 28 % when unchecked. It handles no click: mouse events pass through to the widget under it, so a caller's
// button or row reacts anywhere on the square.
class TriStateBox final : public QWidget
{
    Q_OBJECT

public:
    enum class Mark { none, check, bar };
    struct Appearance {
        bool filled;     // with the tint; otherwise clear
        bool tintedEdge; // the tint; otherwise the primary label colour at 28 %
        Mark mark;
    };
    static Appearance appearance(std::optional<bool> state);

    static constexpr int side = 16;
    static constexpr qreal cornerRadius = 4.5;
    static constexpr qreal edgeWidth = 1.4;
    static constexpr qreal checkSize = 9.5;
    static constexpr qreal uncheckedEdgeOpacity = 0.28;
    static constexpr QSizeF barSize{8, 2};
    static constexpr qreal barRadius = 1;

    TriStateBox(std::optional<bool> state, const QColor& tint, QWidget* parent = nullptr);

    std::optional<bool> state() const { return m_state; }
    QColor tint() const { return m_tint; }
    void setState(std::optional<bool> state);
    void setTint(const QColor& tint);

    // The box drawn in `box` (a square of `side`) for a widget of another class that wears it: a plain check box.
    static void paintBox(QPainter& painter, const QWidget& on, const QRectF& box, std::optional<bool> state,
                         const QColor& tint);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<bool> m_state;
    QColor m_tint;
};
