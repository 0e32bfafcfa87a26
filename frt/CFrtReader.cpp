#include "frt/CFrtReader.h"

#include "common/ByteSearch.h"
#include "common/NumberText.h"
#include "frt/FrtRecord.h"
#include "frt/LineReader.h"

#include <cstring>
#include <limits>
#include <string>
#include <utility>

namespace {

using frtrecord::Key;

constexpr double kNoHeight = std::numeric_limits<double>::quiet_NaN();

std::unique_ptr<CFrtPoint> NewVertex() {
    return std::make_unique<CFrtPoint>(0.0, 0.0, kNoHeight);
}

// The element's typed attributes; only the rare record that has some is read into a map.
void ImportTyped(const frtrecord::Record& record, CFrtElement& element) {
    if (!record.HasTyped())
        return;
    CAttributeMap pairs;
    frtrecord::Parse(record.Line(), pairs);
    element.ImportTyped(pairs);
}

// A height of -9999.99 in HO means that the height is in HE.
bool HeightInHe(const frtrecord::Record& record) {
    return record.Get(Key::HO) == "-9999.99";
}

// The survey records that lie outside every section read: in a section this format does not
// have ("[Point]", "[points]", "[Lignes]") or where a section header should be. Each run of them
// is said once, where it begins, with how many there were. What holds no point or line (a job's
// metadata, the header's format line, blank lines) and the sections left out are no finding.
class SkippedRecords {
public:
    explicit SkippedRecords(IFrtDiagnostics* diagnostics) : m_diagnostics(diagnostics) {}

    // A line that no section loop read, numbered `line`.
    void See(std::uint64_t line, const LineReader::Probe& probe) {
        if (m_diagnostics == nullptr)
            return;
        std::string_view head = probe.Head();
        constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
        if (line == 1 && head.substr(0, kByteOrderMark.size()) == kByteOrderMark)
            head.remove_prefix(kByteOrderMark.size());
        const std::string_view candidate = probe.Candidate();
        if (frtrecord::IsHeaderLine(head) || frtrecord::IsHeaderLine(candidate)) {
            Say();
            Open(line, frtrecord::IsHeaderLine(candidate) ? candidate : head);
            return;
        }
        if (m_known)
            return;
        // A record's first pairs tell a point or a vertex.
        m_record.Parse(head);
        if (!m_record.Has(Key::PID) && !m_record.Has(Key::LID) && !m_record.Has(Key::E) &&
            !m_record.Has(Key::N))
            return;
        if (m_records++ == 0)
            m_firstLine = line;
    }

    // Says the last run, at the end of the file.
    void Finish() { Say(); }

private:
    void Open(std::uint64_t line, std::string_view name) {
        m_records = 0;
        m_headerLine = line;
        m_known = name == "[Points]" || name == "[Lines]" || name == "[Areas]";
        m_unknown = !m_known && name != "[Header]";
        if (m_unknown)
            m_name.assign(name);
    }

    void Say() {
        if (m_records == 0)
            return;
        const std::string count = std::to_string(m_records) + " survey record(s) skipped";
        if (m_unknown)
            m_diagnostics->Warn(m_headerLine, m_name, {},
                                "not a section of this format ([Points], [Lines], [Areas]); its " + count);
        else
            m_diagnostics->Warn(m_firstLine, "record", {},
                                "outside any section (a section header may be missing or misspelt); " +
                                    count);
        m_records = 0;
    }

    IFrtDiagnostics* m_diagnostics;
    frtrecord::Record m_record;
    bool m_known = false;   // in a section of this format that the user left out
    bool m_unknown = false; // in a section this format does not have
    std::string m_name;
    std::uint64_t m_headerLine = 0;
    std::uint64_t m_firstLine = 0;
    std::uint64_t m_records = 0;
};

} // namespace

