// Line and area export: LINE chains or polylines.
#include "convert/CFrtToDxf.h"
#include "dxf/AciPalette.h"
#include "dxf/CDxfLine.h"
#include "dxf/CDxfPolyline.h"
#include "dxf/DxfGroup.h"

#include <cmath>

namespace {

// Each of the line colour's channels only on or off.
void SetColour(DxfAttributes& attributes, std::int32_t colour) {
    const acipalette::Rgb rgb = CFrtToDxf::RgbOf(colour);
    attributes.setColourFromRgb(rgb.red, rgb.green, rgb.blue);
}

constexpr double kDegreesPerRadian = 57.295779513082320876;

bool SamePlace(const DxfPoint3& a, const DxfPoint3& b) {
    return a.x == b.x && a.y == b.y && (a.z == b.z || (std::isnan(a.z) && std::isnan(b.z)));
}

} // namespace

void CFrtToDxf::ExportLine(const CFrtLine& line) {
    ExportChain(line, line, false);
    if (LabelIndex(LABEL_LINE_NAME) != std::string::npos)
        MeasureLineName(line);
}

void CFrtToDxf::ExportArea(const CFrtArea& area) {
    const CFrtLine* boundary = area.GetBoundary();
    if (boundary == nullptr)
        return;
    ExportChain(*boundary, area, true);
    if (!boundary->GetVertices().empty())
        ExportAreaExtras(area);
}

void CFrtToDxf::MeasureLineName(const CFrtLine& line) {
    const bool threeD = (m_options->flags & OPT_3D) != 0;
    const auto& vertices = line.GetVertices();
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const DxfPoint3 at = PositionOf(vertices[i]->GetCoordinates(), threeD).unspelled();
        if (i == 0 && line.GetPiece().first)
            m_lineLength = 0.0;
        else
            m_lineLength += std::hypot(at.x - m_lineLast.x, at.y - m_lineLast.y);
        m_lineLast = at;
    }
}

void CFrtToDxf::PlaceLineName(const CFrtLine& line) {
    const std::size_t index = LabelIndex(LABEL_LINE_NAME);
    const std::string& name = line.GetName();
    if (index == std::string::npos || name.empty() || name == " ")
        return;
    const bool threeD = (m_options->flags & OPT_3D) != 0;
    const auto& vertices = line.GetVertices();
    if (line.GetPiece().first) {
        m_lineWalked = 0.0;
        m_lineNamed = false;
    }
    CDxfText& text = m_labels[index];
    const auto place = [&](const DxfPoint3& at, double degrees) {
        text.setPosition(at);
        text.rotation = degrees;
        m_lineNamed = true;
    };
    const double half = m_lineLength / 2;
    for (std::size_t i = 0; i < vertices.size() && !m_lineNamed; ++i) {
        const DxfPoint3 at = PositionOf(vertices[i]->GetCoordinates(), threeD).unspelled();
        if (i == 0 && line.GetPiece().first) {
            m_lineFirst = at;
        } else {
            const double dx = at.x - m_lineLast.x;
            const double dy = at.y - m_lineLast.y;
            const double length = std::hypot(dx, dy);
            const double t = (half - m_lineWalked) / length;
            const DxfPoint3 middle{m_lineLast.x + t * dx, m_lineLast.y + t * dy,
                                   m_lineLast.z + t * (at.z - m_lineLast.z)};
            // Beyond the largest number a length is infinite, and the middle is no place.
            if (t >= 0 && t <= 1 && std::isfinite(middle.x) && std::isfinite(middle.y)) {
                // Upright: read from the left or from below.
                double degrees = std::atan2(dy, dx) * kDegreesPerRadian;
                if (degrees > 90.0)
                    degrees -= 180.0;
                else if (degrees <= -90.0)
                    degrees += 180.0;
                place(middle, degrees);
            }
            m_lineWalked += length;
        }
        m_lineLast = at;
    }
    if (!line.GetPiece().last)
        return;
    // A line without length (one vertex, all at one place, or a coordinate that is no number)
    // is named at its first vertex. After its vertex points, as a line in pieces can only be.
    if (!m_lineNamed)
        place(m_lineFirst, 0.0);
    if (LayerRef& layer = m_labelLayers[index]; layer.id == kNoLayerId)
        PutOn(layer, text.attrs);
    text.horizontalAlign = dxfgroup::kAlignCentre;
    text.verticalAlign = dxfgroup::kAlignBottom;
    m_document->add(text, [&name](CDxfText& made) { made.setText(name); });
}

void CFrtToDxf::ExportChain(const CFrtLine& line, const CFrtElement& owner, bool closed) {
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
        m_segment.xdata = nullptr;
        // A piece's chain goes on from where the piece before it ended.
        if (!piece.first) {
            m_segment.setStart(m_chainLast);
            m_segment.setEnd(pieceFirst);
            m_document->add(m_segment);
        }
        for (std::size_t i = 1; i < vertices.size(); ++i) {
            m_segment.setStart(pointOf(*vertices[i - 1]));
            m_segment.setEnd(pointOf(*vertices[i]));
            if (piece.first && i == 1)
                AttachXData(owner, m_segment);
            m_document->add(m_segment);
            m_segment.xdata = nullptr;
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
    m_polyline.xdata = nullptr;
    if (piece.first)
        AttachXData(owner, m_polyline);
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
    if (first != nullptr)
        m_chainFirst = first->unspelled();
    m_chainLast = last.unspelled();
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
