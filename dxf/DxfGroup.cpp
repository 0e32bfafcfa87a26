#include "dxf/DxfGroup.h"

#include "common/TextStream.h"

#include <algorithm>
#include <string>

namespace dxfgroup {

namespace {

// A caret itself too: readers would take it with the next character as a control character.
bool NeedsCaret(char c) {
    return (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == '^';
}

std::string CaretEncoded(std::string_view text) {
    std::string encoded;
    encoded.reserve(text.size() + 8);
    for (const char c : text) {
        if (c == '^') {
            encoded += "^ ";
        } else if (NeedsCaret(c)) {
            encoded += '^';
            encoded += static_cast<char>(c + 0x40);
        } else {
            encoded += c;
        }
    }
    return encoded;
}

} // namespace

void InputText(TextStream& stream, Code code, std::string_view value) {
    if (std::none_of(value.begin(), value.end(), NeedsCaret))
        Text(stream, code, value);
    else
        Text(stream, code, CaretEncoded(value));
}

void CircleRadius(TextStream& stream, double radius) {
    stream.LineAndReal("  40", radius);
}

void EntitiesFollow(TextStream& stream) {
    Text(stream, kEntitiesFollow, "  1");
}

} // namespace dxfgroup
