#pragma once

#include <QPainterPath>
#include <QRectF>

// The four-pointed star with inward-curving sides that the halo scatters around its tile. Always square and
// centred in the rectangle it is drawn in, whatever the rectangle's aspect.
struct Sparkle {
    static QPainterPath path(const QRectF& rect);
};
