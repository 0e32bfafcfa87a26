#pragma once

#include "convert/HatchLines.h"

#include <algorithm>
#include <cmath>
#include <vector>

// What the area geometry's tests judge it by, apart from the code under test.
namespace outline {

using Point = HatchLines::Point;
using Ring = std::vector<Point>;

// By the even-odd rule: a ray to the right crosses the boundary an odd number of times.
inline bool Inside(const Ring& ring, const Point& p) {
    bool inside = false;
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++)
        if ((ring[i].y > p.y) != (ring[j].y > p.y) &&
            p.x < ring[i].x + (p.y - ring[i].y) * (ring[j].x - ring[i].x) / (ring[j].y - ring[i].y))
            inside = !inside;
    return inside;
}

inline double DistanceToBoundary(const Ring& ring, const Point& p) {
    double nearest = INFINITY;
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const double dx = ring[i].x - ring[j].x;
        const double dy = ring[i].y - ring[j].y;
        const double t =
            std::clamp(((p.x - ring[j].x) * dx + (p.y - ring[j].y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        nearest = std::min(nearest, std::hypot(p.x - ring[j].x - t * dx, p.y - ring[j].y - t * dy));
    }
    return nearest;
}

// A U, whose centroid lies in its notch; no edge on a multiple of the spacings the tests use.
inline const Ring kU = {{0.3, 0.3}, {9.3, 0.3}, {9.3, 9.3}, {6.3, 9.3},
                        {6.3, 3.3}, {3.3, 3.3}, {3.3, 9.3}, {0.3, 9.3}};

} // namespace outline
