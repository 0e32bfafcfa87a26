#pragma once

#include "dxf/CDxfEntity.h"
#include "dxf/DxfGroup.h"

#include <string>
#include <string_view>

class CDxfInsert : public CDxfLocatedEntity {
public:
    CDxfInsert(std::string_view blockName, double x, double y, double z)
        : CDxfLocatedEntity(DXF_ENTITY_INSERT, x, y, z), m_blockName(dxfgroup::Fit(blockName)) {}

    [[nodiscard]] const std::string& blockName() const { return m_blockName; }
    void write(TextStream& stream) const override;

private:
    std::string m_blockName; // at most 256 characters
};
