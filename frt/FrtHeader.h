#pragma once

#include <string>

// What a file's "[Header]" says it is for.
enum FrtFormat {
    FRT_FORMAT_NONE = 0, // no usable header
    FRT_FORMAT_DXF = 2,  // "Rev2Ezi": for this converter
    FRT_FORMAT_SHP = 3,  // "Raz2Azi"
};

namespace frtheader {

// Finds the first "[Header]" line whose next line names one of the two formats. Never reports
// an error: a file that cannot be read gives FRT_FORMAT_NONE. Long lines are looked at, not held.
FrtFormat CheckFrtHeader(const std::string& path);

} // namespace frtheader
