#include "dxf/DxfGroup.h"

#include "common/CodePage.h"
#include "common/TextStream.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace dxfgroup {

namespace {

// The bytes that need more than a copy: control characters, DEL, the caret, the percent sign and
// the backslash (which start readers' notations), and, in UTF-8, the bytes above ASCII.
enum Attention : std::uint8_t { kCopy = 0, kSpecial = 1, kHigh = 2 };
constexpr std::array<std::uint8_t, 256> MakeAttention() {
    std::array<std::uint8_t, 256> table{};
    for (std::size_t c = 0; c < 0x20; ++c)
        table[c] = kSpecial;
    table[0x7F] = kSpecial;
    table['^'] = kSpecial;
    table['%'] = kSpecial;
    table['\\'] = kSpecial;
    for (std::size_t c = 0x80; c < 0x100; ++c)
        table[c] = kHigh;
    return table;
}
constexpr std::array<std::uint8_t, 256> kAttention = MakeAttention();

bool StartsNotation(std::string_view rest) {
    return rest.size() >= 3 && (rest[1] == 'U' || rest[1] == 'u' || rest[1] == 'M' || rest[1] == 'm') &&
           rest[2] == '+';
}

// Whether the text can be written as it stands: no byte needs more than a copy, and an 8-bit
// text's bytes above ASCII are all characters of the page.
bool Plain(std::string_view value, bool utf8, const codepage::Page& page) {
    if (value.size() > kMaxString)
        return false;
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        const std::uint8_t attention = kAttention[byte];
        if (attention == kCopy)
            continue;
        if (attention == kSpecial || utf8 || codepage::Character(byte, page) == 0)
            return false;
    }
    return true;
}

// The text as the drawing holds it, built a character at a time so that the cut falls between
// two characters' spellings.
std::string Encoded(std::string_view value, bool utf8, const codepage::Page& page, codepage::Notes& notes) {
    std::string out;
    out.reserve(std::min(value.size() + 8, kMaxString));
    std::string unit;
    bool notation = false;
    for (std::size_t at = 0; at < value.size();) {
        unit.clear();
        const char c = value[at];
        const auto byte = static_cast<unsigned char>(c);
        std::size_t length = 1;
        if (byte >= 0x80 && utf8 && (length = utf8::SequenceLength(value.substr(at))) > 0) {
            codepage::AppendCharacter(unit, codepage::CodePoint(value.substr(at), length), page, &notes);
        } else if (c == '^') {
            length = 1;
            unit = "^ ";
        } else if (byte < 0x20 || byte == 0x7F) {
            length = 1;
            unit += '^';
            unit += static_cast<char>(byte ^ 0x40U);
        } else if (c == '%' &&
                   ((at + 1 < value.size() && value[at + 1] == '%') || (at > 0 && value[at - 1] == '%'))) {
            length = 1;
            unit = "%%%";
            notation = true;
        } else if (c == '\\' && StartsNotation(value.substr(at))) {
            length = 1;
            codepage::AppendEscape(unit, '\\');
            notation = true;
        } else if (byte >= 0x80 && codepage::Character(byte, page) == 0) {
            // A byte that is no character of the page (0x81 in Windows-1252): readers would
            // refuse it or guess; it stands for a character that cannot be told.
            length = 1;
            notes.Note(0xFFFD);
            codepage::AppendEscape(unit, 0xFFFD);
        } else {
            length = 1;
            unit += c;
        }
        if (out.size() + unit.size() > kMaxString)
            break;
        out += unit;
        at += length;
    }
    notes.notations += notation ? 1 : 0;
    return out;
}

} // namespace

void InputText(TextStream& stream, Code code, std::string_view value) {
    InputText(stream, std::string_view(kCodeLines[code].data(), 3), value);
}

void InputText(TextStream& stream, std::string_view codeLine, std::string_view value) {
    if (Plain(value, stream.InputIsUtf8(), stream.CodePage()))
        stream.TwoLines(codeLine, value);
    else
        stream.TwoLines(codeLine, Encoded(value, stream.InputIsUtf8(), stream.CodePage(), stream.Notes()));
}

void CircleRadius(TextStream& stream, double radius) {
    stream.LineAndReal("  40", radius);
}

void EntitiesFollow(TextStream& stream) {
    Text(stream, kEntitiesFollow, "  1");
}

} // namespace dxfgroup
