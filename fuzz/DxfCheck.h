#pragma once

#include <string>
#include <string_view>

// Checks a whole ASCII DXF text as a strict reader would see it: CR LF line ends and no other
// line breaks, code/value pairs with numeric codes, finite reals and plain integers where the
// code wants them, no control characters in texts, balanced SECTION/ENDSEC, TABLE/ENDTAB and
// BLOCK/ENDBLK, every POLYLINE's vertices closed by SEQEND, EOF last, a layer on every entity
// but SEQEND, and every layer, line type and block that an entity names defined.
// Returns the first problem as "line N: reason", or an empty text when there is none.
std::string CheckDxfText(std::string_view text);
