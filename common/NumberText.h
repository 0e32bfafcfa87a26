#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Number <-> text conversions with C-locale semantics whatever the process locale.
// Parsing follows atof/atoi/"%x": leading white space skipped, the longest numeric prefix
// converted, 0 when there is none. A result that is not finite or does not fit is malformed
// and gives 0 as well.
namespace numtext {

// isspace in the C locale.
inline bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The text after its leading C-locale white space.
inline std::string_view SkipSpace(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i]))
        ++i;
    return text.substr(i);
}

double ParseDouble(std::string_view text);
std::int32_t ParseInt(std::string_view text);
// As "%x" into an unsigned 32-bit value: optional sign, optional 0x prefix, hex digits.
std::uint32_t ParseHex(std::string_view text);

// Reads the whole text, blanks around it allowed, as one number of the kind ParseDouble,
// ParseInt or ParseHex reads, finite and in range. False, with the value left as it was, when
// the text is anything else.
[[nodiscard]] bool ParseWhole(std::string_view text, double* value);
[[nodiscard]] bool ParseWhole(std::string_view text, std::int32_t* value);
[[nodiscard]] bool ParseWholeHex(std::string_view text, std::uint32_t* value);

// The shortest text that reads back as the value ("12.5", "0").
std::string FormatShortest(double value);
// The same for a single-precision value: "0.3", not the double nearest it.
std::string FormatShortestFloat(float value);

// The room the longest fixed text takes: 309 digits of the largest double, a sign, a point and
// up to 255 decimals.
constexpr std::size_t kFixedRoom = 640;

// Writes `value` into [out, end) in fixed notation with exactly `decimals` digits after the
// point, as std::to_chars (and "%.*f") writes it, and returns the end of the text; null when it
// does not fit. Most values of a drawing go a fast exact way; the rest through std::to_chars.
[[nodiscard]] char* WriteFixed(char* out, char* end, double value, int decimals);

// A number as the input spelled it, where it is a plain decimal in its shortest form: a sign
// only for minus, no leading zeros, digits after a point if there is one ("-12.50", "0.5", "7").
// Most numbers of a survey are spelled so, and writing such a text again costs a fraction of
// formatting its value. A view: the text stays where it is.
struct Spelling {
    static constexpr std::size_t kLongest = 22; // longer texts are not kept
    const char* text = nullptr;
    std::uint8_t size = 0; // 0: none
    std::uint8_t decimals = 0;
};
// ParseDouble, giving also the spelling of the whole text when it is such a decimal of at most
// kLongest bytes (and 19 digits), else an empty one.
double ParseSpelled(std::string_view text, Spelling& spelled);
// The spelling alone.
Spelling Spell(std::string_view text);
// Writes `value`, read from the spelled text by ParseDouble, as WriteFixed writes it, by copying
// the spelling and adding zeros; null, with nothing written, where that is not sure to give the
// same text. It is sure when the text has at most `decimals` decimals and a unit in the last place
// of the value is below 10^-decimals: the value, correctly rounded from the text, is then within
// half a unit of the last written digit from the text's number, which is therefore what rounding
// the value gives. [out, out + Spelling::kLongest + 17) must be room.
char* WriteSpelled(char* out, const Spelling& spelling, double value, int decimals);

// Fixed notation with exactly `decimals` digits after the point ("%.*f"); copied from the
// spelling where WriteSpelled can.
void AppendFixed(std::string& out, double value, int decimals, const Spelling* spelling = nullptr);
std::string FormatFixed(double value, int decimals);
void AppendInt(std::string& out, std::int64_t value);

} // namespace numtext