void CFrtReader::FillPoint(const frtrecord::Record& record, CFrtPoint& point, bool measuring) {
    // The name and the code stay: whether they say something decides whether a label is drawn.
    point.SetName(record.Get(Key::PID));
    point.SetCode(record.Get(Key::GROUP), record.Get(Key::CODE));
    const std::string_view east = record.Get(Key::E);
    const std::string_view north = record.Get(Key::N);
    const std::string_view height = record.Get(HeightInHe(record) ? Key::HE : Key::HO);
    FrtCoordinates& coordinates = point.Coordinates();
    if (measuring) {
        coordinates.SetEasting(numtext::ParseDouble(east));
        coordinates.SetNorthing(numtext::ParseDouble(north));
        coordinates.SetHeight(numtext::ParseDouble(height));
        return;
    }
    numtext::Spelling spelled;
    coordinates.SetEasting(numtext::ParseSpelled(east, spelled));
    coordinates.KeepSpelling(FrtCoordinates::kEasting, spelled);
    coordinates.SetNorthing(numtext::ParseSpelled(north, spelled));
    coordinates.KeepSpelling(FrtCoordinates::kNorthing, spelled);
    coordinates.SetHeight(numtext::ParseSpelled(height, spelled));
    coordinates.KeepSpelling(FrtCoordinates::kHeight, spelled);
    point.SetPointClass(frttypes::PointClassFromText(record.Get(Key::PCLASS)));
    ImportTyped(record, point);
}

void CFrtReader::FillLine(const frtrecord::Record& record, CFrtLine& line) {
    ImportTyped(record, line);
    line.SetName(record.Get(Key::LID));
    line.SetCode(record.Get(Key::GROUP), record.Get(Key::CODE));
    line.SetColour(static_cast<std::int32_t>(numtext::ParseHex(record.Get(Key::LCOLOR))));
    LineStyle style = LINE_STYLE_UNSET;
    if (frttypes::LineStyleFromText(record.Get(Key::LSTYLE), style))
        line.SetStyle(style);
    line.SetWidth(numtext::ParseDouble(record.Get(Key::LWIDTH)));
}

void CFrtReader::FillArea(const frtrecord::Record& record, CFrtArea& area) {
    ImportTyped(record, area);
    area.SetName(record.Get(Key::LID));
    area.SetArea(numtext::ParseDouble(record.Get(Key::AREA)));
    area.SetCode(record.Get(Key::GROUP), record.Get(Key::CODE));
    area.SetFillColour(numtext::ParseInt(record.Get(Key::SCOLOR)));
    area.SetHatchStyle(frttypes::HatchStyleFromText(record.Get(Key::SSTYLE)));
}

void CFrtReader::CheckNumber(std::uint64_t line, Key key, std::string_view name) const {
    const std::string_view text = m_record.Get(key);
    double value = 0;
    if (!text.empty() && !numtext::ParseWhole(text, &value))
        m_diagnostics->Warn(line, name, text,
                            "not a number; " + numtext::FormatShortest(numtext::ParseDouble(text)) + " used");
}

void CFrtReader::CheckPoint(const LineReader& input, bool surveyPoint) const {
    const std::uint64_t line = input.LineNumber();
    for (const auto& [key, name] : {std::pair{Key::E, "E"}, std::pair{Key::N, "N"}}) {
        if (!m_record.Has(key))
            m_diagnostics->Warn(
                line, name, {},
                input.LastLineUnended()
                    ? "missing in the last record, which has no line end: the file may be cut "
                      "off; 0 used"
                    : "missing; 0 used");
        CheckNumber(line, key, name);
    }
    if (HeightInHe(m_record)) {
        if (!m_record.Has(Key::HE))
            m_diagnostics->Warn(line, "HO", "-9999.99",
                                "the height should be in HE, which is missing; 0 used");
        CheckNumber(line, Key::HE, "HE");
    } else if (surveyPoint && m_heightsDrawn && m_record.Get(Key::HO).empty()) {
        // Beside neighbours at 400 m, a point at 0 is no height anyone measured. Line and area
        // vertices often come without heights and are left alone.
        m_diagnostics->Warn(line, "HO", {}, "no height; 0 used");
    } else {
        CheckNumber(line, Key::HO, "HO");
    }
}

