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
        stream.GroupText(index == 0 ? " 10" : " 11", m_x);
        stream.GroupText(index == 0 ? " 20" : " 21", m_y);
        if (!m_z.empty())
            stream.GroupText(index == 0 ? " 30" : " 31", m_z);
    }

private:
    // The largest finite double has 309 digits before the point.
    using Buffer = std::array<char, 640>;
    static std::string_view Format(Buffer& buffer, double value, int decimals) {
        const char* end = numtext::WriteFixed(buffer.data(), value, decimals);
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
    const FixedPoint point(location, stream.Decimals()); // both points of a text are its location
    stream.GroupText("  0", "TEXT");
    point.write(stream, 0);
    attrs.writeAttributes(stream);
    stream.GroupReal(" 40", height);
    if (!std::isnan(rotation))
        stream.GroupReal(" 50", rotation);
    if (horizontalAlign != 0)
        stream.GroupInt(" 72", horizontalAlign);
    if (verticalAlign != 0)
        stream.GroupInt(" 73", verticalAlign);
    point.write(stream, 1);
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
