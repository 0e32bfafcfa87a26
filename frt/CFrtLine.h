#pragma once

#include "frt/CFrtElement.h"
#include "frt/CFrtPoint.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// A line: its vertex points in file order, which it owns.
class CFrtLine : public CFrtElement {
public:
    using VertexList = std::vector<std::unique_ptr<CFrtPoint>>;

    CFrtLine() : CFrtElement(FRT_ELEMENT_LINE) {}

    CFrtPoint* AddVertex(std::unique_ptr<CFrtPoint> point) {
        m_vertices.push_back(std::move(point));
        return m_vertices.back().get();
    }
    const VertexList& GetVertices() const { return m_vertices; }

    void SetWidth(double width) { m_width = width; }
    double GetWidth() const { return m_width; }
    void SetStyle(LineStyle style) { m_style = style; }
    std::int32_t GetStyle() const { return m_style; }
    // The style's line-type name, or empty when the style is unset or unknown.
    std::string_view GetLineTypeName() const { return frttypes::LineTypeName(m_style); }
    void SetColour(std::int32_t colour) { m_colour = colour; }
    std::int32_t GetColour() const { return m_colour; }

private:
    VertexList m_vertices;
    double m_width = 0.0;
    std::int32_t m_style = LINE_STYLE_UNSET;
    std::int32_t m_colour = 0;
};
