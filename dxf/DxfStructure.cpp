#include "dxf/DxfStructure.h"

#include "common/TextStream.h"

namespace dxfstructure {

void BeginSection(TextStream& stream, std::string_view name) {
    stream.GroupText("  0", "SECTION");
    stream.GroupText("  2", name);
}

void EndSection(TextStream& stream) {
    stream.GroupText("  0", "ENDSEC");
}

void BeginTable(TextStream& stream, std::string_view name, std::int64_t entries) {
    stream.GroupText("  0", "TABLE");
    stream.GroupText("  2", name);
    stream.GroupInt(" 70", entries);
}

void EndTable(TextStream& stream) {
    stream.GroupText("  0", "ENDTAB");
}

void Variable(TextStream& stream, std::string_view name) {
    stream.GroupText("  9", name);
}

} // namespace dxfstructure
