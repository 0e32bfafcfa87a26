#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// What the drawing's names need to know of the characters the Windows code pages hold: which
// are letters, how they compare ignoring case, and their plain Latin spelling.
namespace letters {

// The text with its ASCII capitals in lower case and every other byte as it is: for names that
// are matched in any case (options, extensions, code pages), UTF-8 or not.
inline std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

// Whether the character is a letter of the Latin, Greek, Cyrillic, Hebrew or Arabic script
// (ASCII letters included). Marks, signs, digits of other scripts and punctuation are not.
constexpr bool IsLetter(std::uint32_t c) {
    const auto in = [c](std::uint32_t low, std::uint32_t high) { return c >= low && c <= high; };
    return in('A', 'Z') || in('a', 'z') || (in(0xC0, 0x24F) && c != 0xD7 && c != 0xF7) || c == 0x386 ||
           (in(0x388, 0x3CE) && c != 0x38B && c != 0x38D && c != 0x3A2) || in(0x400, 0x481) ||
           in(0x48A, 0x52F) || in(0x5D0, 0x5EA) || in(0x5F0, 0x5F2) || in(0x620, 0x64A) || in(0x66E, 0x6D3) ||
           c == 0x6D5;
}

// A letter of those scripts as names are compared ignoring case: its lower case, and one
// character for those that share a capital, as readers compare names in upper case (final "ς"
// and "σ" are "Σ"; dotless "ı" and "İ" are "I", as "i" is). "ß" has no capital of its own and stays.
constexpr std::uint32_t FoldCase(std::uint32_t c) {
    const auto in = [c](std::uint32_t low, std::uint32_t high) { return c >= low && c <= high; };
    const bool even = c % 2 == 0;
    if (in('A', 'Z') || (in(0xC0, 0xDE) && c != 0xD7))
        return c + 0x20;
    if (c == 0x130 || c == 0x131)
        return 'i';
    if (c == 0x3C2)
        return 0x3C3;
    if ((in(0x100, 0x137) && even) || (in(0x139, 0x148) && !even) || (in(0x14A, 0x177) && even) ||
        (in(0x179, 0x17E) && !even))
        return c + 1;
    if (c == 0x178)
        return 0xFF;
    if (c == 0x1A0 || c == 0x1AF)
        return c + 1;
    if (c == 0x386)
        return 0x3AC;
    if (in(0x388, 0x38A))
        return c + 37;
    if (c == 0x38C)
        return 0x3CC;
    if (in(0x38E, 0x38F))
        return c + 63;
    if (in(0x391, 0x3AB) && c != 0x3A2)
        return c + 32;
    if (in(0x400, 0x40F))
        return c + 80;
    if (in(0x410, 0x42F))
        return c + 32;
    if ((in(0x460, 0x481) && even) || (in(0x48A, 0x4BF) && even) || (in(0x4C1, 0x4CE) && !even) ||
        (in(0x4D0, 0x52F) && even))
        return c + 1;
    return c;
}

// The Latin letter as plain ASCII letters: a letter with marks as its base letter ("é" e), the
// German umlauts and sharp s as their usual spellings ("ä" ae, "ß" ss), ligatures and the Nordic
// and Icelandic letters likewise. Empty for anything else above ASCII.
constexpr std::string_view Ascii(std::uint32_t c) {
    constexpr std::string_view kLatin1 = // U+00C0 to U+00FF; '?' spelled below, '_' none
        "AAAA?A?CEEEEIIII"
        "DNOOOO?_OUUU?Y??"
        "aaaa?a?ceeeeiiii"
        "dnoooo?_ouuu?y?y";
    constexpr std::string_view kExtendedA = // U+0100 to U+017F
        "AaAaAaCcCcCcCcDd"
        "DdEeEeEeEeEeGgGg"
        "GgGgHhHhIiIiIiIi"
        "Ii??JjKkkLlLlLlL"
        "lLlNnNnNnnNnOoOo"
        "Oo??RrRrRrSsSsSs"
        "SsTtTtTtUuUuUuUu"
        "UuUuWwYyYZzZzZzs";
    switch (c) {
    case 0xC4:
        return "Ae";
    case 0xC6:
        return "AE";
    case 0xD6:
        return "Oe";
    case 0xDC:
        return "Ue";
    case 0xDE:
        return "Th";
    case 0xDF:
        return "ss";
    case 0xE4:
    case 0xE6:
        return "ae";
    case 0xF6:
        return "oe";
    case 0xFC:
        return "ue";
    case 0xFE:
        return "th";
    case 0x132:
        return "IJ";
    case 0x133:
        return "ij";
    case 0x152:
        return "OE";
    case 0x153:
        return "oe";
    case 0x1A0:
        return "O";
    case 0x1A1:
        return "o";
    case 0x1AF:
        return "U";
    case 0x1B0:
        return "u";
    default:
        break;
    }
    if (c >= 0xC0 && c <= 0xFF && kLatin1[c - 0xC0] != '_')
        return kLatin1.substr(c - 0xC0, 1);
    if (c >= 0x100 && c <= 0x17F)
        return kExtendedA.substr(c - 0x100, 1);
    return {};
}

} // namespace letters
