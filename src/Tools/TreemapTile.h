#pragma once

#include "Tools/Treemap.h"

#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;
class SpaceNode;

// One tile of the disk map: a rounded block in its colour, a one-point margin inside its rectangle, a brighter
// border while the pointer is over it, its name and size when there is room, and a tooltip.
namespace TreemapTile {

constexpr qreal cornerRadius = 4;
constexpr qreal labelPadding = 6;

// Where the block is drawn: its rectangle less one point on every side, at least 1 × 1.
QRectF frame(const QRectF& rect);
// The name and size show only on a rectangle wider than 62 and higher than 30 points.
bool showsLabel(const QRectF& rect);
// "name — size".
QString tooltip(const SpaceNode& node);

void paint(QPainter& painter, const Treemap::Tile& tile, bool isHovered, const QColor& color);

} // namespace TreemapTile
