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

    // A line too long to hold is handed on in pieces of its vertices: first as its chain, piece
    // by piece, then once more as the vertex points, so that what is made of it comes in the
    // order a whole line gives. A line that fits is one whole piece.
    enum class Part : std::uint8_t { Whole, Chain, Points };
    struct Piece {
        Part part = Part::Whole;
        bool first = true; // the first piece of its part
        bool last = true;  // the last piece of its part
    };

    CFrtLine() : CFrtElement(FRT_ELEMENT_LINE) {}

    CFrtPoint* AddVertex(std::unique_ptr<CFrtPoint> point) {
        m_vertices.push_back(std::move(point));
        return m_vertices.back().get();
    }
    const VertexList& GetVertices() const { return m_vertices; }
    void SetPiece(const Piece& piece) { m_piece = piece; }
    // A line like this one without vertices: the next piece of a line handed on in pieces.
    std::unique_ptr<CFrtLine> EmptyLike() const {
        auto line = std::make_unique<CFrtLine>();
        static_cast<CFrtElement&>(*line) = *this;
        line->m_width = m_width;
        line->m_style = m_style;
        line->m_colour = m_colour;
        return line;
    }
    const Piece& GetPiece() const { return m_piece; }

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
    Piece m_piece;
    double m_width = 0.0;
    std::int32_t m_style = LINE_STYLE_UNSET;
    std::int32_t m_colour = 0;
};
