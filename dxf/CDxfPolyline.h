#pragma once

#include "dxf/CDxfEntity.h"
#include "dxf/CDxfVertex.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

// A polyline owns its vertices; it writes them and a closing SEQEND after itself.
class CDxfPolyline : public CDxfLocatedEntity {
public:
    CDxfPolyline()
        : CDxfLocatedEntity(DXF_ENTITY_POLYLINE, 0.0, 0.0, std::numeric_limits<double>::quiet_NaN()) {}

    CDxfVertex* addVertex(std::unique_ptr<CDxfVertex> vertex) {
        m_vertices.push_back(std::move(vertex));
        return m_vertices.back().get();
    }
    [[nodiscard]] const std::vector<std::unique_ptr<CDxfVertex>>& vertices() const { return m_vertices; }
    void write(TextStream& stream) const override;

    std::int16_t polylineFlags = 0;

private:
    std::vector<std::unique_ptr<CDxfVertex>> m_vertices;
};
