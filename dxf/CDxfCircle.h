#pragma once

#include "dxf/CDxfEntity.h"

class CDxfCircle : public CDxfLocatedEntity {
public:
    CDxfCircle(double radiusValue, double x, double y, double z)
        : CDxfLocatedEntity(DXF_ENTITY_CIRCLE, x, y, z), radius(radiusValue) {}
    void write(TextStream& stream) const override;

    double radius;
};
