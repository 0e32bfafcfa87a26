#pragma once

#include <string>
#include <string_view>

class TextStream;

namespace dxftext {

// Writes a group whose value comes from the input. Such a text may hold control characters,
// and a CR or NUL in a value breaks the file's lines for readers; DXF writes control
// characters in caret notation ("^M" for CR, "^@" for NUL). Tabs are left as they are.
void WriteTextGroup(TextStream& stream, std::string_view code, std::string_view text);
// The text as WriteTextGroup writes it.
std::string CaretEncoded(std::string_view text);

} // namespace dxftext
