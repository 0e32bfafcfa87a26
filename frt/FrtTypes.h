#pragma once

#include <cstdint>
#include <string_view>

enum FrtElementType : std::int32_t {
    FRT_ELEMENT_POINT = 1,
    FRT_ELEMENT_LINE = 2,
    FRT_ELEMENT_AREA = 4,
};

// Which sections the reader reads: a bit set of these values.
using DataKindFlags = std::int32_t;
enum : DataKindFlags {
    DATA_KIND_POINTS = 1,
    DATA_KIND_LINES = 2,
    DATA_KIND_AREAS = 4,
};

enum PointClass : std::int32_t {
    POINT_CLASS_CONTROL = 1,
    POINT_CLASS_ADJUSTED = 2,
    POINT_CLASS_REFERENCE = 3,
    POINT_CLASS_AVERAGED = 4,
    POINT_CLASS_MEASURED = 5,
    POINT_CLASS_NAVIGATED = 6,
    POINT_CLASS_ESTIMATED = 7,
    POINT_CLASS_INDEFINITED = 8,
};

enum LineStyle : std::int32_t {
    LINE_STYLE_UNSET = -1, // no or an unknown "LSTYLE": no line type of its own
    LINE_STYLE_SOLID = 0,
    LINE_STYLE_DASH = 1,
    LINE_STYLE_DOT = 2,
    LINE_STYLE_DASHDOT = 3,
    LINE_STYLE_DASHDOTDOT = 4,
};

enum HatchStyle : std::int32_t {
    HATCH_STYLE_NONE = 0,
    HATCH_STYLE_HORIZONTAL = 1,
    HATCH_STYLE_VERTICAL = 2,
    HATCH_STYLE_FDIAGONAL = 3,
    HATCH_STYLE_BDIAGONAL = 4,
    HATCH_STYLE_CROSS = 5,
    HATCH_STYLE_DIACROSS = 6,
};

namespace frttypes {

// Name tables and the record texts that select each value.
std::string_view PointClassName(std::int32_t pointClass);
PointClass PointClassFromText(std::string_view pclass);
std::string_view LineTypeName(std::int32_t style);
// Returns false when the text names no style.
bool LineStyleFromText(std::string_view lstyle, LineStyle& style);
HatchStyle HatchStyleFromText(std::string_view sstyle);
// The survey's text of a hatch style ("0 Horizontal"), or empty for none.
std::string_view HatchStyleText(std::int32_t style);

} // namespace frttypes
