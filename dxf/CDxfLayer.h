#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A name's slot in a small cache of the few dozen layers (or code groups) a drawing has: length
// and end bytes tell them apart well enough, at a fraction of a full hash's cost.
inline std::size_t NameSlot(std::string_view name, std::size_t slots) {
    if (name.empty())
        return 0;
    return (name.size() * 31U + std::size_t{static_cast<unsigned char>(name.front())} * 7U +
            std::size_t{static_cast<unsigned char>(name.back())}) %
           slots;
}

// One layer-table entry: the line type and colour of the first entity that used the layer.
struct CDxfLayer {
    std::string name;
    std::string lineType;
    std::int32_t colour = 0;
    // The top-level entities on the layer, counted as they are added (not part of the order).
    mutable std::uint64_t entities = 0;
    // When the layer was first met among the document's layers: 0 first.
    std::uint64_t met = 0;
};

// Orders layers byte-wise by name, also against a bare name.
struct CDxfLayerLess {
    using is_transparent = void;
    bool operator()(const CDxfLayer& a, const CDxfLayer& b) const { return a.name < b.name; }
    bool operator()(const CDxfLayer& a, std::string_view b) const { return a.name < b; }
    bool operator()(std::string_view a, const CDxfLayer& b) const { return a < b.name; }
};
