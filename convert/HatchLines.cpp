#include "convert/HatchLines.h"

#include <algorithm>
#include <cmath>

bool HatchLines::Cut(const std::vector<Point>& boundary, double degrees, std::vector<Segment>& out) {
    if (boundary.size() < 3 || !(m_spacing > 0) || !std::isfinite(m_spacing))
        return true;
    for (const Point& p : boundary)
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return true;
    // The lines run along `along`; `across` is their normal. Coordinates are taken from the first
    // vertex, as survey coordinates of millions lose their centimetres once rotated.
    const double radians = degrees * (std::acos(-1.0) / 180.0);
    const Point along = {std::cos(radians), std::sin(radians)};
    const Point across = {-along.y, along.x};
    const Point origin = boundary.front();
    const auto frame = [&](const Point& p) {
        const double dx = p.x - origin.x;
        const double dy = p.y - origin.y;
        return Point{dx * along.x + dy * along.y, dx * across.x + dy * across.y};
    };
    m_edges.clear();
    double low = 0;
    double high = 0;
    Point previous = frame(boundary.back());
    for (const Point& vertex : boundary) {
        const Point current = frame(vertex);
        // An edge along the lines meets none of them but at its ends, which its neighbours count.
        if (current.y != previous.y) {
            const bool rising = previous.y < current.y;
            const Point& a = rising ? previous : current;
            const Point& b = rising ? current : previous;
            m_edges.push_back({a.y, b.y, a.x, (b.x - a.x) / (b.y - a.y)});
        }
        low = std::min(low, current.y);
        high = std::max(high, current.y);
        previous = current;
    }
    std::sort(m_edges.begin(), m_edges.end(), [](const Edge& a, const Edge& b) { return a.low < b.low; });
    // Line k of the pattern is where the distance across from the drawing's origin is k spacings.
    const double offset = origin.x * across.x + origin.y * across.y;
    const double first = std::ceil((low + offset) / m_spacing);
    const double last = std::floor((high + offset) / m_spacing);
    if (last < first)
        return true; // between two lines
    if (!(last - first < static_cast<double>(m_cap)))
        return false; // more lines than pieces allowed, before a single one is cut
    const auto lines = static_cast<std::size_t>(last - first) + 1;
    std::size_t next = 0;
    std::size_t pieces = 0;
    m_active.clear();
    for (std::size_t line = 0; line < lines; ++line) {
        const double y = (first + static_cast<double>(line)) * m_spacing - offset;
        // Each edge counts on [low, high): a line through a vertex meets its two edges once.
        while (next < m_edges.size() && m_edges[next].low <= y)
            m_active.push_back(next++);
        m_active.erase(std::remove_if(m_active.begin(), m_active.end(),
                                      [&](std::size_t e) { return m_edges[e].high <= y; }),
                       m_active.end());
        m_hits.clear();
        for (const std::size_t e : m_active)
            m_hits.push_back(m_edges[e].alongAtLow + (y - m_edges[e].low) * m_edges[e].slope);
        std::sort(m_hits.begin(), m_hits.end());
        for (std::size_t i = 0; i + 1 < m_hits.size(); i += 2) {
            if (m_hits[i + 1] <= m_hits[i])
                continue; // a touch, not a piece
            if (pieces == m_cap)
                return false;
            ++pieces;
            const auto back = [&](double x) {
                return Point{origin.x + x * along.x + y * across.x, origin.y + x * along.y + y * across.y};
            };
            out.push_back({back(m_hits[i]), back(m_hits[i + 1])});
        }
    }
    return true;
}
