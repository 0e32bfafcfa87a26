#pragma once

#include "common/Utf8.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// Texts of a UTF-8 survey as a drawing holds them. A drawing declares no code page, so every
// reader takes its bytes as Windows-1252: a character that page has is written as its byte, any
// other in DXF's own notation "\U+XXXX", which CAD readers show as the character.
namespace windows1252 {

// The characters of the bytes 0x80 to 0x9F (0: no character); 0xA0 to 0xFF are U+00A0 to U+00FF.
inline constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The code point of a well-formed sequence of `length` bytes.
inline std::uint32_t CodePoint(std::string_view sequence, std::size_t length) {
    const auto byte = [&sequence](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(sequence[i]));
    };
    if (length == 2)
        return ((byte(0) & 0x1FU) << 6U) | (byte(1) & 0x3FU);
    if (length == 3)
        return ((byte(0) & 0x0FU) << 12U) | ((byte(1) & 0x3FU) << 6U) | (byte(2) & 0x3FU);
    return ((byte(0) & 0x07U) << 18U) | ((byte(1) & 0x3FU) << 12U) | ((byte(2) & 0x3FU) << 6U) |
           (byte(3) & 0x3FU);
}

// Appends the character as Windows-1252 or as "\U+XXXX".
inline void AppendCharacter(std::string& out, std::uint32_t character) {
    if (character >= 0xA0 && character <= 0xFF) {
        out += static_cast<char>(character);
        return;
    }
    for (std::size_t i = 0; i < 32; ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == character) {
            out += static_cast<char>(0x80 + i);
            return;
        }
    }
    static const char kHex[] = "0123456789ABCDEF";
    out += "\\U+";
    const int digits = character > 0xFFFF ? 5 : 4;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out += kHex[(character >> static_cast<unsigned>(shift)) & 15U];
}

// The UTF-8 text as the drawing holds it: each well-formed multi-byte sequence as its character
// in Windows-1252 or as "\U+XXXX"; ASCII and bytes that belong to no sequence stay as they are.
inline std::string FromUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            out += text[at++];
            continue;
        }
        const std::size_t length = utf8::SequenceLength(text.substr(at));
        if (length == 0) {
            out += text[at++];
            continue;
        }
        AppendCharacter(out, CodePoint(text.substr(at), length));
        at += length;
    }
    return out;
}

// Whether the text has a byte above ASCII: only then is there anything to transcode.
inline bool HasHighBytes(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

// What the bytes of a text say of its encoding, gathered over all of a file's texts.
struct Evidence {
    bool multibyte = false; // a well-formed UTF-8 sequence of two or more bytes
    bool notUtf8 = false;   // a byte above ASCII that is in no well-formed sequence

    void Look(std::string_view text) {
        std::size_t at = 0;
        // Survey texts are mostly ASCII: eight bytes at a time while no high bit is set.
        for (std::uint64_t word = 0; at + 8 <= text.size(); at += 8) {
            std::memcpy(&word, text.data() + at, 8);
            if ((word & 0x8080808080808080ULL) != 0)
                break;
        }
        while (at < text.size() && !notUtf8) {
            if (static_cast<unsigned char>(text[at]) < 0x80) {
                ++at;
                continue;
            }
            const std::size_t length = utf8::SequenceLength(text.substr(at));
            notUtf8 = length == 0;
            multibyte = multibyte || length > 0;
            at += length;
        }
    }
    void Add(const Evidence& later) {
        multibyte = multibyte || later.multibyte;
        notUtf8 = notUtf8 || later.notUtf8;
    }
    // UTF-8 when every byte above ASCII is in a well-formed sequence and there is one at least.
    [[nodiscard]] bool Utf8() const { return multibyte && !notUtf8; }
};

} // namespace windows1252
