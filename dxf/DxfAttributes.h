#pragma once

#include "dxf/DxfGroup.h"

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

class TextStream;
struct CDxfLayer;

// The attributes every entity carries: line type (group 6), layer (8), colour (62) and
// thickness (39, NaN when not set). Names are cut to the field's limit.
class DxfAttributes {
public:
    [[nodiscard]] std::string_view lineType() const { return m_lineType; }
    [[nodiscard]] std::string_view layer() const { return m_layer; }

    void setLayer(std::string_view name) {
        m_layer.assign(dxfgroup::Fit(name));
        m_recordedBy = 0;
    }
    void setLineType(std::string_view name) { m_lineType.assign(dxfgroup::Fit(name)); }
    // Three on/off switches (non-zero is on) to a colour number 0 to 7.
    void setColourFromRgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

    std::int16_t colour = 0;
    double thickness = std::numeric_limits<double>::quiet_NaN();

    void writeAttributes(TextStream& stream) const;

    // The layer entry a document recorded this layer under, remembered here so that entities
    // that keep their layer (a label kind's texts) are counted without looking the name up again.
    // `document` is the recording document's serial number, never reused; 0 for none.
    [[nodiscard]] const CDxfLayer* recordedLayer(std::uint64_t document) const {
        return m_recordedBy == document ? m_recorded : nullptr;
    }
    void rememberRecorded(std::uint64_t document, const CDxfLayer* layer) const {
        m_recordedBy = document;
        m_recorded = layer;
    }

private:
    std::string m_lineType;
    std::string m_layer = "0";
    mutable std::uint64_t m_recordedBy = 0;
    mutable const CDxfLayer* m_recorded = nullptr;
};
