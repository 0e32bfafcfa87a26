#pragma once

#include "dxf/CDxfEntity.h"

class CDxfPoint : public CDxfLocatedEntity {
public:
    CDxfPoint(double x, double y, double z) : CDxfLocatedEntity(DXF_ENTITY_POINT, x, y, z) {}
    void write(TextStream& stream) const override;
};
