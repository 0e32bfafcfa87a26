#include "CFrtReader.h"

#include "CProgressBar.h"
#include "LineReader.h"
#include "NumberText.h"

#include <limits>

namespace {

constexpr std::string_view kSeparators = ";";
constexpr std::string_view kAssign = "=";
constexpr double kNoHeight = std::numeric_limits<double>::quiet_NaN();

void Step(std::size_t characters) { CProgressBar::Instance().StepBy(static_cast<std::int64_t>(characters)); }

FrtCode CodeOf(const CAttributeMap& record) {
    FrtCode code;
    code.SetGroup(record.GetText("GROUP"));
    code.SetCodeText(record.GetText("CODE"));
    return code;
}

std::unique_ptr<CFrtPoint> NewVertex() { return std::make_unique<CFrtPoint>(0.0, 0.0, kNoHeight); }

} // namespace

void CFrtReader::FillPoint(const CAttributeMap& record, CFrtPoint& point) {
    point.ImportTyped(record);
    point.SetName(record.GetText("PID"));
    const std::string_view ho = record.GetText("HO");
    const double height = ho == "-9999.99" ? numtext::ParseDouble(record.GetText("HE")) : numtext::ParseDouble(ho);
    point.SetCoordinates(FrtCoordinates(numtext::ParseDouble(record.GetText("E")),
                                        numtext::ParseDouble(record.GetText("N")), height));
    point.SetCode(CodeOf(record));
    point.SetPointClass(PointClassFromText(record.GetText("PCLASS")));
}

void CFrtReader::FillLine(const CAttributeMap& record, CFrtLine& line) {
    line.ImportTyped(record);
    line.SetName(record.GetText("LID"));
    line.SetCode(CodeOf(record));
    line.SetColour(static_cast<std::int32_t>(numtext::ParseHex(record.GetText("LCOLOR"))));
    LineStyle style = LINE_STYLE_UNSET;
    if (LineStyleFromText(record.GetText("LSTYLE"), style))
        line.SetStyle(style);
    line.SetWidth(numtext::ParseDouble(record.GetText("LWIDTH")));
}

void CFrtReader::FillArea(const CAttributeMap& record, CFrtArea& area) {
    area.ImportTyped(record);
    area.SetName(record.GetText("LID"));
    area.SetArea(numtext::ParseDouble(record.GetText("AREA")));
    area.SetCode(CodeOf(record));
    area.SetFillColour(numtext::ParseInt(record.GetText("SCOLOR")));
    area.SetHatchStyle(HatchStyleFromText(record.GetText("SSTYLE")));
}

CFrtPoint* CFrtReader::ReadPoint(std::string_view record, CFrtPoint* point) {
    CAttributeMap pairs;
    pairs.Parse(record, kSeparators, kAssign);
    FillPoint(pairs, *point);
    return point;
}

CFrtLine* CFrtReader::ReadLine(std::string_view record, CFrtLine* line) {
    CAttributeMap pairs;
    pairs.Parse(record, kSeparators, kAssign);
    FillLine(pairs, *line);
    return line;
}

CFrtArea* CFrtReader::ReadArea(std::string_view record, CFrtArea* area) {
    CAttributeMap pairs;
    pairs.Parse(record, kSeparators, kAssign);
    FillArea(pairs, *area);
    return area;
}

void CFrtReader::Hand(std::unique_ptr<CFrtElement> element) {
    ++m_elements;
    if (IFrtConsumer* consumer = GetConsumer())
        consumer->Process(std::move(element));
}

bool CFrtReader::NextRecord(LineReader& input, std::string_view& line) {
    if (!input.Next(line))
        return false;
    Step(line.size());
    if (!line.empty() && line.front() == '[') {
        input.Unread();
        return false;
    }
    return true;
}

void CFrtReader::PointsLoop(LineReader& input) {
    std::string_view line;
    while (NextRecord(input, line)) {
        m_record.Clear();
        m_record.Parse(line, kSeparators, kAssign);
        auto point = NewVertex();
        FillPoint(m_record, *point);
        Hand(std::move(point));
    }
}

void CFrtReader::VertexLoop(LineReader& input, CFrtLine& line) {
    // Each record's grouping key is its own whole "LID" value; a missing one is empty.
    const std::string key(m_record.GetText("LID"));
    for (;;) {
        auto vertex = NewVertex();
        FillPoint(m_record, *vertex);
        line.AddVertex(std::move(vertex));

        std::string_view text;
        if (!input.Next(text))
            return;
        Step(text.size());
        const bool header = !text.empty() && text.front() == '[';
        if (!header) {
            m_record.Clear();
            m_record.Parse(text, kSeparators, kAssign);
        }
        if (header || m_record.GetText("LID") != key) {
            input.Unread();
            return;
        }
    }
}

void CFrtReader::LinesLoop(LineReader& input) {
    std::string_view text;
    while (NextRecord(input, text)) {
        m_record.Clear();
        m_record.Parse(text, kSeparators, kAssign);
        auto line = std::make_unique<CFrtLine>();
        FillLine(m_record, *line);
        VertexLoop(input, *line);
        Hand(std::move(line));
    }
}

void CFrtReader::AreasLoop(LineReader& input) {
    std::string_view text;
    while (NextRecord(input, text)) {
        m_record.Clear();
        m_record.Parse(text, kSeparators, kAssign);
        auto area = std::make_unique<CFrtArea>();
        FillArea(m_record, *area);
        auto boundary = std::make_unique<CFrtLine>();
        FillLine(m_record, *boundary);
        VertexLoop(input, *boundary);
        area->SetBoundary(std::move(boundary));
        Hand(std::move(area));
    }
}

FrtReadResult CFrtReader::Read(const std::string& path) {
    FrtReadResult result;
    LineReader input;
    if (!input.Open(path)) {
        result.error = input.Error();
        return result;
    }
    result.opened = true;
    m_elements = 0;
    const DataKindFlags* kinds = GetDataKinds();
    const DataKindFlags wanted = kinds != nullptr ? *kinds : 0;
    for (;;) {
        LineReader::Probe probe;
        if (!input.SkipLine(probe))
            break;
        Step(probe.Length());
        const std::string_view candidate = probe.Candidate();
        if ((wanted & DATA_KIND_POINTS) != 0 && candidate == "[Points]")
            PointsLoop(input);
        else if ((wanted & DATA_KIND_LINES) != 0 && candidate == "[Lines]")
            LinesLoop(input);
        else if ((wanted & DATA_KIND_AREAS) != 0 && candidate == "[Areas]")
            AreasLoop(input);
    }
    result.error = input.Error();
    result.bytes = input.BytesRead();
    result.elements = m_elements;
    return result;
}
