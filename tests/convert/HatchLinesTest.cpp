#include "convert/HatchLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

using Point = HatchLines::Point;
using Ring = std::vector<Point>;

// Whether the point is inside the ring by the even-odd rule, counted apart from the code under
// test: a ray to the right crosses the boundary an odd number of times.
bool Inside(const Ring& ring, const Point& p) {
    bool inside = false;
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const Point& a = ring[i];
        const Point& b = ring[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y))
            inside = !inside;
    }
    return inside;
}

// Whether the point is on the boundary, give or take rounding.
bool OnBoundary(const Ring& ring, const Point& p) {
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const Point& a = ring[j];
        const Point& b = ring[i];
        const double cross = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
        if (std::abs(cross) <= 1e-9 * std::hypot(b.x - a.x, b.y - a.y) && std::min(a.x, b.x) <= p.x + 1e-9 &&
            p.x <= std::max(a.x, b.x) + 1e-9 && std::min(a.y, b.y) <= p.y + 1e-9 &&
            p.y <= std::max(a.y, b.y) + 1e-9)
            return true;
    }
    return false;
}

double Length(const HatchLines::Segment& s) {
    return std::hypot(s.to.x - s.from.x, s.to.y - s.from.y);
}

Ring Moved(Ring ring, double dx, double dy) {
    for (Point& p : ring)
        p = {p.x + dx, p.y + dy};
    return ring;
}

} // namespace

// Every piece of every hatch lies inside its area (a line of the pattern that falls on an edge
// may run along it), at each of the angles the survey's styles use, and together the pieces
// cover it: their length is the area over the spacing.
TEST(HatchLines, EveryPieceLiesInsideItsAreaAndTogetherTheyCoverIt) {
    struct Shape {
        const char* name;
        Ring ring;
        double area; // by the even-odd rule
    };
    const Shape shapes[] = {
        {"square", {{0.25, 0.25}, {10.25, 0.25}, {10.25, 10.25}, {0.25, 10.25}}, 100},
        {"U (concave)",
         {{0.3, 0.3}, {9.3, 0.3}, {9.3, 9.3}, {6.3, 9.3}, {6.3, 3.3}, {3.3, 3.3}, {3.3, 9.3}, {0.3, 9.3}},
         63},
        // A bow tie crosses itself at its middle; both halves are inside.
        {"bow tie", {{0.1, 0.1}, {10.1, 10.1}, {10.1, 0.1}, {0.1, 10.1}}, 50},
        // A square with a square hole, joined by a bridge the boundary runs along twice.
        {"touching itself (a hole)",
         {{0.2, 0.2},
          {10.2, 0.2},
          {10.2, 10.2},
          {0.2, 10.2},
          {0.2, 0.2},
          {3.2, 3.2},
          {3.2, 7.2},
          {7.2, 7.2},
          {7.2, 3.2},
          {3.2, 3.2}},
         84},
        // Survey coordinates of millions, clockwise.
        {"far from the origin, clockwise",
         Moved({{0.25, 0.25}, {0.25, 20.25}, {5.25, 20.25}, {5.25, 0.25}}, 2600000, 1200000), 100},
    };
    for (const Shape& shape : shapes)
        for (const double degrees : {0.0, 90.0, 45.0, 135.0}) {
            SCOPED_TRACE(std::string(shape.name) + " at " + std::to_string(degrees));
            HatchLines hatch(0.05, 100000);
            std::vector<HatchLines::Segment> pieces;
            ASSERT_TRUE(hatch.Cut(shape.ring, degrees, pieces));
            double length = 0;
            for (const HatchLines::Segment& s : pieces) {
                length += Length(s);
                for (const double t : {0.001, 0.5, 0.999}) {
                    const Point at = {s.from.x + t * (s.to.x - s.from.x), s.from.y + t * (s.to.y - s.from.y)};
                    ASSERT_TRUE(Inside(shape.ring, at) || OnBoundary(shape.ring, at)) << at.x << " " << at.y;
                }
            }
            EXPECT_NEAR(length * 0.05, shape.area, shape.area * 0.02);
        }
}

// Lines of one pattern: two areas side by side get lines at the same places, and a line is
// `spacing` from the next across it.
TEST(HatchLines, NeighboursShareOnePatternAndHostileBoundariesGiveNone) {
    HatchLines hatch(1, 1000);
    std::vector<HatchLines::Segment> left;
    std::vector<HatchLines::Segment> right;
    ASSERT_TRUE(hatch.Cut({{0.5, 0.5}, {5, 0.5}, {5, 4.5}, {0.5, 4.5}}, 0, left));
    ASSERT_TRUE(hatch.Cut({{5, 0.7}, {9.5, 0.7}, {9.5, 4.2}, {5, 4.2}}, 0, right));
    ASSERT_EQ(left.size(), 4U);
    ASSERT_EQ(right.size(), 4U);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(left[i].from.y, static_cast<double>(i + 1));
        EXPECT_DOUBLE_EQ(left[i].to.x, right[i].from.x) << "the lines go on across the shared edge";
        EXPECT_DOUBLE_EQ(left[i].from.y, right[i].from.y);
    }

    // One or two vertices, a line there and back, a coordinate that is no number: no inside.
    const double nan = std::nan("");
    for (const Ring& ring : {Ring{}, Ring{{1, 1}}, Ring{{0, 0}, {5, 5}}, Ring{{0, 0}, {5, 5}, {0, 0}},
                             Ring{{0, 0}, {5, nan}, {5, 5}}}) {
        std::vector<HatchLines::Segment> none;
        EXPECT_TRUE(hatch.Cut(ring, 45, none));
        EXPECT_TRUE(none.empty()) << ring.size() << " vertices";
    }
    // More pieces than the cap: said, and never more than the cap.
    HatchLines capped(0.001, 50);
    std::vector<HatchLines::Segment> some;
    EXPECT_FALSE(capped.Cut({{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}}, 0, some));
    EXPECT_LE(some.size(), 50U);
}
