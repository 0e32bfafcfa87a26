#pragma once

#include "dxf/CDxfEntity.h"
#include "dxf/DxfGroup.h"

#include <cstdint>
#include <string>
#include <string_view>

// An attribute definition of a block (ATTDEF): the tag its inserts' values carry, the prompt a
// CAD program shows for it and the default value.
class CDxfAttdef : public CDxfLocatedEntity {
public:
    CDxfAttdef(std::string_view tag, std::string_view prompt, double x, double y, double z)
        : CDxfLocatedEntity(DXF_ENTITY_ATTDEF, x, y, z), m_tag(dxfgroup::Fit(tag)),
          m_prompt(dxfgroup::Fit(prompt)) {}

    [[nodiscard]] const std::string& tag() const { return m_tag; }
    void write(TextStream& stream) const override;

    double height = 2.5;
    std::int32_t attributeFlags = 0;

private:
    std::string m_tag;
    std::string m_prompt;
};