void CFrtReader::CheckLine(std::uint64_t line) const {
    const std::string_view colour = m_record.Get(Key::LCOLOR);
    std::uint32_t colourValue = 0;
    if (!colour.empty() && !numtext::ParseWholeHex(colour, &colourValue))
        m_diagnostics->Warn(line, "LCOLOR", colour,
                            "not a hexadecimal colour; " + std::to_string(numtext::ParseHex(colour)) +
                                " used");
    LineStyle style = LINE_STYLE_UNSET;
    const std::string_view lstyle = m_record.Get(Key::LSTYLE);
    if (!lstyle.empty() && !frttypes::LineStyleFromText(lstyle, style))
        m_diagnostics->Warn(line, "LSTYLE", lstyle,
                            "not one of 0 Solid, 1 Dash, 2 Dot, 3 DashDot, 4 DashDotDot; no line type used");
    CheckNumber(line, Key::LWIDTH, "LWIDTH");
}

void CFrtReader::CheckArea(std::uint64_t line) const {
    CheckNumber(line, Key::AREA, "AREA");
    const std::string_view fill = m_record.Get(Key::SCOLOR);
    std::int32_t fillValue = 0;
    if (!fill.empty() && !numtext::ParseWhole(fill, &fillValue))
        m_diagnostics->Warn(line, "SCOLOR", fill,
                            "not a whole number; " + std::to_string(numtext::ParseInt(fill)) + " used");
    const std::string_view sstyle = m_record.Get(Key::SSTYLE);
    if (!sstyle.empty() && frttypes::HatchStyleFromText(sstyle) == HATCH_STYLE_NONE)
        m_diagnostics->Warn(
            line, "SSTYLE", sstyle,
            "not one of 0 Horizontal, 1 Vertical, 2 FDiagonal, 3 BDiagonal, 4 Cross, 5 Diacross; "
            "no hatch used");
}

CFrtPoint* CFrtReader::ReadPoint(std::string_view record, CFrtPoint* point) {
    frtrecord::Record pairs;
    pairs.Parse(record);
    FillPoint(pairs, *point);
    return point;
}

CFrtLine* CFrtReader::ReadLine(std::string_view record, CFrtLine* line) {
    frtrecord::Record pairs;
    pairs.Parse(record);
    FillLine(pairs, *line);
    return line;
}

CFrtArea* CFrtReader::ReadArea(std::string_view record, CFrtArea* area) {
    frtrecord::Record pairs;
    pairs.Parse(record);
    FillArea(pairs, *area);
    return area;
}

void CFrtReader::CountAndConvert(std::unique_ptr<CFrtElement> element) {
    Count(element->GetType());
    Convert(std::move(element));
}

void CFrtReader::Count(FrtElementType type) {
    ++m_elements;
    switch (type) {
    case FRT_ELEMENT_POINT:
        ++m_counts.points;
        break;
    case FRT_ELEMENT_LINE:
        ++m_counts.lines;
        break;
    case FRT_ELEMENT_AREA:
        ++m_counts.areas;
        break;
    }
}

void CFrtReader::Convert(std::unique_ptr<CFrtElement> element) {
    if (m_consumer)
        m_consumer->Process(std::move(element));
}

void CFrtReader::HandOn(FrtElementType type, std::unique_ptr<CFrtLine> piece, const CFrtLine::Piece& how) {
    piece->SetPiece(how);
    if (type == FRT_ELEMENT_LINE) {
        Convert(std::move(piece));
        return;
    }
    auto area = std::make_unique<CFrtArea>();
    area->SetName(piece->GetName());
    area->SetCode(piece->GetCode());
    area->SetLine(piece->GetLine());
    area->SetBoundary(std::move(piece));
    Convert(std::move(area));
}

