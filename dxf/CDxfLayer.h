#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// One layer-table entry: the line type and colour of the first entity that used the layer.
struct CDxfLayer {
    std::string name;
    std::string lineType;
    std::int32_t colour = 0;
    // The top-level entities on the layer, counted as they are added (not part of the order).
    mutable std::uint64_t entities = 0;
};

// Orders layers byte-wise by name, also against a bare name.
struct CDxfLayerLess {
    using is_transparent = void;
    bool operator()(const CDxfLayer& a, const CDxfLayer& b) const { return a.name < b.name; }
    bool operator()(const CDxfLayer& a, std::string_view b) const { return a.name < b; }
    bool operator()(std::string_view a, const CDxfLayer& b) const { return a < b.name; }
};
