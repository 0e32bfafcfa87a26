#pragma once

#include "common/CodePage.h"
#include "frt/FrtTypes.h"

#include <cstdint>
#include <string>
#include <vector>

enum ExportFlags : std::int32_t {
    OPT_SYMBOLS = 1,        // points as inserts of their class's symbol block
    OPT_LAYER_PER_CODE = 2, // one layer per code group
    OPT_SEPARATE_LINES = 4, // lines and areas as separate LINE entities; clear: polylines
    OPT_3D = 8,             // heights as z
    // Each symbol insert carries the point's number, height, code and class as attributes
    // (only with symbols: a POINT cannot carry any).
    OPT_POINT_ATTRIBUTES = 16,
    // Names hold ASCII only: Latin letters with marks as their base letters, other letters "_".
    OPT_ASCII_NAMES = 32,
    // Areas with a hatch style get their hatch lines, as an anonymous block inserted once.
    OPT_HATCH = 64,
    // Each element's main entity carries its values and typed attributes as extended data.
    OPT_XDATA = 128,
};

enum LabelKind : std::int32_t {
    LABEL_POINT_ID = 0,
    LABEL_EAST_NORTH = 1,
    LABEL_HEIGHT = 2,
    LABEL_CODE = 3,
    LABEL_AREA = 4,      // an area's stated size, inside the area
    LABEL_LINE_NAME = 5, // a line's name, at the middle of its length
};

struct LabelSpec {
    std::int32_t kind = LABEL_POINT_ID;
    std::string layerName;     // at most 32 characters as entered
    std::int32_t colour = 0;   // DXF colour number
    std::int32_t decimals = 0; // for the easting/northing, height and area labels
};

// The user's choices as the reader and the conversion see them.
struct ExportOptions {
    DataKindFlags dataKinds = DATA_KIND_POINTS | DATA_KIND_LINES | DATA_KIND_AREAS;
    std::int32_t flags = 0;
    double symbolScale = 0.0;        // half the symbol's ground size, in drawing units
    std::vector<LabelSpec> labels;   // in the order point ID, easting/northing, height, code
    std::int32_t heightDecimals = 3; // of the height attribute, as of the height label
    double hatchSpacing = 1.0;       // between hatch lines, in drawing units
    // The drawing's declared code page (see DxfWriteSettings::codePage); null: none.
    const codepage::Page* codePage = nullptr;
};
