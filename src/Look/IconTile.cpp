#include "Look/IconTile.h"

#include "Look/Paint.h"
#include "Look/Theme.h"

#include <cmath>

#include <QGraphicsEffect>
#include <QPainter>

namespace {

// Draws the tile's shadow around the widget, where the widget itself may not paint.
class TileShadow final : public QGraphicsEffect
{
public:
    TileShadow(const QColor& color, qreal size, QObject* parent)
        : QGraphicsEffect(parent), m_color(color), m_metrics(IconTile::metrics(size))
    {
    }

    QRectF boundingRectFor(const QRectF& rect) const override
    {
        const qreal reach = std::ceil(m_metrics.shadowRadius * 3) + 1;
        return rect.adjusted(-reach, -reach, reach, reach + m_metrics.shadowOffsetY);
    }

protected:
    void draw(QPainter* painter) override
    {
        const QRectF tile = sourceBoundingRect(Qt::LogicalCoordinates);
        Paint::drawShadow(*painter, Paint::continuousRoundedRect(tile, m_metrics.cornerRadius), m_color,
                          m_metrics.shadowRadius, QPointF(0, m_metrics.shadowOffsetY));
        drawSource(painter);
    }

private:
    QColor m_color;
    IconTile::Metrics m_metrics;
};

} // namespace

IconTile::Metrics IconTile::metrics(qreal size)
{
    return {size * 0.2237, size * 0.48, size * 0.16, size * 0.07};
}

QColor IconTile::shadowColor(const QColor& tint, bool elevated)
{
    return elevated ? Paint::withOpacity(tint, 0.34) : QColor(Qt::transparent);
}

IconTile::IconTile(const QString& symbol, const QColor& tint, qreal size, bool elevated, QWidget* parent)
    : QWidget(parent), m_symbol(symbol), m_tint(tint), m_size(size), m_elevated(elevated)
{
    Paint::requireSymbol(symbol);
    const int side = static_cast<int>(std::lround(size));
    setFixedSize(side, side);
    if (elevated)
        setGraphicsEffect(new TileShadow(shadowColor(tint, true), size, this));
}

void IconTile::paint(QPainter& painter, const QRectF& tile, const QString& symbol, const QColor& tint, bool elevated,
                     bool withShadow)
{
    const Metrics m = metrics(tile.width());
    const QPainterPath shape = Paint::continuousRoundedRect(tile, m.cornerRadius);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (withShadow)
        Paint::drawShadow(painter, shape, shadowColor(tint, elevated), m.shadowRadius, QPointF(0, m.shadowOffsetY));
    painter.fillPath(shape, Paint::placed(Theme::tintGradient(tint), tile));
    Paint::drawSymbol(painter, symbol, tile.center(), m.symbolSize, Qt::white);
    painter.restore();
}

void IconTile::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // The shadow comes from the graphics effect.
    paint(painter, QRectF(QPointF(0, 0), QSizeF(m_size, m_size)), m_symbol, m_tint, m_elevated, false);
}
