#include "dxf/DxfGroup.h"

#include "common/TextStream.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>

namespace dxfgroup {

namespace {

// The code as wide as it is.
class CodeLine {
public:
    explicit CodeLine(int code) {
        m_size = static_cast<std::size_t>(
            std::to_chars(m_buffer.data(), m_buffer.data() + m_buffer.size(), code).ptr - m_buffer.data());
    }
    [[nodiscard]] std::string_view text() const { return {m_buffer.data(), m_size}; }

private:
    std::array<char, 12> m_buffer{};
    std::size_t m_size = 0;
};

bool NeedsCaret(char c) {
    return static_cast<unsigned char>(c) < 0x20 && c != '\t';
}

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

} // namespace

namespace detail {

void WideText(TextStream& stream, int code, std::string_view value) {
    stream.TwoLines(CodeLine(code).text(), value);
}

void WideInt(TextStream& stream, int code, std::int64_t value) {
    stream.LineAndInt(CodeLine(code).text(), value);
}

void WideReal(TextStream& stream, int code, double value) {
    stream.LineAndReal(CodeLine(code).text(), value);
}

} // namespace detail

void InputText(TextStream& stream, int code, std::string_view value) {
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
