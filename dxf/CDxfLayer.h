#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A name's slot in a small cache of the few dozen code groups a drawing has: length and end
// bytes tell them apart well enough, at a fraction of a full hash's cost.
inline std::size_t NameSlot(std::string_view name, std::size_t slots) {
    if (name.empty())
        return 0;
    return (name.size() * 31U + std::size_t{static_cast<unsigned char>(name.front())} * 7U +
            std::size_t{static_cast<unsigned char>(name.back())}) %
           slots;
}

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
