#pragma once

#include "common/TextStream.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The DXF vocabulary of this writer: the group codes and flag values it writes, and the group
// itself, a code line right-aligned in three characters followed by the value line.
//
// The bytes differ from that rule on purpose in two places, which CAD programs have always read
// from this writer and which are kept as they are:
// - a CIRCLE's radius has the code line "  40", four characters (CircleRadius);
// - the header sets $PLINEGEN twice (CDxfTables.cpp, kHeader).
namespace dxfgroup {

// In ascending order.
enum Code : int {
    kStart = 0,       // an entity, a table entry or a section mark begins
    kText = 1,        // a TEXT's text; a header text value
    kName = 2,        // a section, table, block or line type name; an INSERT's block; an attribute's tag
    kDescription = 3, // a block's second name; a line type's description; an attribute's prompt;
                      // the code page's name
    kLineType = 6,
    kTextStyle = 7,
    kLayer = 8,
    kVariable = 9, // a header variable's name
    kX = 10,
    kSecondX = 11,
    kY = 20,
    kSecondY = 21,
    kZ = 30,
    kSecondZ = 31,
    kThickness = 39,
    kSize = 40, // TEXT height, line type length, header sizes
    kDashLength = 49,
    kAngle = 50,
    kColour = 62,
    kEntitiesFollow = 66,
    kFlags = 70,
    kHorizontalAlign = 72, // also a line type's alignment
    kVerticalAlign = 73,   // also a line type's dash count
};

// Values of the flags (70) and of the text alignment (72, 73).
constexpr std::int64_t kBlockAnonymous = 1;
constexpr std::int64_t kBlockReferenced = 64;
constexpr std::int64_t kBlockHasAttributes = 2;
constexpr std::int64_t kAttributeInvisible = 1;
constexpr std::int64_t kAttributesFollow = 1; // group 66 of an INSERT
constexpr std::int64_t kPolylineClosed = 1;
constexpr std::int64_t kPolyline3d = 8;
constexpr std::int64_t kVertex3d = 32;
constexpr std::int32_t kAlignCentre = 1; // group 72
constexpr std::int32_t kAlignRight = 2;
constexpr std::int32_t kAlignBottom = 1; // group 73
constexpr std::int32_t kAlignMiddle = 2;
constexpr std::int32_t kAlignTop = 3;

// The longest string release 12 takes, in bytes; InputText cuts a longer one.
constexpr std::size_t kMaxString = 255;
// The longest text a field of this writer holds, longer ones cut: room for kMaxString characters
// of up to four bytes of UTF-8 each, so that the cut is made where the text is written.
constexpr std::size_t kMaxText = 4 * kMaxString;
inline std::string_view Fit(std::string_view text) {
    return text.substr(0, kMaxText);
}

// The code lines, made once: every group needs one. Every code this writer uses is one of
// Code's, all below 100, so each has its line here.
inline constexpr std::array<std::array<char, 3>, 100> kCodeLines = [] {
    std::array<std::array<char, 3>, 100> lines{};
    for (std::size_t code = 0; code < lines.size(); ++code) {
        lines[code][0] = ' ';
        lines[code][1] = code < 10 ? ' ' : static_cast<char>('0' + code / 10);
        lines[code][2] = static_cast<char>('0' + code % 10);
    }
    return lines;
}();
static_assert(kVerticalAlign < 100, "the last and largest code has its line");

// Inline, so that the texts reach the stream as start and length (see TextStream::TwoLines).
inline void Text(TextStream& stream, Code code, std::string_view value) {
    stream.TwoLines(kCodeLines[code].data(), 3, value.data(), value.size());
}

inline void Int(TextStream& stream, Code code, std::int64_t value) {
    stream.LineAndInt(kCodeLines[code].data(), 3, value);
}

// With the input's spelling of the value, if any, to be copied where that gives the same text.
inline void Real(TextStream& stream, Code code, double value, const numtext::Spelling* spelled = nullptr) {
    stream.LineAndReal(kCodeLines[code].data(), 3, value, spelled);
}

// A text that comes from the input, written so that readers show it as typed:
// - a UTF-8 text in the stream's code page (codepage::FromUtf8);
// - control characters (tabs and DEL too) in DXF's caret notation ("^M" for CR, "^I" for a tab),
//   a caret itself as "^ ", since a CR or NUL would break the file's lines for readers;
// - readers take "%%d" for a degree sign and "\U+00E4" for a character: a percent sign of a
//   "%%" is written "%%%" and a backslash before "U+" or "M+" as "\U+005C", as AutoCAD reads them;
// - cut to kMaxString bytes between two characters, never inside a character's notation.
void InputText(TextStream& stream, Code code, std::string_view value);
// The same under a code line of its own ("1000": an extended data string).
void InputText(TextStream& stream, std::string_view codeLine, std::string_view value);

// A CIRCLE's radius, with its four-character code line.
void CircleRadius(TextStream& stream, double radius);
// The POLYLINE's "entities follow" group, its value written as "  1".
void EntitiesFollow(TextStream& stream);

} // namespace dxfgroup
