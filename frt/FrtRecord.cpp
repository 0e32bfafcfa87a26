#include "frt/FrtRecord.h"

namespace frtrecord {

Section SectionOf(std::string_view candidate, DataKindFlags wanted) {
    if ((wanted & DATA_KIND_POINTS) != 0 && candidate == "[Points]")
        return Section::Points;
    if ((wanted & DATA_KIND_LINES) != 0 && candidate == "[Lines]")
        return Section::Lines;
    if ((wanted & DATA_KIND_AREAS) != 0 && candidate == "[Areas]")
        return Section::Areas;
    return Section::None;
}

} // namespace frtrecord
