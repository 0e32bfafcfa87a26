#pragma once

#include "dxf/DxfNames.h"

#include <cstdint>
#include <limits>
#include <string_view>

class TextStream;

// The attributes every entity carries: line type (group 6), layer (8), colour (62) and
// thickness (39, NaN when not set). Names are cut to 256 characters.
class DxfAttributes {
    // First, so that with the colour it fills one 8-byte slot: the record is 16 bytes.
    dxfnames::PairId m_names = dxfnames::Default();

public:
    std::string_view lineType() const { return dxfnames::LineType(m_names); }
    std::string_view layer() const { return dxfnames::Layer(m_names); }
    dxfnames::PairId namesId() const { return m_names; }

    void setLayer(std::string_view name) { m_names = dxfnames::Intern(lineType(), name); }
    // The pair another entity's attributes got from the same calls.
    void setNamesId(dxfnames::PairId id) { m_names = id; }
    void setLineType(std::string_view name) { m_names = dxfnames::Intern(name, layer()); }
    // Three on/off switches (non-zero is on) to a colour number 0 to 7.
    void setColourFromRgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

    std::int16_t colour = 0;
    double thickness = std::numeric_limits<double>::quiet_NaN();

    void writeAttributes(TextStream& stream) const;
};
