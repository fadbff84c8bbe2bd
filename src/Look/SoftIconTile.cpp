#include "Look/SoftIconTile.h"

#include "Look/Paint.h"

#include <cmath>

#include <QPainter>

SoftIconTile::SoftIconTile(const QString& symbol, const QColor& tint, qreal size, QWidget* parent)
    : QWidget(parent), m_symbol(symbol), m_tint(tint), m_size(size)
{
    Paint::requireSymbol(symbol);
    const int side = static_cast<int>(std::lround(size));
    setFixedSize(side, side);
}

void SoftIconTile::setTint(const QColor& tint)
{
    if (m_tint == tint)
        return;
    m_tint = tint;
    update();
}

void SoftIconTile::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF tile(QPointF(0, 0), QSizeF(m_size, m_size));
    painter.fillPath(Paint::continuousRoundedRect(tile, cornerRadius(m_size)), Paint::withOpacity(m_tint, washOpacity));
    Paint::drawSymbol(painter, m_symbol, tile.center(), symbolSize(m_size), m_tint);
}
