#include "Look/Sparkle.h"

#include <algorithm>

QPainterPath Sparkle::path(const QRectF& rect)
{
    const QPointF c = rect.center();
    const qreal r = std::min(rect.width(), rect.height()) / 2;
    const qreal k = r * 0.3;
    QPainterPath star;
    star.moveTo(c.x(), c.y() - r);
    star.quadTo(c.x() + k, c.y() - k, c.x() + r, c.y());
    star.quadTo(c.x() + k, c.y() + k, c.x(), c.y() + r);
    star.quadTo(c.x() - k, c.y() + k, c.x() - r, c.y());
    star.quadTo(c.x() - k, c.y() - k, c.x(), c.y() - r);
    star.closeSubpath();
    return star;
}
