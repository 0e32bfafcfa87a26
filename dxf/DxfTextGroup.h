#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class TextStream;

namespace dxftext {

// The longest text a DXF field of this system holds; longer texts are cut.
constexpr std::size_t kMaxText = 256;
inline std::string_view Fit(std::string_view text) {
    return text.substr(0, kMaxText);
}

// Writes a group whose value comes from the input. Such a text may hold control characters,
// and a CR or NUL in a value breaks the file's lines for readers; DXF writes control
// characters in caret notation ("^M" for CR, "^@" for NUL). Tabs are left as they are.
void WriteTextGroup(TextStream& stream, std::string_view code, std::string_view text);
// The text as WriteTextGroup writes it.
std::string CaretEncoded(std::string_view text);

} // namespace dxftext