void CFrtReader::HandOnInPieces(LineReader& input, std::unique_ptr<CFrtArea> area,
                                std::unique_ptr<CFrtLine> piece, std::uint64_t start,
                                std::uint64_t linesBefore) {
    const FrtElementType type = area ? FRT_ELEMENT_AREA : FRT_ELEMENT_LINE;
    Count(type);
    const std::unique_ptr<CFrtLine> like = piece->EmptyLike();
    auto next = like->EmptyLike();
    bool more = VertexLoop(input, *next);
    if (area) {
        // The area as read goes with the first piece.
        piece->SetPiece({CFrtLine::Part::Chain, true, false});
        area->SetBoundary(std::move(piece));
        Convert(std::move(area));
    } else {
        HandOn(type, std::move(piece), {CFrtLine::Part::Chain, true, false});
    }
    piece = std::move(next);
    while (more) {
        next = like->EmptyLike();
        more = VertexLoop(input, *next);
        HandOn(type, std::move(piece), {CFrtLine::Part::Chain, false, false});
        piece = std::move(next);
    }
    HandOn(type, std::move(piece), {CFrtLine::Part::Chain, false, true});
    // The line's last record is read; the line after it, if any, waits to be read again.
    HandOnPoints(*like, type, start, input.NextLineStart(), linesBefore);
}

void CFrtReader::HandOnPoints(const CFrtLine& like, FrtElementType type, std::uint64_t start,
                              std::uint64_t end, std::uint64_t linesBefore) {
    LineReader again;
    if (!again.Open(m_path, start, end, linesBefore)) {
        m_readError = again.Error();
        return;
    }
    // The records were looked at, counted and checked when they were first read.
    IFrtDiagnostics* const diagnostics = std::exchange(m_diagnostics, nullptr);
    codepage::Evidence* const evidence = std::exchange(m_evidence, nullptr);
    std::string_view text;
    if (NextLine(again, text)) {
        m_record.Parse(text);
        for (bool first = true;; first = false) {
            auto points = like.EmptyLike();
            const bool more = VertexLoop(again, *points);
            HandOn(type, std::move(points), {CFrtLine::Part::Points, first, !more});
            if (!more)
                break;
        }
    }
    if (again.Error())
        m_readError = again.Error();
    m_diagnostics = diagnostics;
    m_evidence = evidence;
}

bool CFrtReader::NextLine(LineReader& input, std::string_view& line) {
    while (input.Next(line)) {
        // A line read again (the record after a line's last vertex) was looked at the first time.
        if (input.LastLineRepeated())
            return true;
        if (input.LastLineTooLong()) {
            if (m_diagnostics != nullptr)
                m_diagnostics->Warn(input.LineNumber(), "record", {},
                                    "longer than 1 MiB, no record (the file may be damaged); skipped");
            continue;
        }
        if (const char* end = line.data() + line.size(); FindByte(line.data(), end, '\0') != end) {
            // Zeros alone are what a crash leaves, no record; zeros among data are kept as data.
            const bool zerosOnly =
                line.find_first_not_of(std::string_view("\0\r", 2)) == std::string_view::npos;
            if (m_diagnostics != nullptr)
                m_diagnostics->Warn(input.LineNumber(), "record", {},
                                    zerosOnly ? "only NUL bytes (the file may be damaged); skipped"
                                              : "holds NUL bytes (the file may be damaged)");
            if (zerosOnly)
                continue;
        }
        if (m_evidence != nullptr)
            m_evidence->Look(line);
        return true;
    }
    return false;
}

bool CFrtReader::NextRecord(LineReader& input, std::string_view& line) {
    if (!NextLine(input, line))
        return false;
    if (frtrecord::IsHeaderLine(line)) {
        input.Unread();
        return false;
    }
    return true;
}

void CFrtReader::PointsLoop(LineReader& input) {
    std::string_view line;
    while (NextRecord(input, line)) {
        m_record.Parse(line);
        auto point = NewVertex();
        FillPoint(m_record, *point, m_measuring);
        if (m_diagnostics != nullptr)
            CheckPoint(input, true);
        CountAndConvert(std::move(point));
    }
}

