#include "dxf/DxfNames.h"

#include "dxf/DxfTextGroup.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unordered_map>

namespace dxfnames {
namespace {

struct Entry {
    std::string lineType;
    std::string layer;
    std::string layerText; // as written
};

// Entries live in chunks that never move, so an entry is read without a lock by the thread that
// got its id from Intern, while other threads add pairs.
struct Table {
    static constexpr std::size_t kChunkBits = 10;
    static constexpr std::size_t kChunkSize = std::size_t{1} << kChunkBits;
    static constexpr std::size_t kChunks = std::size_t{1} << 16;

    std::array<std::atomic<Entry*>, kChunks> chunks{};
    std::mutex mutex; // guards ids, count and new chunks
    std::unordered_map<std::string, PairId> ids;
    std::size_t count = 0;

    const Entry& At(PairId id) const {
        return chunks[id >> kChunkBits].load(std::memory_order_acquire)[id & (kChunkSize - 1)];
    }
};

Table& TheTable() {
    // Never destroyed: attributes of static objects may still be read during static destruction.
    static auto* const table = new Table(); // NOLINT(cppcoreguidelines-owning-memory)
    return *table;
}

// A point and its labels take turns on a few dozen layers: each thread remembers the pair it
// met last in each slot of a small table and asks the map (and its lock) only for others.
struct RecentPairs {
    static constexpr std::size_t kSize = 64;
    std::array<PairId, kSize> ids{};
    std::array<bool, kSize> used{};

    static std::size_t SlotOf(std::string_view lineType, std::string_view layer) {
        const std::size_t hash =
            std::hash<std::string_view>{}(layer)*31 + std::hash<std::string_view>{}(lineType);
        return hash % kSize;
    }
};
thread_local RecentPairs t_recent;

} // namespace

PairId Intern(std::string_view lineType, std::string_view layer) {
    lineType = Fit(lineType);
    layer = Fit(layer);
    Table& table = TheTable();
    const std::size_t slot = RecentPairs::SlotOf(lineType, layer);
    if (t_recent.used[slot]) {
        const Entry& entry = table.At(t_recent.ids[slot]);
        if (entry.layer == layer && entry.lineType == lineType)
            return t_recent.ids[slot];
    }
    // The key keeps both texts apart with their lengths, so no pair of texts collides.
    std::string key;
    key.reserve(lineType.size() + layer.size() + 4);
    key.append(std::to_string(lineType.size())).append(1, ':').append(lineType).append(layer);
    const std::lock_guard<std::mutex> lock(table.mutex);
    PairId id = 0;
    if (const auto found = table.ids.find(key); found != table.ids.end()) {
        id = found->second;
    } else {
        if (table.count == Table::kChunkSize * Table::kChunks)
            throw std::bad_alloc(); // 67 million distinct pairs
        id = static_cast<PairId>(table.count);
        std::atomic<Entry*>& chunk = table.chunks[id >> Table::kChunkBits];
        if (chunk.load(std::memory_order_relaxed) == nullptr)
            chunk.store(std::make_unique<Entry[]>(Table::kChunkSize).release(), std::memory_order_release);
        chunk.load(std::memory_order_relaxed)[id & (Table::kChunkSize - 1)] =
            Entry{std::string(lineType), std::string(layer), dxftext::CaretEncoded(layer)};
        ++table.count;
        table.ids.emplace(std::move(key), id);
    }
    t_recent.ids[slot] = id;
    t_recent.used[slot] = true;
    return id;
}

std::string_view LineType(PairId id) {
    return TheTable().At(id).lineType;
}

std::string_view Layer(PairId id) {
    return TheTable().At(id).layer;
}

std::string_view LayerText(PairId id) {
    return TheTable().At(id).layerText;
}

PairId Default() {
    static const PairId id = Intern("", "0");
    return id;
}

} // namespace dxfnames
