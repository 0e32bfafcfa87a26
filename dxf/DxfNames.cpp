#include "dxf/DxfNames.h"

#include "dxf/DxfTextGroup.h"

#include <deque>
#include <string>
#include <unordered_map>

namespace dxfnames {
namespace {

struct Table {
    struct Entry {
        std::string lineType;
        std::string layer;
        std::string layerText; // as written
    };
    std::deque<Entry> entries; // a deque keeps the texts in place as it grows
    std::unordered_map<std::string, PairId> ids;
    PairId last = 0; // entities come in runs on one layer: ask the map only when the pair changes
    bool hasLast = false;
};

Table& TheTable() {
    // Never destroyed: attributes of static objects may still be read during static destruction.
    static auto* const table = new Table(); // NOLINT(cppcoreguidelines-owning-memory)
    return *table;
}

} // namespace

PairId Intern(std::string_view lineType, std::string_view layer) {
    lineType = Fit(lineType);
    layer = Fit(layer);
    Table& table = TheTable();
    if (table.hasLast && table.entries[table.last].layer == layer &&
        table.entries[table.last].lineType == lineType)
        return table.last;
    // The key keeps both texts apart with their lengths, so no pair of texts collides.
    std::string key;
    key.reserve(lineType.size() + layer.size() + 4);
    key.append(std::to_string(lineType.size())).append(1, ':').append(lineType).append(layer);
    const auto found = table.ids.find(key);
    PairId id = 0;
    if (found != table.ids.end()) {
        id = found->second;
    } else {
        id = static_cast<PairId>(table.entries.size());
        table.entries.push_back({std::string(lineType), std::string(layer), dxftext::CaretEncoded(layer)});
        table.ids.emplace(std::move(key), id);
    }
    table.last = id;
    table.hasLast = true;
    return id;
}

std::string_view LineType(PairId id) {
    return TheTable().entries[id].lineType;
}

std::string_view Layer(PairId id) {
    return TheTable().entries[id].layer;
}

std::string_view LayerText(PairId id) {
    return TheTable().entries[id].layerText;
}

PairId Default() {
    static const PairId id = Intern("", "0");
    return id;
}

} // namespace dxfnames
