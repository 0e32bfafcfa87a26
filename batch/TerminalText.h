#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace terminaltext {

// A text as it may be printed to a terminal: C0 controls, DEL and C1 controls (as UTF-8 or as
// lone bytes) become "?", so that no file name or value can move the cursor, recolour or retitle
// the terminal; other bytes stay as they are. Past `limit` bytes the text is cut, on a character
// boundary, and "..." added.
std::string Printable(std::string_view text, std::size_t limit = std::string_view::npos);

} // namespace terminaltext
