#include "dxf/CDxfLayerTable.h"

#include <atomic>

namespace {

// Tables are made on several threads; each gets a number no other one had.
std::uint64_t NewNumber() {
    static std::atomic<std::uint64_t> made{0};
    return ++made;
}

} // namespace

CDxfLayerTable::CDxfLayerTable() : m_number(NewNumber()) {}

std::uint32_t CDxfLayerTable::record(std::string_view name, std::string_view lineType, std::int32_t colour) {
    if (const auto found = m_ids.find(name); found != m_ids.end())
        return found->second;
    const auto index = static_cast<std::uint32_t>(m_layers.size());
    m_layers.push_back(CDxfLayer{std::string(name), std::string(lineType), colour, 0});
    m_ids.emplace(std::string(name), index);
    return index;
}

std::uint32_t CDxfLayerTable::record(const DxfAttributes& attributes) {
    return record(attributes.layer(), attributes.lineType(), attributes.colour);
}

DxfLayerId CDxfLayerTable::idOf(std::string_view name) const {
    const auto found = m_ids.find(name);
    return found != m_ids.end() ? DxfLayerId{m_number, found->second} : kNoLayerId;
}

const CDxfLayer* CDxfLayerTable::find(std::string_view name) const {
    const auto found = m_ids.find(name);
    return found != m_ids.end() ? &m_layers[found->second] : nullptr;
}

const CDxfLayer* CDxfLayerTable::of(const DxfAttributes& attributes) const {
    const DxfLayerId id = attributes.layerId();
    return id.table == m_number ? &m_layers[id.index] : find(attributes.layer());
}

void CDxfLayerTable::merge(const CDxfLayerTable& later) {
    for (const CDxfLayer& layer : later.m_layers)
        m_layers[record(layer.name, layer.lineType, layer.colour)].entities += layer.entities;
}

void CDxfLayerTable::rename(const std::function<std::string(const std::string&)>& rename) {
    // The table that takes this one's place has a new number: the ids of the old names go.
    CDxfLayerTable given;
    std::swap(given, *this);
    for (const CDxfLayer& layer : given.m_layers)
        m_layers[record(rename(layer.name), layer.lineType, layer.colour)].entities += layer.entities;
}
