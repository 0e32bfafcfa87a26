#pragma once

#include "common/CodePage.h"

#include <cstddef>
#include <string>
#include <string_view>

// The rule for the names a drawing holds (layers, blocks, line types), as the strictest reader
// applies it to a release 12 file: at most 31 characters of letters, digits, "$", "_" and "-";
// any other character makes it refuse the whole drawing. Letters beyond ASCII are taken where
// the drawing's code page holds them.
namespace dxfnames {

constexpr std::size_t kMaxName = 31;

// How a given name is read and written.
struct Spelling {
    bool utf8 = false;                                    // the given name is UTF-8; else bytes of `page`
    const codepage::Page* page = &codepage::kWindows1252; // the drawing's
    bool asciiOnly = false; // letters beyond ASCII as plain Latin letters ("ä" ae), else "_"
};

// The name as the drawing holds it, in the page's bytes: every character the rule refuses
// becomes "_"; a name longer than the limit keeps its start and ends in "_" and six hex digits
// of a hash of the whole name ignoring case, so that long names stay apart, the same every time.
std::string Written(std::string_view given, const Spelling& spelling);

// A written name with its case folded (letters::FoldCase), as UTF-8: names equal ignoring case,
// in any script, fold alike.
std::string Folded(std::string_view written, const codepage::Page& page);

// Whether a written name follows the rule.
bool Follows(std::string_view written, const codepage::Page& page);

} // namespace dxfnames
