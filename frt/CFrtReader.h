#pragma once

#include "common/CodePage.h"
#include "frt/CAttributeMap.h"
#include "frt/CFrtArea.h"
#include "frt/CFrtLine.h"
#include "frt/CFrtPoint.h"
#include "frt/FrtReadResult.h"
#include "frt/FrtRecord.h"
#include "frt/FrtSplitter.h"
#include "frt/IFrtConsumer.h"
#include "frt/IFrtDiagnostics.h"

#include <memory>
#include <string>
#include <string_view>

class LineReader;

// What a reader does besides handing on the elements, for its whole life.
struct FrtReadPass {
    static constexpr std::size_t kPieceVertices = 4096;

    // Who hears of values that were replaced by a fallback; none by default, and then the
    // records are not examined for it at all.
    IFrtDiagnostics* diagnostics = nullptr;
    // Where the bytes of every record are looked at for their encoding; none by default.
    codepage::Evidence* evidence = nullptr;
    // Whether the heights are drawn (a 3D drawing): then a point without one is a finding too.
    bool heightsDrawn = false;
    // The first pass of a conversion, which measures the drawing: points then get only what
    // changes its extents, layers and counts, not what only the written drawing shows (the
    // spellings of their numbers, their class, their typed attributes).
    bool measuring = false;
    // How many vertices of a line are held at most: a longer line is handed on in pieces
    // (CFrtLine::Piece), so memory stays bounded whatever a line holds. At least 1.
    std::size_t pieceVertices = kPieceVertices;
};

// Streams the points, lines and areas of an FRT file to the consumer, one finished element at
// a time, in file order. Nothing is collected: memory is one line and one element.
class CFrtReader {
public:
    // The data kinds are the caller's, read at each Read.
    CFrtReader(std::unique_ptr<IFrtConsumer> consumer, const DataKindFlags* dataKinds, FrtReadPass pass = {})
        : m_consumer(std::move(consumer)), m_dataKinds(dataKinds), m_diagnostics(pass.diagnostics),
          m_heightsDrawn(pass.heightsDrawn), m_measuring(pass.measuring), m_evidence(pass.evidence),
          m_pieceVertices(pass.pieceVertices < 1 ? 1 : pass.pieceVertices) {}

    // Reads the whole file. A file that cannot be opened gives no elements; the result says why.
    FrtReadResult Read(const std::string& path);
    // Reads one chunk of the file, as the whole file's reading would have read it.
    FrtReadResult ReadChunk(const std::string& path, const FrtChunk& chunk);

    static constexpr std::size_t kPieceVertices = FrtReadPass::kPieceVertices;

    // Fill a freshly made element from one record line.
    static CFrtPoint* ReadPoint(std::string_view record, CFrtPoint* point);
    static CFrtLine* ReadLine(std::string_view record, CFrtLine* line);
    static CFrtArea* ReadArea(std::string_view record, CFrtArea* area);

private:
    static void FillPoint(const frtrecord::Record& record, CFrtPoint& point, bool measuring = false);
    static void FillLine(const frtrecord::Record& record, CFrtLine& line);
    static void FillArea(const frtrecord::Record& record, CFrtArea& area);

    void PointsLoop(LineReader& input);
    void LinesLoop(LineReader& input);
    void AreasLoop(LineReader& input);
    // Adds the vertex of the parsed record and of every following record of the same "LID";
    // true, with the next vertex's record parsed, when the line holds a piece's worth first.
    bool VertexLoop(LineReader& input, CFrtLine& line);
    // Hands on a line (no area) or an area too long to hold, whose first full piece was read
    // from the record at `start`: its chain piece by piece as it is read, then its vertices once
    // more as points, read again from the file.
    void HandOnInPieces(LineReader& input, std::unique_ptr<CFrtArea> area, std::unique_ptr<CFrtLine> piece,
                        std::uint64_t start, std::uint64_t linesBefore);
    // Reads the vertices of the line at [start, end) again, for its points.
    void HandOnPoints(const CFrtLine& like, FrtElementType type, std::uint64_t start, std::uint64_t end,
                      std::uint64_t linesBefore);
    void HandOn(FrtElementType type, std::unique_ptr<CFrtLine> piece, const CFrtLine::Piece& how);
    // Reads the next record of a section; false at a header line (left to be read again) or at
    // the end of the file.
    bool NextRecord(LineReader& input, std::string_view& line);
    // Reads the next line that can be a record: a line too long to be one, or of NUL bytes alone
    // (what a crash leaves), is a finding and skipped; NUL bytes among data are a finding.
    // False at the end of the file.
    bool NextLine(LineReader& input, std::string_view& line);
    // Counts the element and gives it to the converter.
    void CountAndConvert(std::unique_ptr<CFrtElement> element);
    void Count(FrtElementType type);
    void Convert(std::unique_ptr<CFrtElement> element);
    FrtReadResult ReadFrom(LineReader& input, FrtSection section);

    // Tell the diagnostics of the current record's values that were not taken as they stand.
    // surveyPoint: a point of the [Points] section, not a vertex of a line or area.
    void CheckPoint(const LineReader& input, bool surveyPoint = false) const;
    void CheckLine(std::uint64_t line) const;
    void CheckArea(std::uint64_t line) const;
    void CheckNumber(std::uint64_t line, frtrecord::Key key, std::string_view name) const;

    std::unique_ptr<IFrtConsumer> m_consumer;
    const DataKindFlags* m_dataKinds;
    frtrecord::Record m_record; // the current record's pairs, views into its line
    std::uint64_t m_elements = 0;
    FrtReadResult m_counts; // the elements of each kind
    // The pass (FrtReadPass).
    IFrtDiagnostics* m_diagnostics;
    bool m_heightsDrawn;
    bool m_measuring;
    codepage::Evidence* m_evidence;
    std::size_t m_pieceVertices;
    std::string m_path;  // the file read, read again for a line handed on in pieces
    Failure m_readError; // what went wrong reading it again
};
