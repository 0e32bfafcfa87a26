#pragma once

#include "frt/CAttributeMap.h"
#include "frt/FrtTypes.h"

#include <array>
#include <cstdint>
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

// The keys the reader takes from a record.
enum class Key : std::uint8_t {
    PID,
    E,
    N,
    HO,
    HE,
    GROUP,
    CODE,
    PCLASS,
    LID,
    LSTYLE,
    LCOLOR,
    LWIDTH,
    AREA,
    SCOLOR,
    SSTYLE,
};
constexpr std::size_t kKeys = 15;

// One record line's "KEY=VALUE" pairs, separated by ";", read in place: the values are views
// into the line, valid as long as it is. A record is read once per pass and millions of them
// make a job, so only the known keys are looked at; the typed attributes ("_" keys) are rare and
// taken through an attribute map when a record has them.
class Record {
public:
    // Takes the pairs of the line in place of what the record held. A pair's key runs to its
    // first "=" (leading white space skipped, blanks before the "=" kept); its value follows the
    // "=" without leading white space or trailing blanks. A key's last non-empty value counts.
    void Parse(std::string_view line);

    // The key's value, or empty when the record has none.
    [[nodiscard]] std::string_view Get(Key key) const { return m_values[static_cast<std::size_t>(key)]; }
    [[nodiscard]] bool Has(Key key) const { return !Get(key).empty(); }
    // Whether a key begins with "_": then the line is worth reading into an attribute map.
    [[nodiscard]] bool HasTyped() const { return m_typed; }
    [[nodiscard]] std::string_view Line() const { return m_line; }

private:
    // `packed`: the key's first seven bytes, the first lowest.
    void Take(std::string_view key, std::uint64_t packed, std::string_view value);

    std::array<std::string_view, kKeys> m_values{};
    std::string_view m_line;
    bool m_typed = false;
};

// All the line's pairs, typed attributes included, in place of what the map held.
inline void Parse(std::string_view line, CAttributeMap& record) {
    record.Clear();
    record.Parse(line, ";", "=");
}

// What ties the vertex records of one line or area together: the record's whole "LID" value
// (empty when it has none). A record with another key than the one before begins a new element.
inline std::string_view GroupKey(const Record& record) {
    return record.Get(Key::LID);
}

} // namespace frtrecord
