#pragma once

#include "dxf/CDxfEntity.h"
#include "dxf/CDxfTables.h"
#include "dxf/DxfWriteSettings.h"
#include "dxf/IEntityObserver.h"

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class AtomicFile;
class TextStream;

// The drawing and its writer. It derives the layer table and the extents from the entities as
// they are added, and owns its blocks. A conversion uses it in two passes: the first only
// measures (measureOnly), the second streams each entity to the file as it comes (streamTo), so
// no entity is held. Left as it is made, it keeps its entities, for a small drawing written at
// once (write) and for the tests that look at the entities made.
class CDxfDocument {
public:
    CDxfDocument();
    CDxfDocument(const CDxfDocument&) = delete;
    CDxfDocument& operator=(const CDxfDocument&) = delete;

    // Takes the entity, records its layer, widens the extents by its position (by every
    // vertex for a polyline) and returns it. When the document measures or streams, the entity
    // is counted and dropped (written first, when streaming) and the result is null.
    CDxfEntity* addEntity(std::unique_ptr<CDxfEntity> entity);
    // Adds the entity as addEntity does but leaves it with the caller, who may change it and add
    // it again: a conversion makes millions of entities of a few shapes, and making and dropping
    // an object for each cost about a twentieth of its CPU time. A document that keeps its
    // entities keeps a copy.
    template <class Entity> void addCopyOf(const Entity& entity) {
        if (m_keeping == Keeping::All)
            addEntity(std::make_unique<Entity>(entity));
        else
            take(entity);
    }
    // Adds the entity as addCopyOf does, once `fill` has given it what only a written entity
    // shows (a label's text, an insert's block name and attribute values). A document that only
    // measures counts the entity without calling it: both passes make every entity the same
    // way, and the first does not build what it never reads.
    template <class Entity, class Fill> void addCopyOf(Entity& entity, Fill&& fill) {
        if (m_keeping != Keeping::MeasureOnly)
            fill(entity);
        addCopyOf(entity);
    }
    // From now on entities are only measured (layers, extents, count), not kept: the first pass
    // of a conversion that writes in two passes, so memory does not grow with the input.
    void measureOnly();
    // From now on each entity is written to the stream the moment it is added, and not kept: the
    // second pass, after the prologue that the first pass made possible.
    void streamTo(TextStream& stream);
    // Whether each entity is written the moment it is added (streamTo).
    [[nodiscard]] bool streams() const { return m_keeping == Keeping::Stream; }
    // Who hears of each entity streamed; none by default.
    void observeStreamed(IEntityObserver* observer) { m_observer = observer; }
    // Takes the count, layers and extents of a document that measured or streamed the entities
    // that come after this one's.
    void merge(const CDxfDocument& later);
    // Renames the layers (CDxfTables::renameLayers): a measured document, before its tables are
    // written with the names the drawing gives them.
    void renameLayers(const std::function<std::string(const std::string&)>& rename);
    // Stores the block unless one of that name exists (then the block stays with the caller).
    bool addBlock(CDxfBlock&& block) { return m_tables.addBlock(std::move(block)); }

    // Writes the whole file so that the path holds either its old content or the complete
    // drawing.
    DxfWriteResult write(const std::string& path, const DxfWriteSettings* settings) const;
    DxfWriteResult write(AtomicFile& file, const DxfWriteSettings& settings) const;
    // Writes the file like write, but with the entities that `produce` adds to a document
    // streaming to the file (streamTo) between this document's prologue and the end of the file.
    // `produce` returns why it failed, or no failure; on a failure the target stays as it was.
    using EntityWriter = std::function<Failure(TextStream&)>;
    [[nodiscard]] DxfWriteResult writeStreaming(const std::string& path, const DxfWriteSettings& settings,
                                                const EntityWriter& produce) const;
    // The whole DXF text to a stream.
    void writeTo(TextStream& stream, const DxfWriteSettings& settings) const;

    [[nodiscard]] std::int32_t entityCount() const { return m_count; }
    // The entities added of one kind; VERTEX counts the vertices of the polylines, ATTRIB the
    // attributes of the inserts.
    [[nodiscard]] std::uint64_t entitiesOfType(DxfEntityType type) const {
        return m_typeCounts[TypeIndex(type)];
    }
    [[nodiscard]] const CDxfTables& tables() const { return m_tables; }
    [[nodiscard]] const std::deque<std::unique_ptr<CDxfEntity>>& entities() const { return m_entities; }

private:
    // The prologue, the ENTITIES section with what `entities` writes, and the end of the file;
    // the writer's failure, if any.
    Failure writeFramed(TextStream& stream, const DxfWriteSettings& settings,
                        const EntityWriter& entities) const;
    Failure writeEntities(TextStream& stream) const;
    // Counts the entity, and writes it when streaming.
    void take(const CDxfEntity& entity);
    // Counts an entity: its kind, its layer (none without attributes), its position (none for a
    // LINE or a POLYLINE).
    void countEntity(DxfEntityType type, const DxfAttributes* attributes, const DxfPoint3* position);
    // Counts a polyline's vertex, after its polyline.
    void countVertex(const DxfPoint3& position);
    void recordLayerOf(const DxfAttributes& attributes);
    DxfWriteResult writeFile(AtomicFile& file, const DxfWriteSettings& settings,
                             const EntityWriter& entities) const;

    enum class Keeping { All, MeasureOnly, Stream };

    std::deque<std::unique_ptr<CDxfEntity>> m_entities; // only when kept
    // By the entity type's bit: 1 VERTEX, 2 POINT ... 2048 ATTDEF.
    static constexpr std::size_t kTypeSlots = 12;
    static std::size_t TypeIndex(std::int32_t type);

    std::int32_t m_count = 0;
    std::array<std::uint64_t, kTypeSlots> m_typeCounts{};
    Keeping m_keeping = Keeping::All;
    TextStream* m_stream = nullptr;
    IEntityObserver* m_observer = nullptr;
    CDxfTables m_tables;
    struct KnownLayer {
        std::string name;
        const CDxfLayer* entry = nullptr; // null: the slot is empty
    };
    std::array<KnownLayer, 64> m_knownLayers; // layers already recorded, by a hash of the name
    std::uint64_t m_serial;                   // tells this document's entries in DxfAttributes::recordedLayer
};
