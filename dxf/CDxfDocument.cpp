#include "dxf/CDxfDocument.h"

#include "common/TextStream.h"
#include "dxf/CDxfInsert.h"
#include "dxf/CDxfPolyline.h"
#include "dxf/DxfGroup.h"
#include "dxf/DxfStructure.h"

#include <functional>

void CDxfDocument::add(const CDxfEntity& entity) {
    const auto type = static_cast<DxfEntityType>(entity.entityType());
    const bool polyline = type == DXF_ENTITY_POLYLINE;
    // A later piece of a long polyline adds vertices to the entity its first piece counted.
    const bool counted = !polyline || static_cast<const CDxfPolyline&>(entity).writesHead;
    if (counted)
        countEntity(type, entity.attributes(), polyline ? nullptr : entity.position());
    if (polyline)
        for (const auto& vertex : static_cast<const CDxfPolyline&>(entity).vertices())
            countVertex(vertex->location);
    if (type == DXF_ENTITY_INSERT) // the attributes sit at the insert's position
        m_typeCounts[TypeIndex(DXF_ENTITY_ATTRIB)] +=
            static_cast<const CDxfInsert&>(entity).attributeValues().size();
    if (m_stream == nullptr)
        return;
    entity.write(*m_stream);
    if (m_observer != nullptr)
        m_observer->Streamed(entity);
}

void CDxfDocument::countEntity(DxfEntityType type, const DxfAttributes* attributes,
                               const DxfPoint3* position) {
    ++m_count;
    ++m_typeCounts[TypeIndex(type)];
    if (attributes != nullptr)
        m_tables.layers().count(*attributes);
    if (position != nullptr)
        m_tables.widenExtents(*position);
}

void CDxfDocument::countVertex(const DxfPoint3& position) {
    ++m_typeCounts[TypeIndex(DXF_ENTITY_VERTEX)];
    m_tables.widenExtents(position);
}

std::size_t CDxfDocument::TypeIndex(std::int32_t type) {
    std::size_t index = 0;
    for (auto bits = static_cast<std::uint32_t>(type); bits > 1; bits >>= 1U)
        ++index;
    return index < kTypeSlots ? index : kTypeSlots - 1;
}

void CDxfDocument::merge(const CDxfDocument& later) {
    m_count += later.m_count;
    for (std::size_t i = 0; i < kTypeSlots; ++i)
        m_typeCounts[i] += later.m_typeCounts[i];
    m_tables.merge(later.m_tables);
}

void CDxfDocument::streamTo(TextStream& stream) {
    m_stream = &stream;
}

void CDxfDocument::beginBlock(std::string_view name, std::int64_t flags, const DxfPoint3& base) {
    if (m_stream != nullptr)
        dxfstructure::BeginBlock(*m_stream, name, flags, base);
}

void CDxfDocument::endBlock() {
    if (m_stream != nullptr)
        dxfstructure::EndBlock(*m_stream);
}

Failure CDxfDocument::writeTo(TextStream& stream, const DxfWriteSettings& settings,
                              const EntityWriter& produce, const EntityWriter& blocks) const {
    stream.SetDecimals(settings.decimals);
    stream.SetInputIsUtf8(settings.inputIsUtf8);
    stream.SetCodePage(codepage::DrawingPage(settings.codePage));
    m_tables.writeHeader(stream, settings);
    m_tables.writeTables(stream, settings);
    dxfstructure::BeginSection(stream, "BLOCKS");
    m_tables.writeBlocks(stream);
    if (blocks)
        if (Failure failure = blocks(stream))
            return failure;
    dxfstructure::EndSection(stream);
    dxfstructure::BeginSection(stream, "ENTITIES");
    if (Failure failure = produce(stream))
        return failure;
    dxfstructure::EndSection(stream);
    dxfgroup::Text(stream, dxfgroup::kStart, "EOF");
    return {};
}
