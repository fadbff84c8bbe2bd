#pragma once

#include <QRectF>

#include <span>
#include <vector>

class SpaceNode;

// The squarified treemap: nodes packed in rows along the shorter side of the room left, a row growing while
// the next node does not make its worst aspect ratio worse. Pure functions, callable from any thread.
namespace Treemap {

struct Tile {
    quint64 id = 0; // the node's own id
    const SpaceNode* node = nullptr;
    QRectF rect; // in the given rectangle's coordinates, top-left origin, never rounded
};

// One rectangle per kept size: `index` into the sizes given.
struct Placement {
    qsizetype index = 0;
    QRectF rect;
    friend bool operator==(const Placement&, const Placement&) = default;
};

// Rectangles with areas proportional to `sizes`, in input order (no sorting), for the sizes above 0. Nothing
// for an empty rectangle. A shorter side of 0.5 or less ends the layout: the items left get no rectangle.
std::vector<Placement> place(std::span<const qint64> sizes, const QRectF& rect);

// The same for nodes, by their sizes.
std::vector<Tile> layout(std::span<const SpaceNode* const> nodes, const QRectF& rect);

} // namespace Treemap
