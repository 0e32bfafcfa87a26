// What each entity kind writes, group by group.
#include "common/TextStream.h"
#include "dxf/CDxfCircle.h"
#include "dxf/CDxfInsert.h"
#include "dxf/CDxfLine.h"
#include "dxf/CDxfPoint.h"
#include "dxf/CDxfPolyline.h"
#include "dxf/CDxfText.h"
#include "dxf/CDxfVertex.h"
#include "dxf/DxfGroup.h"

#include "common/NumberText.h"

#include <array>
#include <cmath>
#include <string_view>

namespace {

// A point's numbers as the stream writes them, formatted once for a point written twice.
class FixedPoint {
public:
    FixedPoint(const DxfPoint3& point, int decimals)
        : m_x(Format(m_xText, point.x, decimals)), m_y(Format(m_yText, point.y, decimals)),
          m_z(std::isnan(point.z) ? std::string_view() : Format(m_zText, point.z, decimals)) {}
    FixedPoint(const FixedPoint&) = delete;
    FixedPoint& operator=(const FixedPoint&) = delete;

    // As DxfPoint3::writePoint.
    void write(TextStream& stream, int index) const {
        dxfgroup::Text(stream, index == 0 ? dxfgroup::kX : dxfgroup::kSecondX, m_x);
        dxfgroup::Text(stream, index == 0 ? dxfgroup::kY : dxfgroup::kSecondY, m_y);
        if (!m_z.empty())
            dxfgroup::Text(stream, index == 0 ? dxfgroup::kZ : dxfgroup::kSecondZ, m_z);
    }

private:
    using Buffer = std::array<char, numtext::kFixedRoom>;
    static std::string_view Format(Buffer& buffer, double value, int decimals) {
        const char* end = numtext::WriteFixed(buffer.data(), buffer.data() + buffer.size(), value, decimals);
        return {buffer.data(), static_cast<std::size_t>(end - buffer.data())};
    }

    Buffer m_xText;
    Buffer m_yText;
    Buffer m_zText;
    std::string_view m_x;
    std::string_view m_y;
    std::string_view m_z;
};

} // namespace

void CDxfPoint::write(TextStream& stream) const {
    dxfgroup::Text(stream, dxfgroup::kStart, "POINT");
    attrs.writeAttributes(stream);
    location.writePoint(stream, 0);
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
}

// TEXT writes its first point before its attributes, and always repeats it as the second
// alignment point.
void CDxfText::write(TextStream& stream) const {
    const FixedPoint point(location, stream.Decimals()); // both points of a text are its location
    dxfgroup::Text(stream, dxfgroup::kStart, "TEXT");
    point.write(stream, 0);
    attrs.writeAttributes(stream);
    dxfgroup::Real(stream, dxfgroup::kSize, height);
    if (!std::isnan(rotation))
        dxfgroup::Real(stream, dxfgroup::kAngle, rotation);
    if (horizontalAlign != 0)
        dxfgroup::Int(stream, dxfgroup::kHorizontalAlign, horizontalAlign);
    if (verticalAlign != 0)
        dxfgroup::Int(stream, dxfgroup::kVerticalAlign, verticalAlign);
    point.write(stream, 1);
    dxfgroup::InputText(stream, dxfgroup::kText, m_text);
}

void CDxfInsert::write(TextStream& stream) const {
    dxfgroup::Text(stream, dxfgroup::kStart, "INSERT");
    dxfgroup::Text(stream, dxfgroup::kName, m_blockName);
    attrs.writeAttributes(stream);
    location.writePoint(stream, 0);
}

void CDxfCircle::write(TextStream& stream) const {
    dxfgroup::Text(stream, dxfgroup::kStart, "CIRCLE");
    attrs.writeAttributes(stream);
    location.writePoint(stream, 0);
    dxfgroup::CircleRadius(stream, radius);
}

void CDxfPolyline::write(TextStream& stream) const {
    dxfgroup::Text(stream, dxfgroup::kStart, "POLYLINE");
    attrs.writeAttributes(stream);
    location.writePoint(stream, 0);
    dxfgroup::EntitiesFollow(stream);
    dxfgroup::Int(stream, dxfgroup::kFlags, polylineFlags);
    for (const auto& vertex : m_vertices)
        vertex->write(stream);
    dxfgroup::Text(stream, dxfgroup::kStart, "SEQEND");
}
