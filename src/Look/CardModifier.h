#pragma once

#include <QWidget>

class QVBoxLayout;

// The rounded card that screens put behind grouped content: the content padded by `padding` on every edge, on a
// continuous-corner rectangle of radius 14 filled with the primary label colour at 4 % and edged inside by a
// 1-point line of it at 7 %. Being the label colour at low opacity, it darkens a light window and lightens a
// dark one.
class CardModifier final : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal cornerRadius = 14;
    static constexpr qreal fillOpacity = 0.04;
    static constexpr qreal borderOpacity = 0.07;
    static constexpr qreal borderWidth = 1;

    explicit CardModifier(int padding, QWidget* parent = nullptr);

    int padding() const { return m_padding; }

    // Takes `content` as the card's one child, replacing any earlier one.
    void setContent(QWidget* content);
    QWidget* content() const { return m_content; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_padding;
    QVBoxLayout* m_layout;
    QWidget* m_content = nullptr;
};

// Wraps `content` in a card with that inner padding.
CardModifier* card(QWidget* content, int padding, QWidget* parent = nullptr);
