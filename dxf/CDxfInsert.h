#pragma once

#include "dxf/CDxfEntity.h"
#include "dxf/DxfGroup.h"

#include "dxf/CDxfAttrib.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A block reference, with the attribute values it owns (written after it, closed by SEQEND).
class CDxfInsert : public CDxfLocatedEntity {
public:
    CDxfInsert(std::string_view blockName, double x, double y, double z)
        : CDxfLocatedEntity(DXF_ENTITY_INSERT, x, y, z), m_blockName(dxfgroup::Fit(blockName)) {}

    // A copy has copies of the attribute values.
    CDxfInsert(const CDxfInsert& other) : CDxfLocatedEntity(other), m_blockName(other.m_blockName) {
        for (const auto& value : other.m_values)
            m_values.push_back(std::make_unique<CDxfAttrib>(*value));
    }
    CDxfInsert& operator=(const CDxfInsert&) = delete;
    ~CDxfInsert() override = default;

    [[nodiscard]] const std::string& blockName() const { return m_blockName; }
    void setBlockName(std::string_view name) { m_blockName.assign(dxfgroup::Fit(name)); }
    CDxfAttrib* addAttributeValue(std::unique_ptr<CDxfAttrib> value) {
        m_values.push_back(std::move(value));
        return m_values.back().get();
    }
    void clearAttributeValues() { m_values.clear(); }
    [[nodiscard]] const std::vector<std::unique_ptr<CDxfAttrib>>& attributeValues() const { return m_values; }
    void write(TextStream& stream) const override;

private:
    std::string m_blockName; // at most 256 characters
    std::vector<std::unique_ptr<CDxfAttrib>> m_values;
};