bool CFrtReader::VertexLoop(LineReader& input, CFrtLine& line) {
    const std::string key(frtrecord::GroupKey(m_record));
    for (;;) {
        auto vertex = NewVertex();
        FillPoint(m_record, *vertex, m_measuring);
        if (m_diagnostics != nullptr)
            CheckPoint(input);
        line.AddVertex(std::move(vertex));

        std::string_view text;
        if (!NextLine(input, text))
            return false;
        const bool header = frtrecord::IsHeaderLine(text);
        if (!header)
            m_record.Parse(text);
        if (header || frtrecord::GroupKey(m_record) != key) {
            input.Unread();
            return false;
        }
        if (line.GetVertices().size() >= m_pieceVertices)
            return true;
    }
}

void CFrtReader::LinesLoop(LineReader& input) {
    std::string_view text;
    while (NextRecord(input, text)) {
        const std::uint64_t start = input.LastLineStart();
        const std::uint64_t linesBefore = input.LineNumber() - 1;
        m_record.Parse(text);
        auto line = std::make_unique<CFrtLine>();
        FillLine(m_record, *line);
        line->SetLine(input.LineNumber());
        if (m_diagnostics != nullptr)
            CheckLine(input.LineNumber());
        if (!VertexLoop(input, *line)) {
            CountAndConvert(std::move(line));
            continue;
        }
        HandOnInPieces(input, nullptr, std::move(line), start, linesBefore);
    }
}

void CFrtReader::AreasLoop(LineReader& input) {
    std::string_view text;
    while (NextRecord(input, text)) {
        const std::uint64_t start = input.LastLineStart();
        const std::uint64_t linesBefore = input.LineNumber() - 1;
        m_record.Parse(text);
        auto area = std::make_unique<CFrtArea>();
        FillArea(m_record, *area);
        auto boundary = std::make_unique<CFrtLine>();
        FillLine(m_record, *boundary);
        area->SetLine(input.LineNumber());
        boundary->SetLine(input.LineNumber());
        if (m_diagnostics != nullptr) {
            CheckArea(input.LineNumber());
            CheckLine(input.LineNumber());
        }
        if (!VertexLoop(input, *boundary)) {
            area->SetBoundary(std::move(boundary));
            CountAndConvert(std::move(area));
            continue;
        }
        HandOnInPieces(input, std::move(area), std::move(boundary), start, linesBefore);
    }
}

FrtReadResult CFrtReader::Read(const std::string& path) {
    return ReadChunk(path, FrtChunk{});
}

FrtReadResult CFrtReader::ReadChunk(const std::string& path, const FrtChunk& chunk) {
    m_path = path;
    m_readError = {};
    LineReader input;
    if (!input.Open(path, chunk.begin, chunk.end, chunk.linesBefore)) {
        FrtReadResult result;
        result.error = input.Error();
        return result;
    }
    return ReadFrom(input, chunk.section);
}

FrtReadResult CFrtReader::ReadFrom(LineReader& input, FrtSection section) {
    FrtReadResult result;
    result.opened = true;
    m_elements = 0;
    m_counts = FrtReadResult{};
    const DataKindFlags* kinds = m_dataKinds;
    const DataKindFlags wanted = kinds != nullptr ? *kinds : 0;
    SkippedRecords skipped(m_diagnostics);
    for (;;) {
        if (section == FrtSection::Points)
            PointsLoop(input);
        else if (section == FrtSection::Lines)
            LinesLoop(input);
        else if (section == FrtSection::Areas)
            AreasLoop(input);
        LineReader::Probe probe;
        if (!input.SkipLine(probe))
            break;
        skipped.See(input.LineNumber(), probe);
        section = frtrecord::SectionOf(probe.Candidate(), wanted);
    }
    skipped.Finish();
    result.error = input.Error() ? input.Error() : m_readError;
    result.bytes = input.BytesRead();
    result.checksum = input.ChecksumRead();
    result.elements = m_elements;
    result.points = m_counts.points;
    result.lines = m_counts.lines;
    result.areas = m_counts.areas;
    return result;
}
