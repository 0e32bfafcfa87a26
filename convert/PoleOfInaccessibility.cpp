#include "convert/PoleOfInaccessibility.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>

namespace {

using Point = HatchLines::Point;

// Cells looked at for one area at most: the search ends with the best found by then, so that
// an area of thousands of vertices costs a bounded time.
constexpr int kMostCells = 4096;

double SegmentDistanceSquared(const Point& p, const Point& a, const Point& b) {
    double x = a.x;
    double y = a.y;
    const double dx = b.x - x;
    const double dy = b.y - y;
    if (dx != 0 || dy != 0) {
        const double t = ((p.x - x) * dx + (p.y - y) * dy) / (dx * dx + dy * dy);
        if (t > 1) {
            x = b.x;
            y = b.y;
        } else if (t > 0) {
            x += dx * t;
            y += dy * t;
        }
    }
    return (p.x - x) * (p.x - x) + (p.y - y) * (p.y - y);
}

// The distance from the point to the boundary, negative outside.
double SignedDistance(const Point& p, const std::vector<Point>& ring) {
    bool inside = false;
    double nearest = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const Point& a = ring[i];
        const Point& b = ring[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
        nearest = std::min(nearest, SegmentDistanceSquared(p, a, b));
    }
    return (inside ? 1 : -1) * std::sqrt(nearest);
}

struct Cell {
    Point centre;
    double half;     // half its side
    double distance; // of its centre to the boundary
    [[nodiscard]] double Reach() const {
        return distance + half * std::sqrt(2.0);
    } // the farthest it could hold
};

Cell MakeCell(const Point& centre, double half, const std::vector<Point>& ring) {
    return {centre, half, SignedDistance(centre, ring)};
}

} // namespace

HatchLines::Point PoleOfInaccessibility(const std::vector<Point>& boundary, double precision) {
    if (boundary.empty())
        return {0, 0};
    // Survey coordinates of millions lose their centimetres in the squares: the search is made
    // from the first vertex.
    const Point origin = boundary.front();
    std::vector<Point> ring;
    ring.reserve(boundary.size());
    Point low = {0, 0};
    Point high = {0, 0};
    Point lowest = origin;
    Point highest = origin;
    for (const Point& p : boundary) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return origin;
        ring.push_back({p.x - origin.x, p.y - origin.y});
        low = {std::min(low.x, ring.back().x), std::min(low.y, ring.back().y)};
        high = {std::max(high.x, ring.back().x), std::max(high.y, ring.back().y)};
        lowest = {std::min(lowest.x, p.x), std::min(lowest.y, p.y)};
        highest = {std::max(highest.x, p.x), std::max(highest.y, p.y)};
    }
    // Cells as wide as the area is narrow, but no more than 64 along it: a sliver is searched in
    // a bounded number of cells too.
    const double longer = std::max(high.x - low.x, high.y - low.y);
    const double side = std::max(std::min(high.x - low.x, high.y - low.y), longer / 64);
    // No inside, or a box beyond the largest number (vertices near +-1e308), which no cell divides.
    if (ring.size() < 3 || !(std::min(high.x - low.x, high.y - low.y) > 0) || !std::isfinite(longer))
        return origin;
    const auto farther = [](const Cell& a, const Cell& b) { return a.Reach() < b.Reach(); };
    std::priority_queue<Cell, std::vector<Cell>, decltype(farther)> cells(farther);
    const double half = side / 2;
    const auto columns = static_cast<int>(std::ceil((high.x - low.x) / side));
    const auto rows = static_cast<int>(std::ceil((high.y - low.y) / side));
    for (int column = 0; column < columns; ++column)
        for (int row = 0; row < rows; ++row)
            cells.push(MakeCell({low.x + column * side + half, low.y + row * side + half}, half, ring));
    Cell best = MakeCell({(low.x + high.x) / 2, (low.y + high.y) / 2}, 0, ring);
    for (int looked = 0; !cells.empty() && looked < kMostCells; ++looked) {
        const Cell cell = cells.top();
        cells.pop();
        if (cell.distance > best.distance)
            best = cell;
        if (cell.Reach() - best.distance <= precision)
            continue;
        const double quarter = cell.half / 2;
        for (const double dx : {-quarter, quarter})
            for (const double dy : {-quarter, quarter})
                cells.push(MakeCell({cell.centre.x + dx, cell.centre.y + dy}, quarter, ring));
    }
    if (!(best.distance > 0)) // no inside: the boundary runs along itself
        return origin;
    // Within the boundary's box, as a point inside is, also where the distances of a box near the
    // largest numbers lost their digits: what the drawing's extents count on.
    return {std::clamp(origin.x + best.centre.x, lowest.x, highest.x),
            std::clamp(origin.y + best.centre.y, lowest.y, highest.y)};
}
