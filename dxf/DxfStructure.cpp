#include "dxf/DxfStructure.h"

#include "common/TextStream.h"
#include "dxf/DxfGroup.h"

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

void Variable(TextStream& stream, std::string_view name) {
    dxfgroup::Text(stream, dxfgroup::kVariable, name);
}

} // namespace dxfstructure
