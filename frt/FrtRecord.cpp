#include "frt/FrtRecord.h"

#include "common/NumberText.h"

#include <cstring>
#include <utility>

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

constexpr std::pair<std::string_view, Key> kKnownKeys[] = {
    {"E", Key::E},           {"N", Key::N},           {"HO", Key::HO},         {"HE", Key::HE},
    {"PID", Key::PID},       {"LID", Key::LID},       {"CODE", Key::CODE},     {"AREA", Key::AREA},
    {"GROUP", Key::GROUP},   {"PCLASS", Key::PCLASS}, {"LSTYLE", Key::LSTYLE}, {"LCOLOR", Key::LCOLOR},
    {"LWIDTH", Key::LWIDTH}, {"SCOLOR", Key::SCOLOR}, {"SSTYLE", Key::SSTYLE},
};

// The known key of that text, or kKeys for any other.
std::size_t KeyIndex(std::string_view key) {
    for (const auto& [name, known] : kKnownKeys)
        if (name.size() == key.size() && std::memcmp(name.data(), key.data(), key.size()) == 0)
            return static_cast<std::size_t>(known);
    return kKeys;
}

} // namespace

void Record::Take(std::string_view key, std::string_view value) {
    if (key.front() == '_')
        m_typed = true;
    if (value.empty())
        return;
    const std::size_t index = KeyIndex(key);
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
        // One pair: up to the next ";" or the end of the line.
        const char* const start = p;
        const char* assign = nullptr;
        while (p != end && *p != ';') {
            if (*p == '=' && assign == nullptr)
                assign = p;
            ++p;
        }
        const char* const tokenEnd = p;
        if (p != end)
            ++p;
        if (assign == nullptr)
            continue;
        const char* keyStart = start;
        while (keyStart != assign && numtext::IsCSpace(*keyStart))
            ++keyStart;
        if (keyStart == assign)
            continue; // no key
        const char* valueStart = assign + 1;
        while (valueStart != tokenEnd && numtext::IsCSpace(*valueStart))
            ++valueStart;
        const char* valueEnd = tokenEnd;
        while (valueEnd != valueStart && valueEnd[-1] == ' ')
            --valueEnd;
        Take(std::string_view(keyStart, static_cast<std::size_t>(assign - keyStart)),
             std::string_view(valueStart, static_cast<std::size_t>(valueEnd - valueStart)));
    }
}

} // namespace frtrecord
