// What each entity kind writes, group by group.
#include "common/TextStream.h"
#include "dxf/CDxfCircle.h"
#include "dxf/CDxfInsert.h"
#include "dxf/CDxfLine.h"
#include "dxf/CDxfPoint.h"
#include "dxf/CDxfPolyline.h"
#include "dxf/CDxfText.h"
#include "dxf/CDxfVertex.h"
#include "dxf/DxfTextGroup.h"

#include <cmath>

void CDxfPoint::write(TextStream& stream) const {
    stream.GroupText("  0", "POINT");
    attrs.writeAttributes(stream);
    location.writePoint(stream, 0);
}

void CDxfVertex::write(TextStream& stream) const {
    stream.GroupText("  0", "VERTEX");
    attrs.writeAttributes(stream);
    stream.GroupInt(" 70", vertexFlags);
    location.writePoint(stream, 0);
}

void CDxfLine::write(TextStream& stream) const {
    stream.GroupText("  0", "LINE");
    attrs.writeAttributes(stream);
    start.writePoint(stream, 0);
    end.writePoint(stream, 1);
}

// TEXT writes its first point before its attributes, and always repeats it as the second
// alignment point.
void CDxfText::write(TextStream& stream) const {
    stream.GroupText("  0", "TEXT");
    location.writePoint(stream, 0);
    attrs.writeAttributes(stream);
    stream.GroupReal(" 40", height);
    if (!std::isnan(rotation))
        stream.GroupReal(" 50", rotation);
    if (horizontalAlign != 0)
        stream.GroupInt(" 72", horizontalAlign);
    if (verticalAlign != 0)
        stream.GroupInt(" 73", verticalAlign);
    location.writePoint(stream, 1);
    dxftext::WriteTextGroup(stream, "  1", m_text);
}

void CDxfInsert::write(TextStream& stream) const {
    stream.GroupText("  0", "INSERT");
    stream.GroupText("  2", m_blockName);
    attrs.writeAttributes(stream);
    location.writePoint(stream, 0);
}

void CDxfCircle::write(TextStream& stream) const {
    stream.GroupText("  0", "CIRCLE");
    attrs.writeAttributes(stream);
    location.writePoint(stream, 0);
    stream.GroupReal("  40", radius); // four characters: this code line differs from TEXT's
}

void CDxfPolyline::write(TextStream& stream) const {
    stream.GroupText("  0", "POLYLINE");
    attrs.writeAttributes(stream);
    location.writePoint(stream, 0);
    stream.GroupText(" 66", "  1");
    stream.GroupInt(" 70", polylineFlags);
    for (const auto& vertex : m_vertices)
        vertex->write(stream);
    stream.GroupText("  0", "SEQEND");
}
