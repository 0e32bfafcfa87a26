#pragma once

#include <cstddef>
#include <vector>

// The lines of a hatch inside an area: parallel lines `spacing` apart at an angle, cut at the
// area's boundary so that every piece lies inside it by the even-odd rule. A boundary that is
// concave, touches itself or crosses itself thus leaves out what it runs round twice, as a
// reader filling the area would. The lines of every area lie on one pattern anchored at the
// drawing's origin, so that the hatches of neighbouring areas meet.
class HatchLines {
public:
    struct Point {
        double x;
        double y;
    };
    struct Segment {
        Point from;
        Point to;
    };

    // `spacing` apart in drawing units, at most `cap` pieces for an area.
    HatchLines(double spacing, std::size_t cap) : m_spacing(spacing), m_cap(cap) {}
    void SetSpacing(double spacing) { m_spacing = spacing; }

    // Cuts the lines at `degrees` (0 along the x axis, counter-clockwise) to the closed
    // boundary (its last vertex joined to its first) and appends the pieces to `out`. False
    // when the cap was met: the pieces found until then are kept. A boundary of fewer than three
    // vertices, or with a coordinate that is no number, has no inside and gives none.
    bool Cut(const std::vector<Point>& boundary, double degrees, std::vector<Segment>& out);

private:
    // An edge of the boundary in the frame where the lines run along the first axis: it spans
    // [low, high) across them.
    struct Edge {
        double low;
        double high;
        double alongAtLow; // where it is at `low`
        double slope;      // how far it moves along per unit across
    };

    double m_spacing;
    std::size_t m_cap;
    std::vector<Edge> m_edges;  // reused from area to area
    std::vector<double> m_hits; // where the current line meets the boundary
    std::vector<std::size_t> m_active;
};
