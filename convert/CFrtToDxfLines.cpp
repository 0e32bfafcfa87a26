// Line and area export: LINE chains or polylines.
#include "convert/CFrtToDxf.h"
#include "dxf/CDxfLine.h"
#include "dxf/CDxfPolyline.h"
#include "dxf/DxfGroup.h"

#include <cmath>

namespace {

// The colour's lowest byte is red, the next green, the third blue; each only on or off.
void SetColour(DxfAttributes& attributes, std::int32_t colour) {
    const auto bits = static_cast<std::uint32_t>(colour);
    attributes.setColourFromRgb(static_cast<std::uint8_t>(bits & 0xffU),
                                static_cast<std::uint8_t>((bits >> 8U) & 0xffU),
                                static_cast<std::uint8_t>((bits >> 16U) & 0xffU));
}

bool SamePlace(const DxfPoint3& a, const DxfPoint3& b) {
    return a.x == b.x && a.y == b.y && (a.z == b.z || (std::isnan(a.z) && std::isnan(b.z)));
}

} // namespace

void CFrtToDxf::ExportLine(const CFrtLine& line) {
    ExportChain(line, false);
}

void CFrtToDxf::ExportArea(const CFrtArea& area) {
    if (const CFrtLine* boundary = area.GetBoundary())
        ExportChain(*boundary, true);
}

void CFrtToDxf::ExportChain(const CFrtLine& line, bool closed) {
    const bool threeD = (m_options->flags & OPT_3D) != 0;
    const auto pointOf = [this, threeD](const CFrtPoint& vertex) {
        return PositionOf(vertex.GetCoordinates(), threeD);
    };
    const auto& vertices = line.GetVertices();
    const CFrtLine::Piece& piece = line.GetPiece();
    if (vertices.empty())
        return;
    if (piece.first)
        m_chainVertices = 0;
    const DxfPoint3 pieceFirst = pointOf(*vertices.front());
    if ((m_options->flags & OPT_SEPARATE_LINES) != 0) {
        m_segment.setAttributes(ChainAttributes(line));
        // A piece's chain goes on from where the piece before it ended.
        if (!piece.first) {
            m_segment.setStart(m_chainLast);
            m_segment.setEnd(pieceFirst);
            m_document->add(m_segment);
        }
        for (std::size_t i = 1; i < vertices.size(); ++i) {
            m_segment.setStart(pointOf(*vertices[i - 1]));
            m_segment.setEnd(pointOf(*vertices[i]));
            m_document->add(m_segment);
        }
        RememberChain(piece.first ? &pieceFirst : nullptr, pointOf(*vertices.back()), vertices.size());
        // An area's outline is closed, as its polyline is, or CAD cannot hatch or measure it; a
        // boundary that ends where it began is closed already.
        if (piece.last && closed && m_chainVertices > 2 && !SamePlace(m_chainLast, m_chainFirst)) {
            m_segment.setStart(m_chainLast);
            m_segment.setEnd(m_chainFirst);
            m_document->add(m_segment);
        }
        return;
    }
    FillPolyline(line, closed);
    m_polyline.writesHead = piece.first;
    m_polyline.writesEnd = piece.last;
    m_document->add(m_polyline, [](CDxfPolyline& polyline) {
        // The vertices take the polyline's layer only: colour, line type and thickness are its own.
        DxfAttributes attributes;
        attributes.setLayer(polyline.attributes()->layer(), polyline.attributes()->layerId());
        for (std::size_t i = 0; i < polyline.vertices().size(); ++i)
            polyline.vertex(i).setAttributes(attributes);
    });
}

void CFrtToDxf::RememberChain(const DxfPoint3* first, const DxfPoint3& last, std::size_t vertices) {
    const auto unspelled = [](DxfPoint3 point) {
        point.spelled = {};
        return point;
    };
    if (first != nullptr)
        m_chainFirst = unspelled(*first);
    m_chainLast = unspelled(last);
    m_chainVertices += vertices;
}

DxfAttributes CFrtToDxf::ChainAttributes(const CFrtLine& line) {
    DxfAttributes attributes;
    PutOn(GroupLayer(line), attributes);
    SetColour(attributes, line.GetColour());
    attributes.setLineType(line.GetLineTypeName());
    return attributes;
}

void CFrtToDxf::FillPolyline(const CFrtLine& line, bool closed) {
    const bool threeD = (m_options->flags & OPT_3D) != 0;
    const auto& points = line.GetVertices();
    m_polyline.setVertexCount(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        CDxfVertex& vertex = m_polyline.vertex(i);
        vertex.vertexFlags = threeD ? dxfgroup::kVertex3d : 0;
        vertex.setPosition(PositionOf(points[i]->GetCoordinates(), threeD));
    }
    m_polyline.setAttributes(ChainAttributes(line));
    m_polyline.attributes()->thickness = line.GetWidth() * 0.01;
    m_polyline.polylineFlags = static_cast<std::int16_t>((threeD ? dxfgroup::kPolyline3d : 0) |
                                                         (closed ? dxfgroup::kPolylineClosed : 0));
}
