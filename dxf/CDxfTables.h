#pragma once

#include "dxf/CDxfBlock.h"
#include "dxf/CDxfLayerTable.h"
#include "dxf/DxfPoint3.h"
#include "dxf/DxfWriteSettings.h"

#include <limits>
#include <map>
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
    // Widens the extents by another's and merges its layers (CDxfLayerTable::merge): as if this
    // had seen the other's entities after its own.
    void merge(const CDxfTables& later);
    // Stores the block unless one of its name exists; then the block stays untouched with the
    // caller, and the result is false.
    bool addBlock(CDxfBlock&& block);

    void writeHeader(TextStream& stream, const DxfWriteSettings& settings) const;
    void writeTables(TextStream& stream, const DxfWriteSettings& settings) const;
    // The blocks' definitions, without the section's frame.
    void writeBlocks(TextStream& stream) const;

    [[nodiscard]] const DxfPoint3& extMin() const { return m_extMin; }
    [[nodiscard]] const DxfPoint3& extMax() const { return m_extMax; }
    [[nodiscard]] const CDxfLayerTable& layers() const { return m_layers; }
    CDxfLayerTable& layers() { return m_layers; }
    [[nodiscard]] const std::map<std::string, CDxfBlock>& blocks() const { return m_blocks; }

private:
    DxfPoint3 m_extMin;
    DxfPoint3 m_extMax;
    CDxfLayerTable m_layers;
    std::map<std::string, CDxfBlock> m_blocks;
};
