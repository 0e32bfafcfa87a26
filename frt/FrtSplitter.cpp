#include "frt/FrtSplitter.h"

#include "frt/FrtRecord.h"

#include <string_view>

bool FrtSplitter::Open(const std::string& path) {
    m_section = FrtSection::None;
    m_next = FrtChunk{};
    m_atEnd = false;
    m_havePrevious = false;
    return m_input.Open(path);
}

bool FrtSplitter::Cut(FrtChunk& chunk, std::uint64_t start, std::uint64_t lines) {
    chunk.end = start;
    m_next.begin = start;
    m_next.linesBefore = lines;
    m_next.section = m_section;
    return true;
}

bool FrtSplitter::Next(FrtChunk& chunk) {
    if (m_atEnd || m_input.Error())
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
            // A line the reader skips (too long, or NUL bytes alone) neither begins nor ends an
            // element, here as there.
            if (m_input.LastLineTooLong() || (!line.empty() && line.find_first_not_of(std::string_view(
                                                                   "\0\r", 2)) == std::string_view::npos))
                continue;
            if (!frtrecord::IsHeaderLine(line)) {
                m_record.Parse(line);
                const std::string_view key = frtrecord::GroupKey(m_record);
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
        if (m_section == FrtSection::None || frtrecord::IsHeaderLine(probe.Head())) {
            m_section = frtrecord::SectionOf(probe.Candidate(), m_wanted);
            continue;
        }
        if (full && m_section == FrtSection::Points)
            return Cut(chunk, start, lines);
    }
    m_atEnd = true;
    chunk.end = std::numeric_limits<std::uint64_t>::max();
    return !m_input.Error();
}
