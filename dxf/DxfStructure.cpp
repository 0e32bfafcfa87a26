#include "dxf/DxfStructure.h"

#include "common/TextStream.h"
#include "dxf/DxfGroup.h"
#include "dxf/DxfPoint3.h"

namespace dxfstructure {

void BeginSection(TextStream& stream, std::string_view name) {
    dxfgroup::Text(stream, dxfgroup::kStart, "SECTION");
    dxfgroup::Text(stream, dxfgroup::kName, name);
}

void EndSection(TextStream& stream) {
    dxfgroup::Text(stream, dxfgroup::kStart, "ENDSEC");
}

void BeginTable(TextStream& stream, std::string_view name, std::int64_t entries) {
    dxfgroup::Text(stream, dxfgroup::kStart, "TABLE");
    dxfgroup::Text(stream, dxfgroup::kName, name);
    dxfgroup::Int(stream, dxfgroup::kFlags, entries);
}

void EndTable(TextStream& stream) {
    dxfgroup::Text(stream, dxfgroup::kStart, "ENDTAB");
}

void BeginBlock(TextStream& stream, std::string_view name, std::int64_t flags, const DxfPoint3& base) {
    dxfgroup::Text(stream, dxfgroup::kStart, "BLOCK");
    dxfgroup::Text(stream, dxfgroup::kName, name);
    dxfgroup::Int(stream, dxfgroup::kFlags, flags);
    base.writePoint(stream, 0);
    dxfgroup::Text(stream, dxfgroup::kDescription, name);
}

void EndBlock(TextStream& stream) {
    dxfgroup::Text(stream, dxfgroup::kStart, "ENDBLK");
}

void Variable(TextStream& stream, std::string_view name) {
    dxfgroup::Text(stream, dxfgroup::kVariable, name);
}

} // namespace dxfstructure
