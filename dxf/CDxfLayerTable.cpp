#include "dxf/CDxfLayerTable.h"

#include "dxf/DxfAttributes.h"

DxfLayerId CDxfLayerTable::record(std::string_view name, std::string_view lineType, std::int32_t colour) {
    if (const auto found = m_ids.find(name); found != m_ids.end())
        return found->second;
    const auto id = static_cast<DxfLayerId>(m_layers.size());
    m_layers.push_back(CDxfLayer{std::string(name), std::string(lineType), colour, 0});
    m_ids.emplace(std::string(name), id);
    return id;
}

void CDxfLayerTable::count(const DxfAttributes& attributes) {
    DxfLayerId id = carried(attributes);
    if (id == kNoLayerId)
        id = record(attributes.layer(), attributes.lineType(), attributes.colour);
    ++m_layers[id].entities;
}

DxfLayerId CDxfLayerTable::idOf(std::string_view name) const {
    const auto found = m_ids.find(name);
    return found != m_ids.end() ? found->second : kNoLayerId;
}

DxfLayerId CDxfLayerTable::carried(const DxfAttributes& attributes) const {
    const DxfLayerId id = attributes.layerId();
    // Names are unique: an entry of the attributes' name is their layer, whoever gave the id.
    return id < m_layers.size() && m_layers[id].name == attributes.layer() ? id : kNoLayerId;
}

const CDxfLayer* CDxfLayerTable::find(std::string_view name) const {
    const DxfLayerId id = idOf(name);
    return id != kNoLayerId ? &m_layers[id] : nullptr;
}

const CDxfLayer* CDxfLayerTable::of(const DxfAttributes& attributes) const {
    const DxfLayerId id = carried(attributes);
    return id != kNoLayerId ? &m_layers[id] : find(attributes.layer());
}

void CDxfLayerTable::merge(const CDxfLayerTable& later) {
    for (const CDxfLayer& layer : later.m_layers)
        m_layers[record(layer.name, layer.lineType, layer.colour)].entities += layer.entities;
}

void CDxfLayerTable::rename(const std::function<std::string(const std::string&)>& rename) {
    CDxfLayerTable given;
    std::swap(given, *this);
    for (const CDxfLayer& layer : given.m_layers)
        m_layers[record(rename(layer.name), layer.lineType, layer.colour)].entities += layer.entities;
}
