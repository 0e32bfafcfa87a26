// What each entity kind writes, group by group.
#include "common/TextStream.h"
#include "dxf/CDxfAttdef.h"
#include "dxf/CDxfAttrib.h"
#include "dxf/CDxfCircle.h"
#include "dxf/CDxfInsert.h"
#include "dxf/CDxfLine.h"
#include "dxf/CDxfPoint.h"
#include "dxf/CDxfPolyline.h"
#include "dxf/CDxfText.h"
#include "dxf/CDxfVertex.h"
#include "dxf/DxfGroup.h"

#include <cmath>

void CDxfPoint::write(TextStream& stream) const {
    dxfgroup::Text(stream, dxfgroup::kStart, "POINT");
    attrs.writeAttributes(stream);
    location.writePoint(stream, 0);
    writeXData(stream);
}

void CDxfVertex::write(TextStream& stream) const {
    dxfgroup::Text(stream, dxfgroup::kStart, "VERTEX");
    attrs.writeAttributes(stream);
    dxfgroup::Int(stream, dxfgroup::kFlags, vertexFlags);
    location.writePoint(stream, 0);
}

void CDxfLine::write(TextStream& stream) const {
    dxfgroup::Text(stream, dxfgroup::kStart, "LINE");
    attrs.writeAttributes(stream);
    start.writePoint(stream, 0);
    end.writePoint(stream, 1);
    writeXData(stream);
}

// TEXT writes its first point before its attributes, and always repeats it as the second
// alignment point.
void CDxfText::write(TextStream& stream) const {
    dxfgroup::Text(stream, dxfgroup::kStart, "TEXT");
    location.writePoint(stream, 0);
    attrs.writeAttributes(stream);
    dxfgroup::Real(stream, dxfgroup::kSize, height);
    if (!std::isnan(rotation))
        dxfgroup::Real(stream, dxfgroup::kAngle, rotation);
    if (horizontalAlign != 0)
        dxfgroup::Int(stream, dxfgroup::kHorizontalAlign, horizontalAlign);
    if (verticalAlign != 0)
        dxfgroup::Int(stream, dxfgroup::kVerticalAlign, verticalAlign);
    location.writePoint(stream, 1); // both points of a text are its location
    dxfgroup::InputText(stream, dxfgroup::kText, m_text);
}

void CDxfInsert::write(TextStream& stream) const {
    dxfgroup::Text(stream, dxfgroup::kStart, "INSERT");
    dxfgroup::Text(stream, dxfgroup::kName, m_blockName);
    attrs.writeAttributes(stream);
    location.writePoint(stream, 0);
    if (m_values.empty()) {
        writeXData(stream);
        return;
    }
    dxfgroup::Int(stream, dxfgroup::kEntitiesFollow, dxfgroup::kAttributesFollow);
    writeXData(stream);
    for (const auto& value : m_values)
        value->write(stream);
    dxfgroup::Text(stream, dxfgroup::kStart, "SEQEND");
}

void CDxfAttrib::write(TextStream& stream) const {
    dxfgroup::Text(stream, dxfgroup::kStart, "ATTRIB");
    attrs.writeAttributes(stream);
    location.writePoint(stream, 0);
    dxfgroup::Real(stream, dxfgroup::kSize, height);
    dxfgroup::InputText(stream, dxfgroup::kText, m_value);
    dxfgroup::Text(stream, dxfgroup::kName, m_tag);
    dxfgroup::Int(stream, dxfgroup::kFlags, attributeFlags);
}

void CDxfAttdef::write(TextStream& stream) const {
    dxfgroup::Text(stream, dxfgroup::kStart, "ATTDEF");
    attrs.writeAttributes(stream);
    location.writePoint(stream, 0);
    dxfgroup::Real(stream, dxfgroup::kSize, height);
    dxfgroup::Text(stream, dxfgroup::kText, "");
    dxfgroup::Text(stream, dxfgroup::kDescription, m_prompt);
    dxfgroup::Text(stream, dxfgroup::kName, m_tag);
    dxfgroup::Int(stream, dxfgroup::kFlags, attributeFlags);
}

void CDxfCircle::write(TextStream& stream) const {
    dxfgroup::Text(stream, dxfgroup::kStart, "CIRCLE");
    attrs.writeAttributes(stream);
    location.writePoint(stream, 0);
    dxfgroup::CircleRadius(stream, radius);
}

void CDxfPolyline::write(TextStream& stream) const {
    if (writesHead) {
        dxfgroup::Text(stream, dxfgroup::kStart, "POLYLINE");
        attrs.writeAttributes(stream);
        location.writePoint(stream, 0);
        dxfgroup::EntitiesFollow(stream);
        dxfgroup::Int(stream, dxfgroup::kFlags, polylineFlags);
        writeXData(stream);
    }
    for (const auto& vertex : m_vertices)
        vertex->write(stream);
    if (writesEnd)
        dxfgroup::Text(stream, dxfgroup::kStart, "SEQEND");
}
