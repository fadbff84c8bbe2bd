#pragma once

#include "Look/Theme.h"

#include <QAbstractButton>
#include <QLinearGradient>
#include <QMargins>

#include <variant>

class QVariantAnimation;

// The prominent look: the title in white, 14 points semibold, padded 26 × 11, on a capsule of `gradient` at full
// opacity when `isEnabled`; otherwise the gradient's greys at 35 % under a title in the secondary label colour,
// which reads as unavailable rather than as a paler action. Shrunk to 0.97 while pressed. The look reads its own
// `isEnabled`, not the button's enabled state: a caller that wants the button inert disables it as well.
struct PrimaryButtonStyle {
    QLinearGradient gradient = Theme::accentGradient();
    bool isEnabled = true;

    static constexpr qreal disabledOpacity = 0.35;
    static constexpr qreal pressedScale = 0.97;
    static constexpr int pressMilliseconds = 120;
    static QMargins padding() { return {26, 11, 26, 11}; }
    static QFont font() { return Theme::systemFont(14, QFont::DemiBold); }
    qreal fillOpacity() const { return isEnabled ? 1.0 : disabledOpacity; }
    // `gradient` with each colour turned to its grey of the same lightness.
    static QLinearGradient greyed(const QLinearGradient& gradient);
};

// The discreet look: the title in the inherited text colour, 13 points medium, padded 14 × 7, on a capsule of
// the primary label colour at 7 %, 14 % while pressed.
struct QuietButtonStyle {
    static QMargins padding() { return {14, 7, 14, 7}; }
    static QFont font() { return Theme::systemFont(13, QFont::Medium); }
    static qreal fillOpacity(bool pressed) { return pressed ? 0.14 : 0.07; }
};

// A push button drawn in one of the two looks. Give each one an objectName; the screens' tests press them by it.
class StyledButton final : public QAbstractButton
{
    Q_OBJECT

public:
    using Style = std::variant<PrimaryButtonStyle, QuietButtonStyle>;

    StyledButton(const QString& title, const Style& style, QWidget* parent = nullptr);
    ~StyledButton() override;

    const Style& buttonStyle() const { return m_style; }
    void setButtonStyle(const Style& style);
    bool isPrimary() const { return std::holds_alternative<PrimaryButtonStyle>(m_style); }

    // The drawn scale: 1, or on its way to 0.97 while a primary button is held down.
    qreal pressScale() const { return m_scale; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The look drawn on `button`'s whole frame, for a button of another class that wears it (a dialog's push
    // buttons), and the size it takes for `title`.
    static void paintLook(QPainter& painter, const QWidget& button, const Style& style, const QString& title, bool down,
                          qreal scale = 1);
    static QSize sizeFor(const Style& style, const QString& title);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void animatePress(bool down);

    Style m_style;
    qreal m_scale = 1;
    QVariantAnimation* m_press;
};
