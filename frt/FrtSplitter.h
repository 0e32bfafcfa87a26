#pragma once

#include "frt/CAttributeMap.h"
#include "frt/FrtRecord.h"
#include "frt/FrtTypes.h"
#include "frt/LineReader.h"

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

// The section a reader is in where a chunk begins.
using FrtSection = frtrecord::Section;

// A run of whole lines of an FRT file that a reader can convert on its own: it begins at a
// record that begins an element, in the section given.
struct FrtChunk {
    std::uint64_t begin = 0;
    std::uint64_t end = std::numeric_limits<std::uint64_t>::max(); // the last chunk reads on to the end
    std::uint64_t linesBefore = 0;
    FrtSection section = FrtSection::None;
};

// Cuts a file into chunks of about the given size, so that reading the chunks one after the
// other hands the consumer the same elements as reading the whole file. A chunk never splits
// a line or area from its vertex records.
class FrtSplitter {
public:
    FrtSplitter(DataKindFlags wanted, std::uint64_t chunkBytes) : m_wanted(wanted), m_chunkBytes(chunkBytes) {
        m_input.SetChecksumming(false); // the chunks' readers sum the bytes
    }

    [[nodiscard]] bool Open(const std::string& path);
    // The next chunk; false at the end of the file, and on a read error (then Error() says why).
    bool Next(FrtChunk& chunk);
    [[nodiscard]] const Failure& Error() const { return m_input.Error(); }

private:
    // Ends the chunk before the line that starts at `start` after `lines` lines.
    bool Cut(FrtChunk& chunk, std::uint64_t start, std::uint64_t lines);

    DataKindFlags m_wanted;
    std::uint64_t m_chunkBytes;
    LineReader m_input;
    FrtSection m_section = FrtSection::None;
    FrtChunk m_next; // where the next chunk begins
    bool m_atEnd = false;
    frtrecord::Record m_record; // views into the line last read
    std::string m_previousKey;  // the grouping key of the line before, when that was parsed
    bool m_havePrevious = false;
};
