#pragma once

#include "convert/HatchLines.h"

#include <vector>

// The point inside an area farthest from its boundary (its pole of inaccessibility), where a
// label stands clear of the edges: the centroid of a U, an L or a C falls outside. Found by
// splitting the area's box into ever smaller cells and keeping those that could still hold a
// farther point, until that is at most `precision` farther (Garcia-Castellanos and Lombardo,
// 2007; the "polylabel" method). Inside is by the even-odd rule, as for the hatches. A boundary
// without an inside gives its first vertex, or none when it has no vertex.
HatchLines::Point PoleOfInaccessibility(const std::vector<HatchLines::Point>& boundary, double precision);
