#pragma once

#include <cstdint>
#include <string_view>

// Layer and line-type names repeat across millions of entities, so each entity holds one 32-bit
// number for its (line type, layer) pair; the texts live once in a process-wide table. The
// table only grows, by one entry per distinct pair; several threads may use it at once.
namespace dxfnames {

using PairId = std::uint32_t;

// The longest text a DXF field of this system holds; longer texts are cut.
constexpr std::size_t kMaxText = 256;

PairId Intern(std::string_view lineType, std::string_view layer);
std::string_view LineType(PairId id);
std::string_view Layer(PairId id);
// The layer name as the file holds it, control characters in caret notation: made once per pair.
std::string_view LayerText(PairId id);
// The pair of an empty line type on layer "0": the attributes' default.
PairId Default();
// Cuts a text to the field limit.
inline std::string_view Fit(std::string_view text) {
    return text.substr(0, kMaxText);
}

} // namespace dxfnames
