#pragma once

#include <cstdint>
#include <string>

// A layer's id in one document's layer table (CDxfLayerTable): the table's number, which no other
// table has had, and the layer's place in the order the layers were met.
struct DxfLayerId {
    std::uint64_t table = 0; // 0: none
    std::uint32_t index = 0;
    bool operator==(const DxfLayerId& other) const { return table == other.table && index == other.index; }
    bool operator!=(const DxfLayerId& other) const { return !(*this == other); }
};
inline constexpr DxfLayerId kNoLayerId{};

// One layer-table entry: the line type and colour of the first entity that used the layer.
struct CDxfLayer {
    std::string name;
    std::string lineType;
    std::int32_t colour = 0;
    // The top-level entities on the layer, counted as they are added.
    std::uint64_t entities = 0;
};
