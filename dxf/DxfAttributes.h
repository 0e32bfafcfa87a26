#pragma once

#include "dxf/CDxfLayer.h"
#include "dxf/DxfGroup.h"

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

class TextStream;

// The attributes every entity carries: line type (group 6), layer (8), colour (62) and
// thickness (39, NaN when not set). Names are cut to the field's limit.
class DxfAttributes {
public:
    [[nodiscard]] std::string_view lineType() const { return m_lineType; }
    [[nodiscard]] std::string_view layer() const { return m_layer; }

    // The layer, with its id in the document the entity goes to where the caller has it
    // (CDxfDocument::layerId): an entity that carries it is counted without a look-up.
    void setLayer(std::string_view name, DxfLayerId id = kNoLayerId) {
        m_layer.assign(dxfgroup::Fit(name));
        m_layerId = id;
    }
    [[nodiscard]] DxfLayerId layerId() const { return m_layerId; }
    void setLineType(std::string_view name) { m_lineType.assign(dxfgroup::Fit(name)); }
    // Three on/off switches (non-zero is on) to a colour number 0 to 7.
    void setColourFromRgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

    std::int16_t colour = 0;
    double thickness = std::numeric_limits<double>::quiet_NaN();

    void writeAttributes(TextStream& stream) const;

private:
    std::string m_lineType;
    std::string m_layer = "0";
    DxfLayerId m_layerId = kNoLayerId;
};
