#include "frt/FrtRecord.h"

#include "common/ByteSearch.h"
#include "common/NumberText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

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

namespace {

// A name of up to seven bytes as one number, its length in the top byte and its bytes below,
// so that a key is told by one comparison rather than a call to memcmp.
constexpr std::uint64_t Packed(std::string_view name) {
    std::uint64_t packed = std::uint64_t{name.size()} << 56U;
    for (std::size_t i = 0; i < name.size() && i < 7; ++i)
        packed |= std::uint64_t{static_cast<unsigned char>(name[i])} << (8 * i);
    return packed;
}

// The known key of that packed text (Packed), or kKeys for any other.
std::size_t KeyIndex(std::uint64_t packed) {
    const auto index = [](Key k) { return static_cast<std::size_t>(k); };
    switch (packed) {
    case Packed("E"):
        return index(Key::E);
    case Packed("N"):
        return index(Key::N);
    case Packed("HO"):
        return index(Key::HO);
    case Packed("HE"):
        return index(Key::HE);
    case Packed("PID"):
        return index(Key::PID);
    case Packed("LID"):
        return index(Key::LID);
    case Packed("CODE"):
        return index(Key::CODE);
    case Packed("AREA"):
        return index(Key::AREA);
    case Packed("GROUP"):
        return index(Key::GROUP);
    case Packed("PCLASS"):
        return index(Key::PCLASS);
    case Packed("LSTYLE"):
        return index(Key::LSTYLE);
    case Packed("LCOLOR"):
        return index(Key::LCOLOR);
    case Packed("LWIDTH"):
        return index(Key::LWIDTH);
    case Packed("SCOLOR"):
        return index(Key::SCOLOR);
    case Packed("SSTYLE"):
        return index(Key::SSTYLE);
    default:
        return kKeys;
    }
}

// The first bytes of [p, keyEnd), at most seven, as Packed packs them but without the length;
// `end` is where the line ends, up to which bytes may be read.
std::uint64_t PackedPrefix(const char* p, const char* keyEnd, const char* end) {
    const auto size = static_cast<unsigned>(std::min<std::ptrdiff_t>(keyEnd - p, 7));
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (end - p >= 8) { // one load, the bytes beyond the key masked off
        std::uint64_t word = 0;
        std::memcpy(&word, p, sizeof word);
        return word & ((std::uint64_t{1} << (8 * size)) - 1);
    }
#endif
    std::uint64_t packed = 0;
    for (unsigned i = 0; i < size; ++i)
        packed |= std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
    return packed;
}

} // namespace

void Record::Take(std::string_view key, std::uint64_t packed, std::string_view value) {
    if (key.front() == '_')
        m_typed = true;
    if (value.empty() || key.size() > 6)
        return;
    const std::size_t index = KeyIndex(packed | std::uint64_t{key.size()} << 56U);
    if (index < kKeys)
        m_values[index] = value;
}

void Record::Parse(std::string_view line) {
    m_values.fill({});
    m_line = line;
    m_typed = false;
    const char* p = line.data();
    const char* const end = p + line.size();
    while (p != end) {
        // One pair: its key up to the first "=", its value up to the next ";" or the line's end.
        // Keys are a few bytes long: a byte loop finds their end sooner than a search by words,
        // and one load packs them afterwards.
        const char* keyStart = p;
        while (p != end && *p != '=' && *p != ';')
            ++p;
        std::uint64_t packed = PackedPrefix(keyStart, p, end);
        if (p == end)
            break;
        if (*p == ';') { // no "=": not a pair
            ++p;
            continue;
        }
        const char* const assign = p++;
        p = FindByte(p, end, ';');
        const char* valueEnd = p;
        if (p != end)
            ++p;
        if (numtext::IsCSpace(*keyStart)) { // rare: the key is packed again without the blanks
            while (keyStart != assign && numtext::IsCSpace(*keyStart))
                ++keyStart;
            if (keyStart == assign)
                continue; // no key
            packed = Packed(std::string_view(keyStart, static_cast<std::size_t>(assign - keyStart))) &
                     ((std::uint64_t{1} << 56U) - 1);
        } else if (keyStart == assign) {
            continue; // no key
        }
        const char* valueStart = assign + 1;
        while (valueStart != valueEnd && numtext::IsCSpace(*valueStart))
            ++valueStart;
        while (valueEnd != valueStart && valueEnd[-1] == ' ')
            --valueEnd;
        Take(std::string_view(keyStart, static_cast<std::size_t>(assign - keyStart)), packed,
             std::string_view(valueStart, static_cast<std::size_t>(valueEnd - valueStart)));
    }
}

} // namespace frtrecord
