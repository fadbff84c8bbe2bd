#include "Tools/Treemap.h"

#include "QtPrinters.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>
#include <random>

#include <gtest/gtest.h>

using Treemap::Placement;

namespace Treemap {
void PrintTo(const Placement& p, std::ostream* out)
{
    *out << "#" << p.index << " (" << p.rect.x() << ", " << p.rect.y() << ", " << p.rect.width() << " x "
         << p.rect.height() << ")";
}
} // namespace Treemap

namespace {

struct LayoutCase {
    const char* what;
    std::vector<qint64> sizes;
    QRectF rect;
    std::vector<Placement> expected;
};

// The layout as first written, every worst ratio summed again from the row's areas: the carried sums must give
// the very same rectangles, bit for bit.
std::vector<Placement> reference(const std::vector<qint64>& sizes, const QRectF& rect)
{
    std::vector<qsizetype> items;
    for (std::size_t k = 0; k < sizes.size(); ++k) {
        if (sizes[k] > 0)
            items.push_back(qsizetype(k));
    }
    std::vector<Placement> out;
    if (items.empty() || !(rect.width() > 0) || !(rect.height() > 0))
        return out;
    double total = 0;
    for (auto k : items)
        total += double(sizes[std::size_t(k)]);
    const double scale = rect.width() * rect.height() / total;
    std::vector<double> a;
    for (auto k : items)
        a.push_back(double(sizes[std::size_t(k)]) * scale);
    auto worst = [](const std::vector<double>& row, double s) {
        double sum = 0, largest = row[0], smallest = row[0];
        for (double v : row) {
            sum += v;
            largest = std::max(largest, v);
            smallest = std::min(smallest, v);
        }
        if (!(sum > 0) || !(smallest > 0))
            return std::numeric_limits<double>::max();
        return std::max(s * s * largest / (sum * sum), (sum * sum) / (s * s * smallest));
    };
    QRectF r = rect;
    std::size_t i = 0;
    while (i < a.size()) {
        const double s = std::min(r.width(), r.height());
        if (!(s > 0.5))
            break;
        std::vector<double> row{a[i]};
        std::size_t j = i + 1;
        while (j < a.size()) {
            std::vector<double> candidate = row;
            candidate.push_back(a[j]);
            if (worst(candidate, s) <= worst(row, s)) {
                row = candidate;
                ++j;
            } else {
                break;
            }
        }
        double rowSum = 0;
        for (double v : row)
            rowSum += v;
        const double t = rowSum / s;
        const double w = r.width(), h = r.height();
        double offset = 0;
        for (std::size_t k = i; k < j; ++k) {
            const double length = t > 0 ? a[k] / t : 0;
            out.push_back({items[k], w >= h ? QRectF(r.x(), r.y() + offset, t, length)
                                            : QRectF(r.x() + offset, r.y(), length, t)});
            offset += length;
        }
        r = w >= h ? QRectF(r.x() + t, r.y(), w - t, h) : QRectF(r.x(), r.y() + t, w, h - t);
        i = j;
    }
    return out;
}

} // namespace

TEST(Treemap, laysOutTheEdgeCasesExactly)
{
    const double thin = 1000000 * (100.0 * 100 / 1000001); // the big node's area
    const LayoutCase cases[] = {
        {"no nodes", {}, QRectF(0, 0, 200, 100), {}},
        {"only empty nodes", {0, 0}, QRectF(0, 0, 200, 100), {}},
        {"no width", {5}, QRectF(0, 0, 0, 100), {}},
        {"no height", {5}, QRectF(0, 0, 100, 0), {}},
        {"negative width", {5}, QRectF(0, 0, -10, 100), {}},
        {"one node fills the rectangle", {7}, QRectF(0, 0, 200, 100), {{0, QRectF(0, 0, 200, 100)}}},
        {"two equal nodes side by side",
         {5, 5},
         QRectF(0, 0, 200, 100),
         {{0, QRectF(0, 0, 100, 100)}, {1, QRectF(100, 0, 100, 100)}}},
        {"a tie joins the row",
         {5, 5},
         QRectF(0, 0, 100, 100),
         {{0, QRectF(0, 0, 100, 50)}, {1, QRectF(0, 50, 100, 50)}}},
        {"a tall rectangle fills rows from the top",
         {5, 5},
         QRectF(0, 0, 100, 200),
         {{0, QRectF(0, 0, 100, 100)}, {1, QRectF(0, 100, 100, 100)}}},
        {"empty nodes take no room and keep their index out",
         {0, 5, 0, 5},
         QRectF(0, 0, 200, 100),
         {{1, QRectF(0, 0, 100, 100)}, {3, QRectF(100, 0, 100, 100)}}},
        {"a side of 0.5 gives nothing", {5}, QRectF(0, 0, 0.5, 100), {}},
        {"a side of 0.6 is enough", {5}, QRectF(0, 0, 0.6, 100), {{0, QRectF(0, 0, 0.6, 100)}}},
        {"the origin is kept", {5}, QRectF(10, 20, 30, 40), {{0, QRectF(10, 20, 30, 40)}}},
        {"a remainder thinner than 0.5 stops the layout",
         {1000000, 1},
         QRectF(0, 0, 100, 100),
         {{0, QRectF(0, 0, thin / 100, thin / (thin / 100))}}},
    };
    for (const LayoutCase& c : cases) {
        const std::vector<Placement> placed = Treemap::place(c.sizes, c.rect);
        EXPECT_EQ(placed, c.expected) << c.what;
        EXPECT_EQ(placed, reference(c.sizes, c.rect)) << c.what;
    }
}

// Long rows, mixed and equal sizes: the carried sums lay out what summing every row again lays out, the tiles
// stay inside the rectangle and cover it where the layout did not stop early.
TEST(Treemap, carriedRowSumsGiveTheReferenceRectangles)
{
    std::mt19937_64 random(25);
    std::vector<std::vector<qint64>> inputs;
    std::vector<qint64> mixed;
    for (int i = 0; i < 500; ++i)
        mixed.push_back(qint64(std::pow(2.0, std::uniform_real_distribution<double>(0, 30)(random))));
    std::sort(mixed.rbegin(), mixed.rend());
    inputs.push_back(mixed);
    inputs.push_back(std::vector<qint64>(400, 4096));
    inputs.push_back({9, 7, 7, 5, 0, 3, 3, 3, 2, 1, 1});
    for (const auto& sizes : inputs) {
        const QRectF rect(0, 0, 913.5, 377.25);
        const std::vector<Placement> placed = Treemap::place(sizes, rect);
        EXPECT_EQ(placed, reference(sizes, rect));
        for (const Placement& p : placed) {
            EXPECT_GE(p.rect.left(), rect.left() - 1e-9);
            EXPECT_LE(p.rect.right(), rect.right() + 1e-9);
            EXPECT_GE(p.rect.top(), rect.top() - 1e-9);
            EXPECT_LE(p.rect.bottom(), rect.bottom() + 1e-9);
        }
    }
    const std::vector<qint64> few{9, 7, 7, 5, 3, 3, 3, 2, 1, 1};
    double area = 0;
    for (const Placement& p : Treemap::place(few, QRectF(0, 0, 300, 200)))
        area += p.rect.width() * p.rect.height();
    EXPECT_NEAR(area, 300.0 * 200.0, 1e-6);
}
