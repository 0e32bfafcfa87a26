#include "dxf/DxfTextGroup.h"

#include "common/TextStream.h"

#include <algorithm>
#include <string>

namespace dxftext {

namespace {
bool NeedsCaret(char c) {
    return static_cast<unsigned char>(c) < 0x20 && c != '\t';
}
} // namespace

std::string CaretEncoded(std::string_view text) {
    std::string encoded;
    encoded.reserve(text.size() + 8);
    for (const char c : text) {
        if (NeedsCaret(c)) {
            encoded += '^';
            encoded += static_cast<char>(c + 0x40);
        } else {
            encoded += c;
        }
    }
    return encoded;
}

void WriteTextGroup(TextStream& stream, std::string_view code, std::string_view text) {
    if (std::none_of(text.begin(), text.end(), NeedsCaret))
        stream.GroupText(code, text);
    else
        stream.GroupText(code, CaretEncoded(text));
}

} // namespace dxftext
