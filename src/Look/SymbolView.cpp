#include "Look/SymbolView.h"

#include "Look/Paint.h"

#include <cmath>

#include <QPainter>

SymbolView::SymbolView(const QString& symbol, qreal size, const QColor& color, QWidget* parent)
    : QWidget(parent), m_symbol(symbol), m_size(size), m_color(color)
{
    Paint::requireSymbol(symbol);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolView::setSymbol(const QString& symbol)
{
    if (m_symbol == symbol)
        return;
    Paint::requireSymbol(symbol);
    m_symbol = symbol;
    update();
}

void SymbolView::setColor(const QColor& color)
{
    if (m_color == color)
        return;
    m_color = color;
    update();
}

QSize SymbolView::sizeHint() const
{
    const int side = static_cast<int>(std::ceil(m_size));
    return {side, side};
}

void SymbolView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Paint::drawSymbol(painter, m_symbol, QRectF(rect()).center(), m_size,
                      m_color.isValid() ? m_color : Paint::ink(this));
}
