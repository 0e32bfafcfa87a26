#pragma once

#include <cstdint>
#include <string_view>

class TextStream;
struct DxfPoint3;

// The frame of a DXF file: sections, tables and header variables by their group codes.
namespace dxfstructure {

void BeginSection(TextStream& stream, std::string_view name);
void EndSection(TextStream& stream);
// A table with the number of its entries.
void BeginTable(TextStream& stream, std::string_view name, std::int64_t entries);
void EndTable(TextStream& stream);
// A block definition with its flags and base point; its entities follow, then EndBlock.
void BeginBlock(TextStream& stream, std::string_view name, std::int64_t flags, const DxfPoint3& base);
void EndBlock(TextStream& stream);
// The name of a header variable; its value groups follow.
void Variable(TextStream& stream, std::string_view name);

} // namespace dxfstructure
