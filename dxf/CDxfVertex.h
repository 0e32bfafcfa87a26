#pragma once

#include "dxf/CDxfEntity.h"

#include <cstdint>

class CDxfVertex : public CDxfLocatedEntity {
public:
    CDxfVertex(double x, double y, double z) : CDxfLocatedEntity(DXF_ENTITY_VERTEX, x, y, z) {}
    void addFlags(const std::int16_t& flags) { vertexFlags = static_cast<std::int16_t>(vertexFlags | flags); }
    void write(TextStream& stream) const override;

    std::int16_t vertexFlags = 0;
};
