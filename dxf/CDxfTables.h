#pragma once

#include "dxf/CDxfBlock.h"
#include "dxf/CDxfLayer.h"
#include "dxf/DxfPoint3.h"
#include "dxf/DxfWriteSettings.h"

#include <functional>
#include <limits>
#include <map>
#include <set>
#include <string>

class TextStream;

// Everything of the document besides its entity list: extents, layers and blocks.
class CDxfTables {
public:
    CDxfTables();
    CDxfTables(const CDxfTables&) = delete;
    CDxfTables& operator=(const CDxfTables&) = delete;
    virtual ~CDxfTables() = default;

    void widenExtents(const DxfPoint3& point);
    // Whether no position widened the extents yet.
    [[nodiscard]] bool isEmpty() const { return !(m_extMin.x <= m_extMax.x); }
    // Adds the layer unless one of that name exists: the first entity on a layer fixes it.
    // Returns the layer's entry, which stays where it is until the layers are renamed.
    const CDxfLayer& recordLayer(std::string_view name, std::string_view lineType, std::int32_t colour);
    // Widens the extents by another's and records its layers where this has none of that name:
    // as if this had seen the other's entities after its own.
    void merge(const CDxfTables& later);
    // Gives every layer the name `rename` gives its name, in the order they were met: layers
    // that get one name become one, with the line type and colour of the first met and the
    // entities of all.
    void renameLayers(const std::function<std::string(const std::string&)>& rename);
    // Stores the block unless one of its name exists; then the block stays untouched with the
    // caller, and the result is false.
    bool addBlock(CDxfBlock&& block);

    void writePrologue(TextStream& stream, const DxfWriteSettings& settings) const;
    void writeHeader(TextStream& stream, const DxfWriteSettings& settings) const;
    void writeTables(TextStream& stream) const;
    void writeBlocks(TextStream& stream) const;

    [[nodiscard]] const DxfPoint3& extMin() const { return m_extMin; }
    [[nodiscard]] const DxfPoint3& extMax() const { return m_extMax; }
    [[nodiscard]] const std::set<CDxfLayer, CDxfLayerLess>& layers() const { return m_layers; }
    [[nodiscard]] const std::map<std::string, CDxfBlock>& blocks() const { return m_blocks; }

private:
    DxfPoint3 m_extMin;
    DxfPoint3 m_extMax;
    std::set<CDxfLayer, CDxfLayerLess> m_layers; // in the order they are written
    std::map<std::string, CDxfBlock> m_blocks;
};
