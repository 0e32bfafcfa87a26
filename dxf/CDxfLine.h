#pragma once

#include "dxf/CDxfEntity.h"

// A line has no reference point: it never widens the drawing's extents.
class CDxfLine : public CDxfEntity {
public:
    CDxfLine() : CDxfEntity(DXF_ENTITY_LINE) {}
    CDxfLine(const DxfPoint3& startPoint, const DxfPoint3& endPoint)
        : CDxfEntity(DXF_ENTITY_LINE), start(startPoint), end(endPoint) {}

    void setStart(const DxfPoint3& point) { start = point; }
    void setEnd(const DxfPoint3& point) { end = point; }
    void setAttributes(const DxfAttributes& attributes) override { attrs = attributes; }
    DxfAttributes* attributes() override { return &attrs; }
    void write(TextStream& stream) const override;

    DxfPoint3 start;
    DxfPoint3 end;
    DxfAttributes attrs;
};
