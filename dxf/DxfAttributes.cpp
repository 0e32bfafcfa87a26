#include "dxf/DxfAttributes.h"

#include "common/TextStream.h"
#include "dxf/DxfGroup.h"
#include "dxf/DxfPoint3.h"

#include <cmath>

void DxfPoint3::writePoint(TextStream& stream, int index) const {
    dxfgroup::Real(stream, index == 0 ? dxfgroup::kX : dxfgroup::kSecondX, x, &spelled[0]);
    dxfgroup::Real(stream, index == 0 ? dxfgroup::kY : dxfgroup::kSecondY, y, &spelled[1]);
    if (!std::isnan(z))
        dxfgroup::Real(stream, index == 0 ? dxfgroup::kZ : dxfgroup::kSecondZ, z, &spelled[2]);
}

void DxfAttributes::setColourFromRgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    // Index by the bits red 1, green 2, blue 4.
    static constexpr std::int16_t kColours[8] = {0, 1, 3, 2, 5, 6, 4, 7};
    const int index = (red != 0 ? 1 : 0) | (green != 0 ? 2 : 0) | (blue != 0 ? 4 : 0);
    colour = kColours[index];
}

void DxfAttributes::writeAttributes(TextStream& stream) const {
    dxfgroup::Text(stream, dxfgroup::kLayer, m_layer); // named by the rule: nothing to encode
    dxfgroup::Int(stream, dxfgroup::kColour, colour);
    if (!m_lineType.empty())
        dxfgroup::Text(stream, dxfgroup::kLineType, m_lineType);
    if (!std::isnan(thickness))
        dxfgroup::Real(stream, dxfgroup::kThickness, thickness);
}
