#pragma once

#include "dxf/CDxfLayer.h"
#include "dxf/DxfAttributes.h"

#include <cstddef>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// A document's layers, each name once. It hands out an id per layer, which entities carry in
// their attributes so that counting millions of them on a few dozen layers needs no look-up by
// name. Ids hold until the layers are renamed; an id of another table, or one from before the
// renaming, is told by the table's number, and the name is looked up instead.
class CDxfLayerTable {
public:
    CDxfLayerTable();

    // Counts an entity with these attributes on its layer, recorded now from them if it is new:
    // the first entity on a layer fixes its line type and colour.
    void count(const DxfAttributes& attributes) {
        const DxfLayerId id = attributes.layerId();
        ++m_layers[id.table == m_number ? id.index : record(attributes)].entities;
    }
    // The id of the named layer, once an entity on it was counted; kNoLayerId before.
    [[nodiscard]] DxfLayerId idOf(std::string_view name) const;

    [[nodiscard]] const CDxfLayer* find(std::string_view name) const;
    // The attributes' layer (found by their id where they carry this table's), or null.
    [[nodiscard]] const CDxfLayer* of(const DxfAttributes& attributes) const;

    // Records the other's layers, in the order it met them, where this has none of that name,
    // and adds their entities: as if this had seen the other's entities after its own.
    void merge(const CDxfLayerTable& later);
    // Gives every layer the name `rename` gives its name, in the order they were met: layers
    // that get one name become one, with the line type and colour of the first met and the
    // entities of all. The ids handed out before no longer hold.
    void rename(const std::function<std::string(const std::string&)>& rename);

private:
    using Ids = std::map<std::string, std::uint32_t, std::less<>>; // the layers' places by name

public:
    // The layers by name, byte-wise, as the drawing lists them.
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = CDxfLayer;
        using difference_type = std::ptrdiff_t;
        using pointer = const CDxfLayer*;
        using reference = const CDxfLayer&;

        const_iterator(const CDxfLayerTable& table, Ids::const_iterator at) : m_table(&table), m_at(at) {}
        reference operator*() const { return m_table->m_layers[m_at->second]; }
        pointer operator->() const { return &**this; }
        const_iterator& operator++() {
            ++m_at;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator was = *this;
            ++m_at;
            return was;
        }
        bool operator==(const const_iterator& other) const { return m_at == other.m_at; }
        bool operator!=(const const_iterator& other) const { return m_at != other.m_at; }

    private:
        const CDxfLayerTable* m_table;
        Ids::const_iterator m_at;
    };
    [[nodiscard]] const_iterator begin() const { return {*this, m_ids.begin()}; }
    [[nodiscard]] const_iterator end() const { return {*this, m_ids.end()}; }
    [[nodiscard]] std::size_t size() const { return m_layers.size(); }
    [[nodiscard]] bool empty() const { return m_layers.empty(); }

private:
    // The named layer's place, recorded now with the line type and colour if it is new.
    std::uint32_t record(std::string_view name, std::string_view lineType, std::int32_t colour);
    std::uint32_t record(const DxfAttributes& attributes);

    std::uint64_t m_number;          // in the ids this table hands out
    std::vector<CDxfLayer> m_layers; // in the order met
    Ids m_ids;
};
