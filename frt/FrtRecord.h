#pragma once

#include "frt/CAttributeMap.h"
#include "frt/FrtTypes.h"

#include <string_view>

// The grammar of the FRT body, in one place for the reader and the splitter that must agree
// on it: where sections begin, how a record splits into pairs, which records belong together.
namespace frtrecord {

// The section a reader is in.
enum class Section { None, Points, Lines, Areas };

// The section a header candidate opens among the wanted kinds, or none.
Section SectionOf(std::string_view candidate, DataKindFlags wanted);

// Whether the line opens a section (or the header) rather than holding a record.
inline bool IsHeaderLine(std::string_view line) {
    return !line.empty() && line.front() == '[';
}

// Takes the record's "KEY=VALUE" pairs, separated by ";", in place of what the map held.
inline void Parse(std::string_view line, CAttributeMap& record) {
    record.Clear();
    record.Parse(line, ";", "=");
}

// What ties the vertex records of one line or area together: the record's whole "LID" value
// (empty when it has none). A record with another key than the one before begins a new element.
inline std::string_view GroupKey(const CAttributeMap& record) {
    return record.GetText("LID");
}

} // namespace frtrecord
