#pragma once

#include "dxf/CDxfEntity.h"
#include "dxf/DxfGroup.h"

#include <cstdint>
#include <string>
#include <string_view>

// One attribute value of an INSERT (ATTRIB): the tag of its block's definition and the value,
// written after the INSERT that owns it.
class CDxfAttrib : public CDxfLocatedEntity {
public:
    CDxfAttrib(std::string_view tag, std::string_view value, double x, double y, double z)
        : CDxfLocatedEntity(DXF_ENTITY_ATTRIB, x, y, z), m_tag(dxfgroup::Fit(tag)),
          m_value(dxfgroup::Fit(value)) {}

    [[nodiscard]] const std::string& tag() const { return m_tag; }
    [[nodiscard]] const std::string& value() const { return m_value; }
    void setValue(std::string_view value) { m_value.assign(dxfgroup::Fit(value)); }
    void write(TextStream& stream) const override;

    double height = 2.5;
    std::int32_t attributeFlags = 0;

private:
    std::string m_tag;
    std::string m_value; // at most 256 characters
};
