#pragma once

#include "common/SmallObjectPool.h"
#include "dxf/CDxfEntity.h"
#include "dxf/DxfGroup.h"

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

class CDxfText : public CDxfLocatedEntity {
public:
    CDxfText(std::string_view text, double x, double y, double z)
        : CDxfLocatedEntity(DXF_ENTITY_TEXT, x, y, z), m_text(dxfgroup::Fit(text)) {}

    [[nodiscard]] std::string_view text() const { return m_text; }
    void setText(std::string_view text) { m_text.assign(dxfgroup::Fit(text)); }
    void setHeight(const double& value) { height = value; }
    void write(TextStream& stream) const override;

    double rotation = std::numeric_limits<double>::quiet_NaN();
    double height = 2.5;
    std::int32_t horizontalAlign = 0;
    std::int32_t verticalAlign = 0;

private:
    // At most 256 characters, from the small-object pool: a label's text is mostly longer than
    // a string holds in itself, and a drawing makes millions of them.
    smallpool::String m_text;
};
