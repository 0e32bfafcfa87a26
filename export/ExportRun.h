#pragma once

#include "common/CodePage.h"
#include "convert/ExportOptions.h"
#include "dxf/DxfPoint3.h"
#include "dxf/DxfWriteSettings.h"
#include "frt/CFrtReader.h"
#include "frt/FrtReadResult.h"
#include "frt/IFrtDiagnostics.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// How one conversion went.
struct ConversionResult {
    // What one layer or one kind of entity holds.
    struct Count {
        std::string name;
        std::uint64_t entities = 0;
    };

    Failure failure; // why the run failed, if it did
    FrtReadResult read;
    std::uint64_t bytes = 0;    // of the drawing written
    std::uint64_t warnings = 0; // values the diagnostics heard of
    std::size_t layers = 0;
    std::int32_t entities = 0;
    std::vector<Count> layerEntities; // each layer, in the layer table's order
    std::vector<Count> typeEntities;  // each kind of entity written (VERTEX: of the polylines)
    DxfPoint3 low;                    // the extents of the entities; z NaN in 2D
    DxfPoint3 high;
    // Layer names written otherwise than given, as readers refuse some characters: (given,
    // written), each once, in file order.
    std::vector<std::pair<std::string, std::string>> mendedLayers;
    bool pictureLeftOut = false; // the extents could not be drawn: no picture, the drawing written
    bool utf8Texts = false;      // the input's texts are UTF-8: written in the page that holds them
    std::string codePage;        // the page the drawing's texts are in, as "$DWGCODEPAGE" names it
    codepage::Notes textNotes;   // characters that could not be written as typed

    [[nodiscard]] bool Ok() const { return !failure; }
};

namespace exportrun {

// The writer's settings that go with the options.
DxfWriteSettings WriteSettingsFor(const ExportOptions& options);

// Input of this size makes some 700 KiB of text per chunk, which stays in the core's cache until it
// is written; smaller chunks cost more in hand-overs.
constexpr std::uint64_t kChunkBytes = std::uint64_t{64} << 10;

// How a conversion runs, apart from what it makes.
struct RunSettings {
    IFrtDiagnostics* diagnostics = nullptr; // told of every value the reader replaced by a fallback
    bool strict = false;                    // then nothing is written when there was any
    unsigned threads = 1;                   // chunks converted at once
    std::uint64_t chunkBytes = kChunkBytes; // the input of one chunk, about
    std::size_t pieceVertices = CFrtReader::kPieceVertices; // of a line held at most
    bool replaceExisting = true; // false: an existing target is kept and the run fails
    std::string preview;         // where a picture of the drawing goes (SVG), if anywhere
    bool previewLabels = false;  // the picture shows the labels too
    std::string previewTitle;    // the caption's name of the input; the read file's if empty
    bool dryRun = false;         // the first pass alone: the input is read and checked, nothing is written
    // The drawing and the picture reach the disk before they are put in place (AtomicFile);
    // off only for scratch output.
    bool sync = true;
    // How long the drawing's copy in place waits for another writer of the target; none: as long
    // as it takes (filesys::LockWait).
    std::function<bool(std::chrono::milliseconds)> lockWait;
    // Asked right before the drawing replaces the target; a text fails the run with it and the
    // target stays as it is.
    std::function<std::string()> beforeCommit;
};

// Reads the FRT file at readPath through the reader into the converter and writes the drawing
// to writePath ("-": standard output), with the progress reporter's range set for each of the two
// phases. The drawing is written only when the whole input was read: a file that cannot be read
// leaves the target as it is, and so do a failed write and running out of memory. The file is
// converted in chunks, with more than one thread several at once; the drawing, the findings and
// their order do not depend on either.
ConversionResult ConvertFile(const std::string& readPath, const std::string& writePath,
                             const ExportOptions& options, const RunSettings& run = {});

} // namespace exportrun
