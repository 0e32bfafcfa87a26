#include "frt/FrtSplitter.h"

namespace {
constexpr std::string_view kSeparators = ";";
constexpr std::string_view kAssign = "=";
} // namespace

bool FrtSplitter::Open(const std::string& path) {
    m_section = FrtSection::None;
    m_next = FrtChunk{};
    m_atEnd = false;
    m_havePrevious = false;
    return m_input.Open(path);
}

FrtSection SectionOf(std::string_view candidate, DataKindFlags wanted) {
    if ((wanted & DATA_KIND_POINTS) != 0 && candidate == "[Points]")
        return FrtSection::Points;
    if ((wanted & DATA_KIND_LINES) != 0 && candidate == "[Lines]")
        return FrtSection::Lines;
    if ((wanted & DATA_KIND_AREAS) != 0 && candidate == "[Areas]")
        return FrtSection::Areas;
    return FrtSection::None;
}

bool FrtSplitter::Cut(FrtChunk& chunk, std::uint64_t start, std::uint64_t lines) {
    chunk.end = start;
    m_next.begin = start;
    m_next.linesBefore = lines;
    m_next.section = m_section;
    return true;
}

bool FrtSplitter::Next(FrtChunk& chunk) {
    if (m_atEnd || !m_input.Error().empty())
        return false;
    chunk = m_next;
    for (;;) {
        const std::uint64_t start = m_input.NextLineStart();
        const std::uint64_t lines = m_input.LinesBeforeNext();
        const bool full = start - chunk.begin >= m_chunkBytes;
        const bool grouped = m_section == FrtSection::Lines || m_section == FrtSection::Areas;
        if (full && grouped) {
            // Lines and areas go on while the records share their "LID"; only a new one begins
            // an element, so these records are parsed, and only these.
            std::string_view line;
            if (!m_input.Next(line))
                break;
            if (line.empty() || line.front() != '[') {
                m_record.Clear();
                m_record.Parse(line, kSeparators, kAssign);
                const std::string_view key = m_record.GetText("LID");
                const bool begins = m_havePrevious && key != m_previousKey;
                m_previousKey.assign(key);
                m_havePrevious = true;
                if (begins)
                    return Cut(chunk, start, lines);
                continue;
            }
            m_input.Unread(); // a header: looked at below like any other
        }
        // Any other line is only looked at, never held, however long it is.
        LineReader::Probe probe;
        if (!m_input.SkipLine(probe))
            break;
        m_havePrevious = false;
        const std::string_view head = probe.Head();
        if (m_section == FrtSection::None || (!head.empty() && head.front() == '[')) {
            m_section = SectionOf(probe.Candidate(), m_wanted);
            continue;
        }
        if (full && m_section == FrtSection::Points)
            return Cut(chunk, start, lines);
    }
    m_atEnd = true;
    chunk.end = std::numeric_limits<std::uint64_t>::max();
    return m_input.Error().empty();
}
