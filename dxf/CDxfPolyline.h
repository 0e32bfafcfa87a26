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
    // A copy has copies of the vertices.
    CDxfPolyline(const CDxfPolyline& other)
        : CDxfLocatedEntity(other), polylineFlags(other.polylineFlags), writesHead(other.writesHead),
          writesEnd(other.writesEnd) {
        for (const auto& vertex : other.m_vertices)
            m_vertices.push_back(std::make_unique<CDxfVertex>(*vertex));
    }
    CDxfPolyline& operator=(const CDxfPolyline&) = delete;
    ~CDxfPolyline() override = default;

    CDxfVertex* addVertex(std::unique_ptr<CDxfVertex> vertex) {
        m_vertices.push_back(std::move(vertex));
        return m_vertices.back().get();
    }
    // Makes it hold `count` vertices, reusing those it had (as they were): a conversion fills one
    // polyline for each of millions of lines, and making the vertices anew cost more than the rest.
    void setVertexCount(std::size_t count) {
        while (m_vertices.size() > count) {
            m_spare.push_back(std::move(m_vertices.back()));
            m_vertices.pop_back();
        }
        while (m_vertices.size() < count) {
            if (m_spare.empty()) {
                m_vertices.push_back(std::make_unique<CDxfVertex>(0.0, 0.0, 0.0));
            } else {
                m_vertices.push_back(std::move(m_spare.back()));
                m_spare.pop_back();
            }
        }
    }
    [[nodiscard]] CDxfVertex& vertex(std::size_t index) { return *m_vertices[index]; }
    [[nodiscard]] const std::vector<std::unique_ptr<CDxfVertex>>& vertices() const { return m_vertices; }
    void write(TextStream& stream) const override;

    std::int16_t polylineFlags = 0;
    // A polyline too long to hold is written in pieces of its vertices: only the first writes
    // the POLYLINE, only the last the SEQEND.
    bool writesHead = true;
    bool writesEnd = true;

private:
    std::vector<std::unique_ptr<CDxfVertex>> m_vertices;
    std::vector<std::unique_ptr<CDxfVertex>> m_spare; // of an earlier, longer line
};
