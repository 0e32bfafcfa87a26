#include "dxf/DxfAttributes.h"

#include "common/TextStream.h"
#include "dxf/DxfPoint3.h"

#include <cmath>

void DxfPoint3::writePoint(TextStream& stream, int index) const {
    stream.GroupReal(index == 0 ? " 10" : " 11", x);
    stream.GroupReal(index == 0 ? " 20" : " 21", y);
    if (!std::isnan(z))
        stream.GroupReal(index == 0 ? " 30" : " 31", z);
}

void DxfAttributes::setColourFromRgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    // Index by the bits red 1, green 2, blue 4.
    static constexpr std::int16_t kColours[8] = {0, 1, 3, 2, 5, 6, 4, 7};
    const int index = (red != 0 ? 1 : 0) | (green != 0 ? 2 : 0) | (blue != 0 ? 4 : 0);
    colour = kColours[index];
}

void DxfAttributes::writeAttributes(TextStream& stream) const {
    dxftext::WriteTextGroup(stream, "  8", m_layer);
    stream.GroupInt(" 62", colour);
    if (!m_lineType.empty())
        stream.GroupText("  6", m_lineType);
    if (!std::isnan(thickness))
        stream.GroupReal(" 39", thickness);
}
