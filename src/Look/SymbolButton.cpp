#include "Look/SymbolButton.h"

#include <cmath>

#include <QPainter>

SymbolButton::SymbolButton(const QString& symbol, qreal size, Paint::Ink ink, QWidget* parent)
    : QAbstractButton(parent), m_symbol(symbol), m_size(size), m_ink(ink)
{
    Paint::requireSymbol(symbol);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::TabFocus);
}

QSize SymbolButton::sizeHint() const
{
    // A little room around the glyph, so that the button is not a target of a few pixels.
    const int side = static_cast<int>(std::ceil(m_size)) + 6;
    return {side, side};
}

void SymbolButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const qreal opacity = isDown() ? 0.6 : 1.0;
    Paint::drawSymbol(painter, m_symbol, QRectF(rect()).center(), m_size, Paint::ink(this, m_ink, opacity));
}
