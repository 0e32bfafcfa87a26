#include "dxf/DxfGroup.h"

#include "common/ByteSearch.h"
#include "common/CodePage.h"
#include "common/TextStream.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace dxfgroup {

namespace {

bool NeedsCaret(char c) {
    return static_cast<unsigned char>(c) < 0x20 && c != '\t';
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

namespace {

void CaretText(TextStream& stream, Code code, std::string_view value) {
    // A caret itself is encoded too: readers would take it with the next character as a control
    // character. Looked for apart, so that both searches stay fast.
    if (std::none_of(value.begin(), value.end(), NeedsCaret) &&
        FindByte(value.data(), value.data() + value.size(), '^') == value.data() + value.size())
        Text(stream, code, value);
    else
        Text(stream, code, CaretEncoded(value));
}

} // namespace

void InputText(TextStream& stream, Code code, std::string_view value) {
    if (stream.InputIsUtf8() && codepage::HasHighBytes(value))
        CaretText(stream, code, codepage::FromUtf8(value, stream.CodePage()));
    else
        CaretText(stream, code, value);
}

void CircleRadius(TextStream& stream, double radius) {
    stream.LineAndReal("  40", radius);
}

void EntitiesFollow(TextStream& stream) {
    Text(stream, kEntitiesFollow, "  1");
}

} // namespace dxfgroup
