#pragma once

#include "common/AtomicFile.h"
#include "common/Failure.h"
#include "dxf/CDxfDocument.h"

#include <cstdint>

// How a drawing went to its file: ok, or why not, and what became of the target then.
struct DxfWriteResult {
    Failure failure;
    std::uint64_t bytes = 0; // of the drawing, when it was written

    [[nodiscard]] bool Ok() const { return !failure; }
};

// Writes the document's drawing into the file, which knows where and how it is put in place
// (replaced or kept, flushed to the disk, checked before the commit): opened, streamed,
// committed. The target holds either its old content or the whole drawing.
// `blocks`, if given, writes block definitions after the document's own (CDxfDocument::writeTo).
DxfWriteResult WriteDrawingFile(const CDxfDocument& document, AtomicFile& file,
                                const DxfWriteSettings& settings, const CDxfDocument::EntityWriter& produce,
                                const CDxfDocument::EntityWriter& blocks = {});
