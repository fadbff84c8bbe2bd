#include "Look/EmptyArt.h"

#include "Look/Paint.h"

#include <cmath>

#include <QPainter>

EmptyArt::Metrics EmptyArt::metrics(qreal diameter)
{
    return {diameter, diameter * 0.78, diameter * 0.3};
}

EmptyArt::EmptyArt(const QString& symbol, const QColor& tint, qreal diameter, QWidget* parent)
    : QWidget(parent), m_symbol(symbol), m_tint(tint), m_diameter(diameter)
{
    Paint::requireSymbol(symbol);
    const int side = static_cast<int>(std::lround(diameter));
    setFixedSize(side, side);
}

void EmptyArt::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Metrics m = metrics(m_diameter);
    const QPointF centre = QRectF(rect()).center();
    painter.fillPath(Paint::centredCircle(centre, m.disc), Paint::withOpacity(m_tint, discOpacity));

    QPen pen(Paint::withOpacity(m_tint, ringOpacity), ringWidth, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    pen.setDashPattern({dash / ringWidth, gap / ringWidth}); // Qt counts dashes in line widths
    painter.strokePath(Paint::insetRoundedRect(Paint::centredSquare(centre, m.ring), m.ring / 2, ringWidth), pen);

    Paint::drawSymbol(painter, m_symbol, centre, m.symbolSize, m_tint);
}
