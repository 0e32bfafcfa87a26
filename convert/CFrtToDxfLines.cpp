// Line and area export: LINE chains or polylines.
#include "convert/CFrtToDxf.h"
#include "dxf/CDxfLine.h"
#include "dxf/CDxfPolyline.h"
#include "dxf/DxfGroup.h"

namespace {

// The colour's lowest byte is red, the next green, the third blue; each only on or off.
void SetColour(DxfAttributes& attributes, std::int32_t colour) {
    const auto bits = static_cast<std::uint32_t>(colour);
    attributes.setColourFromRgb(static_cast<std::uint8_t>(bits & 0xffU),
                                static_cast<std::uint8_t>((bits >> 8U) & 0xffU),
                                static_cast<std::uint8_t>((bits >> 16U) & 0xffU));
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
    const auto pointOf = [threeD](const CFrtPoint& vertex) {
        const FrtCoordinates& c = vertex.GetCoordinates();
        return DxfPoint3{c.GetEasting(), c.GetNorthing(), threeD ? c.GetHeight() : kNoZ};
    };
    const auto& vertices = line.GetVertices();
    if ((m_options->flags & OPT_SEPARATE_LINES) != 0) {
        // An open chain, also for an area: no segment back to the first vertex.
        if (Measuring()) {
            const DxfAttributes attributes = ChainAttributes(line);
            for (std::size_t i = 1; i < vertices.size(); ++i)
                m_document->countEntity(DXF_ENTITY_LINE, &attributes, nullptr);
            return;
        }
        m_segment.setAttributes(ChainAttributes(line));
        for (std::size_t i = 1; i < vertices.size(); ++i) {
            m_segment.setStart(pointOf(*vertices[i - 1]));
            m_segment.setEnd(pointOf(*vertices[i]));
            m_document->addCopyOf(m_segment);
        }
        return;
    }
    if (Measuring()) {
        const DxfAttributes attributes = ChainAttributes(line);
        m_document->countEntity(DXF_ENTITY_POLYLINE, &attributes, nullptr);
        for (const auto& vertex : vertices)
            m_document->countVertex(pointOf(*vertex));
        return;
    }
    auto polyline = MakePolyline(line);
    if (closed)
        polyline->polylineFlags =
            static_cast<std::int16_t>(polyline->polylineFlags | dxfgroup::kPolylineClosed);
    m_document->addEntity(std::move(polyline));
}

DxfAttributes CFrtToDxf::ChainAttributes(const CFrtLine& line) const {
    DxfAttributes attributes;
    attributes.setLayer(ElementLayer(line));
    SetColour(attributes, line.GetColour());
    attributes.setLineType(line.GetLineTypeName());
    return attributes;
}

std::unique_ptr<CDxfPolyline> CFrtToDxf::MakePolyline(const CFrtLine& line) const {
    const bool threeD = (m_options->flags & OPT_3D) != 0;
    auto polyline = std::make_unique<CDxfPolyline>();
    DxfAttributes attributes;
    attributes.setLayer(ElementLayer(line));
    // The vertices take the layer only: colour, line type and thickness are the polyline's.
    for (const auto& point : line.GetVertices()) {
        auto vertex = std::make_unique<CDxfVertex>(0.0, 0.0, kNoZ);
        const FrtCoordinates& c = point->GetCoordinates();
        double z = kNoZ;
        if (threeD) {
            z = c.GetHeight();
            vertex->addFlags(dxfgroup::kVertex3d);
        }
        vertex->setPosition(DxfPoint3{c.GetEasting(), c.GetNorthing(), z});
        vertex->setAttributes(attributes);
        polyline->addVertex(std::move(vertex));
    }
    polyline->setAttributes(ChainAttributes(line));
    DxfAttributes* own = polyline->attributes();
    if (threeD)
        polyline->polylineFlags = static_cast<std::int16_t>(polyline->polylineFlags | dxfgroup::kPolyline3d);
    own->thickness = line.GetWidth() * 0.01;
    return polyline;
}
