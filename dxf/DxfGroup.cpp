#include "dxf/DxfGroup.h"

#include "common/TextStream.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>

namespace dxfgroup {

namespace {

// The code lines of the codes below 100, made once: every group needs one.
struct CodeLines {
    std::array<std::array<char, 3>, 100> lines{};
    constexpr CodeLines() {
        for (int code = 0; code < 100; ++code) {
            lines[code][0] = ' ';
            lines[code][1] = code < 10 ? ' ' : static_cast<char>('0' + code / 10);
            lines[code][2] = static_cast<char>('0' + code % 10);
        }
    }
};
constexpr CodeLines kCodeLines;

// The code right-aligned in three characters (or as wide as it is).
class CodeLine {
public:
    explicit CodeLine(int code) {
        if (code >= 0 && code < 100) {
            m_text = std::string_view(kCodeLines.lines[static_cast<std::size_t>(code)].data(), 3);
            return;
        }
        char* const end = std::to_chars(m_buffer.data(), m_buffer.data() + m_buffer.size(), code).ptr;
        m_text = std::string_view(m_buffer.data(), static_cast<std::size_t>(end - m_buffer.data()));
    }
    [[nodiscard]] std::string_view text() const { return m_text; }

private:
    std::array<char, 12> m_buffer{};
    std::string_view m_text;
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

void Text(TextStream& stream, int code, std::string_view value) {
    stream.TwoLines(CodeLine(code).text(), value);
}

void Int(TextStream& stream, int code, std::int64_t value) {
    stream.LineAndInt(CodeLine(code).text(), value);
}

void Real(TextStream& stream, int code, double value) {
    stream.LineAndReal(CodeLine(code).text(), value);
}

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
    stream.TwoLines(CodeLine(kEntitiesFollow).text(), "  1");
}

} // namespace dxfgroup
