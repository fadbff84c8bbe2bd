#include "Look/TriStateBox.h"

#include "Look/Paint.h"
#include "Platform/Symbols.h"

#include <QPainter>

TriStateBox::Appearance TriStateBox::appearance(std::optional<bool> state)
{
    if (!state)
        return {true, true, Mark::bar};
    if (*state)
        return {true, true, Mark::check};
    return {false, false, Mark::none};
}

TriStateBox::TriStateBox(std::optional<bool> state, const QColor& tint, QWidget* parent)
    : QWidget(parent), m_state(state), m_tint(tint)
{
    setFixedSize(side, side);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TriStateBox::setState(std::optional<bool> state)
{
    if (m_state == state)
        return;
    m_state = state;
    update();
}

void TriStateBox::setTint(const QColor& tint)
{
    if (m_tint == tint)
        return;
    m_tint = tint;
    update();
}

void TriStateBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintBox(painter, *this, QRectF(0, 0, side, side), m_state, m_tint);
}

void TriStateBox::paintBox(QPainter& painter, const QWidget& on, const QRectF& box, std::optional<bool> state,
                           const QColor& tint)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const Appearance look = appearance(state);
    if (look.filled)
        painter.fillPath(Paint::continuousRoundedRect(box, cornerRadius), tint);
    const QColor edge = look.tintedEdge ? tint : Paint::ink(&on, Paint::Ink::primary, uncheckedEdgeOpacity);
    painter.strokePath(Paint::insetRoundedRect(box, cornerRadius, edgeWidth), QPen(edge, edgeWidth));
    switch (look.mark) {
    case Mark::check:
        Paint::drawSymbol(painter, sfSymbol(u"checkmark"), box.center(), checkSize, Qt::white);
        break;
    case Mark::bar: {
        const QRectF bar(box.center() - QPointF(barSize.width(), barSize.height()) / 2, barSize);
        painter.fillPath(Paint::continuousRoundedRect(bar, barRadius), Qt::white);
        break;
    }
    case Mark::none:
        break;
    }
    painter.restore();
}
