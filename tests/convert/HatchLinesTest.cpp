#include "convert/HatchLines.h"
#include "convert/PoleOfInaccessibility.h"
#include "tests/convert/Outline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using outline::DistanceToBoundary;
using outline::Inside;
using outline::kU;
using outline::Point;
using outline::Ring;

// Every piece lies inside its area (a line of the pattern that falls on an edge may run along
// it), at each angle the survey's styles use, and together the pieces cover it: their length
// is the area over the spacing. Concave, crossing itself (a bow tie), touching itself (a hole
// joined by a bridge run twice), and far from the origin.
TEST(HatchLines, EveryPieceLiesInsideItsAreaAndTogetherTheyCoverIt) {
    const std::pair<Ring, double> shapes[] = {
        {{{0.25, 0.25}, {10.25, 0.25}, {10.25, 10.25}, {0.25, 10.25}}, 100},
        {kU, 63},
        {{{0.1, 0.1}, {10.1, 10.1}, {10.1, 0.1}, {0.1, 10.1}}, 50},
        {{{0.2, 0.2},
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
        {{{2600000.25, 1200000.25},
          {2600000.25, 1200020.25},
          {2600005.25, 1200020.25},
          {2600005.25, 1200000.25}},
         100},
    };
    for (const auto& [ring, area] : shapes)
        for (const double degrees : {0.0, 90.0, 45.0, 135.0}) {
            SCOPED_TRACE(std::to_string(ring.size()) + " vertices, area " + std::to_string(area) + ", at " +
                         std::to_string(degrees));
            HatchLines hatch(0.05, 100000);
            std::vector<HatchLines::Segment> pieces;
            ASSERT_TRUE(hatch.Cut(ring, degrees, pieces));
            double length = 0;
            for (const HatchLines::Segment& s : pieces) {
                length += std::hypot(s.to.x - s.from.x, s.to.y - s.from.y);
                for (const double t : {0.001, 0.5, 0.999}) {
                    const Point at = {s.from.x + t * (s.to.x - s.from.x), s.from.y + t * (s.to.y - s.from.y)};
                    ASSERT_TRUE(Inside(ring, at) || DistanceToBoundary(ring, at) < 1e-6)
                        << at.x << " " << at.y;
                }
            }
            EXPECT_NEAR(length * 0.05, area, area * 0.02);
        }
}

// The areas side by side continue one pattern; boundaries without an inside give no line; more
// pieces than the cap are said, and never more than it are given.
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
        EXPECT_DOUBLE_EQ(left[i].to.x, right[i].from.x);
        EXPECT_DOUBLE_EQ(left[i].to.y, right[i].from.y);
    }
    const double nan = std::nan("");
    for (const Ring& ring : {Ring{}, Ring{{1, 1}}, Ring{{0, 0}, {5, 5}}, Ring{{0, 0}, {5, 5}, {0, 0}},
                             Ring{{0, 0}, {5, nan}, {5, 5}}}) {
        std::vector<HatchLines::Segment> none;
        EXPECT_TRUE(hatch.Cut(ring, 45, none));
        EXPECT_TRUE(none.empty()) << ring.size() << " vertices";
    }
    HatchLines capped(0.001, 50);
    std::vector<HatchLines::Segment> some;
    EXPECT_FALSE(capped.Cut({{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}}, 0, some));
    EXPECT_LE(some.size(), 50U);
}

// The label's point is inside the area and as far from its edges as any: in a U, whose centroid
// lies in its notch, in an arm; far from the origin with its centimetres; in a sliver within the
// bound of cells; a boundary without an inside gives its first vertex; near the largest numbers
// it stays in the boundary's box.
TEST(PoleOfInaccessibility, TheFarthestPointInsideEvenWhereTheCentroidIsOutside) {
    const Point pole = PoleOfInaccessibility(kU, 0.01);
    EXPECT_TRUE(Inside(kU, pole));
    EXPECT_GE(DistanceToBoundary(kU, pole), 1.5 - 0.01) << pole.x << " " << pole.y;
    const Ring far = {{2600000, 1200000}, {2600040, 1200000}, {2600040, 1200010}, {2600000, 1200010}};
    const Point middle = PoleOfInaccessibility(far, 0.001);
    EXPECT_NEAR(middle.y, 1200005.0, 0.002);
    EXPECT_GE(DistanceToBoundary(far, middle), 5 - 0.002);
    EXPECT_NEAR(PoleOfInaccessibility({{0, 0}, {1000, 0}, {1000, 1}, {0, 1}}, 0.01).y, 0.5, 0.01);
    EXPECT_EQ(PoleOfInaccessibility({{7, 8}, {9, 9}}, 0.01).x, 7);
    EXPECT_EQ(PoleOfInaccessibility({{7, 8}, {9, 9}, {7, 8}}, 0.01).y, 8);
    // A box near the largest numbers loses the distances' digits; the point stays in the box,
    // which the drawing's extents count on.
    const Point lost =
        PoleOfInaccessibility({{2605135, 1204300}, {2605152, 1204300}, {2605152, -1e308}}, 0.01);
    EXPECT_TRUE(lost.x >= 2605135 && lost.x <= 2605152) << lost.x;
}
