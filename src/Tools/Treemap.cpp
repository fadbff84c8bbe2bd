#include "Tools/Treemap.h"

#include "Tools/SpaceNode.h"

#include <algorithm>
#include <limits>

namespace Treemap {

namespace {

// The worst aspect ratio of a row of areas for the side `side`, from the row's sum, largest and smallest area.
// Carrying the three along gives exactly what summing the row again would, as the sum grows in the same order.
double worst(double sum, double largest, double smallest, double side)
{
    if (!(sum > 0) || !(smallest > 0))
        return std::numeric_limits<double>::max();
    const double side2 = side * side;
    const double sum2 = sum * sum;
    return std::max(side2 * largest / sum2, sum2 / (side2 * smallest));
}

} // namespace

std::vector<Placement> place(std::span<const qint64> sizes, const QRectF& rect)
{
    std::vector<Placement> placed;
    std::vector<qsizetype> items;
    items.reserve(sizes.size());
    for (std::size_t k = 0; k < sizes.size(); ++k) {
        if (sizes[k] > 0)
            items.push_back(qsizetype(k));
    }
    if (items.empty() || !(rect.width() > 0) || !(rect.height() > 0))
        return placed;

    double total = 0;
    for (const qsizetype k : items)
        total += double(sizes[std::size_t(k)]);
    const double scale = rect.width() * rect.height() / total;
    std::vector<double> areas;
    areas.reserve(items.size());
    for (const qsizetype k : items)
        areas.push_back(double(sizes[std::size_t(k)]) * scale);

    placed.reserve(items.size());
    double x = rect.x(), y = rect.y(), w = rect.width(), h = rect.height();
    const std::size_t n = items.size();
    std::size_t i = 0;
    while (i < n) {
        const double side = std::min(w, h);
        if (!(side > 0.5))
            break;
        double sum = areas[i], largest = areas[i], smallest = areas[i];
        double rowWorst = worst(sum, largest, smallest, side);
        std::size_t j = i + 1;
        while (j < n) {
            const double candidateSum = sum + areas[j];
            const double candidateLargest = std::max(largest, areas[j]);
            const double candidateSmallest = std::min(smallest, areas[j]);
            const double candidateWorst = worst(candidateSum, candidateLargest, candidateSmallest, side);
            if (!(candidateWorst <= rowWorst))
                break; // worse, or not a number
            sum = candidateSum;
            largest = candidateLargest;
            smallest = candidateSmallest;
            rowWorst = candidateWorst;
            ++j;
        }
        const double thickness = sum / side;
        const bool column = w >= h;
        double offset = 0;
        for (std::size_t k = i; k < j; ++k) {
            const double length = thickness > 0 ? areas[k] / thickness : 0;
            const QRectF tile =
                column ? QRectF(x, y + offset, thickness, length) : QRectF(x + offset, y, length, thickness);
            placed.push_back(Placement{items[k], tile});
            offset += length;
        }
        if (column) {
            x += thickness;
            w -= thickness;
        } else {
            y += thickness;
            h -= thickness;
        }
        i = j;
    }
    return placed;
}

std::vector<Tile> layout(std::span<const SpaceNode* const> nodes, const QRectF& rect)
{
    std::vector<qint64> sizes;
    sizes.reserve(nodes.size());
    for (const SpaceNode* node : nodes)
        sizes.push_back(node ? node->size() : 0);
    std::vector<Tile> tiles;
    const std::vector<Placement> placed = place(sizes, rect);
    tiles.reserve(placed.size());
    for (const Placement& p : placed) {
        const SpaceNode* node = nodes[std::size_t(p.index)];
        tiles.push_back(Tile{node->id(), node, p.rect});
    }
    return tiles;
}

} // namespace Treemap
