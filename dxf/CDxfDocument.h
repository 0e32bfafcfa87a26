#pragma once

#include "dxf/CDxfEntity.h"
#include "dxf/CDxfTables.h"
#include "dxf/DxfWriteSettings.h"
#include "dxf/IEntityObserver.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

class TextStream;

// The drawing and its writer. It derives the layer table and the extents from the entities as
// they are added, and owns its blocks; it holds no entity. A conversion uses it in two passes:
// the first only measures (as it is made), the second streams each entity to the file as it
// comes (streamTo), after the prologue that the first made possible.
class CDxfDocument {
public:
    CDxfDocument() = default;
    CDxfDocument(const CDxfDocument&) = delete;
    CDxfDocument& operator=(const CDxfDocument&) = delete;

    // Counts the entity, records its layer and widens the extents by its position (by every
    // vertex for a polyline), and writes it when streaming. The entity stays with the caller, who
    // may change it and add it again: a conversion makes millions of entities of a few shapes,
    // and making and dropping an object for each cost about a twentieth of its CPU time.
    void add(const CDxfEntity& entity);
    // Adds the entity once `fill` has given it what only a written entity shows (a label's text,
    // an insert's block name and attribute values). A document that only measures counts the
    // entity without calling it: both passes make every entity the same way, and the first does
    // not build what it never reads.
    template <class Entity, class Fill> void add(Entity& entity, Fill&& fill) {
        if (m_stream != nullptr)
            fill(entity);
        add(entity);
    }
    // From now on each entity is written to the stream the moment it is added, and not kept: the
    // second pass, after the prologue that the first pass made possible.
    void streamTo(TextStream& stream);
    // Who hears of each entity streamed; none by default.
    void observeStreamed(IEntityObserver* observer) { m_observer = observer; }
    // Takes the count, layers and extents of a document that measured or streamed the entities
    // that come after this one's.
    void merge(const CDxfDocument& later);
    // Renames the layers (CDxfLayerTable::rename): a measured document, before its tables are
    // written with the names the drawing gives them.
    void renameLayers(const std::function<std::string(const std::string&)>& rename) {
        m_tables.layers().rename(rename);
    }
    // The id of the named layer once an entity on it was added, which later entities' attributes
    // may carry (DxfAttributes::setLayer) to be counted without a look-up; kNoLayerId before.
    [[nodiscard]] DxfLayerId layerId(std::string_view name) const { return m_tables.layers().idOf(name); }
    // Stores the block unless one of that name exists (then the block stays with the caller).
    bool addBlock(CDxfBlock&& block) { return m_tables.addBlock(std::move(block)); }

    // Writes the drawing's DXF text to the stream, in the settings' decimals and code page: this
    // document's prologue, the entities that `produce` adds to a document streaming to it
    // (streamTo), and the end of the file. `produce` returns why it failed, or no failure; the
    // writer's failure, if any. Where the stream goes (a file, and how it is put in place) is the
    // caller's.
    // `blocks`, if given, writes block definitions after this document's own, the same way.
    using EntityWriter = std::function<Failure(TextStream&)>;
    Failure writeTo(TextStream& stream, const DxfWriteSettings& settings, const EntityWriter& produce,
                    const EntityWriter& blocks = {}) const;
    // While streaming, the entities added from now on until endBlock() make a block definition
    // (the section's, when blocks are written); a document that measures writes nothing.
    void beginBlock(std::string_view name, std::int64_t flags, const DxfPoint3& base);
    void endBlock();
    [[nodiscard]] bool streams() const { return m_stream != nullptr; }

    [[nodiscard]] std::int32_t entityCount() const { return m_count; }
    // The entities added of one kind; VERTEX counts the vertices of the polylines, ATTRIB the
    // attributes of the inserts.
    [[nodiscard]] std::uint64_t entitiesOfType(DxfEntityType type) const {
        return m_typeCounts[TypeIndex(type)];
    }
    [[nodiscard]] const CDxfTables& tables() const { return m_tables; }

private:
    // Counts an entity: its kind, its layer (none without attributes), its position (none for a
    // LINE or a POLYLINE).
    void countEntity(DxfEntityType type, const DxfAttributes* attributes, const DxfPoint3* position);
    // Counts a polyline's vertex, after its polyline.
    void countVertex(const DxfPoint3& position);

    // By the entity type's bit: 1 VERTEX, 2 POINT ... 2048 ATTDEF.
    static constexpr std::size_t kTypeSlots = 12;
    static std::size_t TypeIndex(std::int32_t type);

    std::int32_t m_count = 0;
    std::array<std::uint64_t, kTypeSlots> m_typeCounts{};
    TextStream* m_stream = nullptr; // while streaming
    IEntityObserver* m_observer = nullptr;
    CDxfTables m_tables;
};
