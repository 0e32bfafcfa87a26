#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// UTF-8 as the programs meet it in survey files, whose texts are mostly in a Windows code page.
namespace utf8 {

// The length of the well-formed UTF-8 sequence of two to four bytes at the start of `text`, or
// 0 (also for a plain ASCII byte). Well-formed as Unicode defines it: no overlong form, no
// surrogate (U+D800 to U+DFFF), nothing above U+10FFFF.
inline std::size_t SequenceLength(std::string_view text) {
    if (text.size() < 2)
        return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    const auto second = static_cast<unsigned char>(text[1]);
    std::size_t length = 0;
    unsigned char low = 0x80; // the range of the second byte, narrower after some leads
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || text.size() < length || second < low || second > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0U) != 0x80U)
            return 0;
    return length;
}

// Whether `text` starts with U+FFFE or U+FFFF, which are no characters and which XML forbids.
inline bool StartsWithNonCharacter(std::string_view text) {
    return text.size() >= 3 && text[0] == '\xEF' && text[1] == '\xBF' &&
           (text[2] == '\xBE' || text[2] == '\xBF');
}

// Appends the character as UTF-8.
inline void Append(std::string& out, std::uint32_t character) {
    if (character < 0x80) {
        out += static_cast<char>(character);
    } else if (character < 0x800) {
        out += static_cast<char>(0xC0U | (character >> 6U));
        out += static_cast<char>(0x80U | (character & 0x3FU));
    } else if (character < 0x10000) {
        out += static_cast<char>(0xE0U | (character >> 12U));
        out += static_cast<char>(0x80U | ((character >> 6U) & 0x3FU));
        out += static_cast<char>(0x80U | (character & 0x3FU));
    } else {
        out += static_cast<char>(0xF0U | (character >> 18U));
        out += static_cast<char>(0x80U | ((character >> 12U) & 0x3FU));
        out += static_cast<char>(0x80U | ((character >> 6U) & 0x3FU));
        out += static_cast<char>(0x80U | (character & 0x3FU));
    }
}

// Whether the text begins with the byte-order mark of UTF-8.
inline bool StartsWithByteOrderMark(std::string_view text) {
    return text.substr(0, 3) == "\xEF\xBB\xBF";
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
