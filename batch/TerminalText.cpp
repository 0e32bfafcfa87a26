#include "batch/TerminalText.h"

#include "common/Utf8.h"

namespace terminaltext {
namespace {

bool Control(unsigned char c) {
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F);
}

} // namespace

std::string Printable(std::string_view text, std::size_t limit) {
    std::string out;
    out.reserve(text.size() < limit ? text.size() : limit + 3);
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = utf8::SequenceLength(text.substr(at));
        // U+0080 to U+009F, the C1 controls in UTF-8.
        const bool c1 = length == 2 && static_cast<unsigned char>(text[at]) == 0xC2 &&
                        static_cast<unsigned char>(text[at + 1]) <= 0x9F;
        if (length == 0)
            length = 1;
        if (out.size() + (c1 ? 1 : length) > limit) {
            out += "...";
            break;
        }
        if (c1 || (length == 1 && Control(static_cast<unsigned char>(text[at]))))
            out += '?';
        else
            out.append(text, at, length);
        at += length;
    }
    return out;
}

} // namespace terminaltext
