#pragma once

#include "dxf/CDxfDocumentBase.h"
#include "dxf/CDxfTables.h"

#include <deque>
#include <memory>
#include <vector>

class AtomicFile;
class TextStream;

// The drawing in memory and its writer. It owns its entities and the entities of its blocks,
// and derives the layer table and the extents from the entities as they are added.
class CDxfDocument : public CDxfDocumentBase {
public:
    CDxfDocument() = default;

    // Takes the entity, records its layer, widens the extents by its position (by every
    // vertex for a polyline) and returns it.
    CDxfEntity* addEntity(std::unique_ptr<CDxfEntity> entity) override;
    // Stores the block unless one of that name exists (then the block stays with the caller).
    bool addBlock(CDxfBlock&& block) { return m_tables.addBlock(std::move(block)); }

    // Writes the whole file so that the path holds either its old content or the complete
    // drawing. Advances the progress reporter by one per top-level entity.
    DxfWriteResult write(const std::string& path, const DxfWriteSettings* settings) const override;
    DxfWriteResult write(AtomicFile& file, const DxfWriteSettings& settings) const;
    // The whole DXF text to a stream.
    void writeTo(TextStream& stream, const DxfWriteSettings& settings) const;

    std::int32_t entityCount() const override { return static_cast<std::int32_t>(m_entities.size()); }
    const CDxfTables& tables() const { return m_tables; }
    const std::deque<std::unique_ptr<CDxfEntity>>& entities() const { return m_entities; }

private:
    std::deque<std::unique_ptr<CDxfEntity>> m_entities; // a deque: no doubling of millions of slots
    CDxfTables m_tables;
    std::vector<bool> m_pairSeen; // names pairs whose layer is already recorded
};
