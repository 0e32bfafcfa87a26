#include "convert/PoleOfInaccessibility.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using Point = HatchLines::Point;

double DistanceToBoundary(const std::vector<Point>& ring, const Point& p) {
    double nearest = INFINITY;
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const Point& a = ring[j];
        const Point& b = ring[i];
        const double dx = b.x - a.x;
        const double dy = b.y - a.y;
        const double t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        nearest = std::min(nearest, std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy));
    }
    return nearest;
}

} // namespace

// The label's point is inside the area and as far from its edges as any: in a U, whose centroid
// lies in its notch, it is in an arm; far from the origin it keeps its centimetres; a boundary
// without an inside gives its first vertex.
TEST(PoleOfInaccessibility, TheFarthestPointInsideEvenWhereTheCentroidIsOutside) {
    const std::vector<Point> u = {{0.3, 0.3}, {9.3, 0.3}, {9.3, 9.3}, {6.3, 9.3},
                                  {6.3, 3.3}, {3.3, 3.3}, {3.3, 9.3}, {0.3, 9.3}};
    const Point pole = PoleOfInaccessibility(u, 0.01);
    EXPECT_FALSE(pole.x > 3.3 && pole.x < 6.3 && pole.y > 3.3) << "in the notch: " << pole.x << " " << pole.y;
    EXPECT_GE(DistanceToBoundary(u, pole), 1.5 - 0.01) << pole.x << " " << pole.y;

    std::vector<Point> far = {{0, 0}, {40, 0}, {40, 10}, {0, 10}};
    for (Point& p : far)
        p = {p.x + 2600000.0, p.y + 1200000.0};
    const Point middle = PoleOfInaccessibility(far, 0.001);
    EXPECT_NEAR(middle.y, 1200005.0, 0.002);
    EXPECT_GE(DistanceToBoundary(far, middle), 5 - 0.002);

    // A sliver a thousand times longer than wide is still searched within the bound.
    const Point sliver = PoleOfInaccessibility({{0, 0}, {1000, 0}, {1000, 1}, {0, 1}}, 0.01);
    EXPECT_NEAR(sliver.y, 0.5, 0.01);

    EXPECT_EQ(PoleOfInaccessibility({{7, 8}, {9, 9}}, 0.01).x, 7);
    EXPECT_EQ(PoleOfInaccessibility({{7, 8}, {9, 9}, {7, 8}}, 0.01).y, 8);
}
