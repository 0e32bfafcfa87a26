#pragma once

#include <cstddef>
#include <string_view>

// UTF-8 as the programs meet it in survey files, whose texts are mostly in a Windows code page.
namespace utf8 {

// The length of the well-formed UTF-8 sequence of two to four bytes at the start of `text`, or
// 0 (also for a plain ASCII byte).
inline std::size_t SequenceLength(std::string_view text) {
    if (text.empty())
        return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (length == 0 || text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0U) != 0x80U)
            return 0;
    return length;
}

// Whether every byte above ASCII belongs to a well-formed sequence.
inline bool IsValid(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
            continue;
        }
        const std::size_t length = SequenceLength(text.substr(at));
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

} // namespace utf8
