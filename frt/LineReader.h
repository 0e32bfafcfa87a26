#pragma once

#include "common/Checksum.h"
#include "common/Failure.h"
#include "common/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Reads a text file line by line through one large buffer. A line ends at LF, CR LF or a CR
// alone (the line ends of old Mac programs), none of which is part of it. The last line may lack its LF. Next
// returns lines of up to kLongestLine whole and skips longer ones (a damaged file) without holding them;
// SkipLine looks at a line of any length without holding it. Memory so stays bounded whatever the input.
class LineReader {
public:
    // What SkipLine tells of a line: its length and whether, after leading white space, it is
    // exactly one short text (a section header candidate).
    class Probe {
    public:
        [[nodiscard]] std::size_t Length() const { return m_length; }
        // The line after leading white space, or empty when that is longer than a header can be.
        [[nodiscard]] std::string_view Candidate() const;
        // The line's first bytes as they stand (all of it when it is at most kHead long).
        [[nodiscard]] std::string_view Head() const { return {m_head, m_headLength}; }
        static constexpr std::size_t kHead = 64;

    private:
        friend class LineReader;
        void Feed(const char* data, std::size_t size);

        static constexpr std::size_t kCapacity = 32;
        char m_text[kCapacity] = {};
        char m_head[kHead] = {};
        std::size_t m_headLength = 0;
        std::size_t m_textLength = 0;
        std::size_t m_length = 0;
        bool m_pastSpace = false;
        bool m_overflow = false;
    };

    LineReader() = default;
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Returns false and sets Error() when the file cannot be opened.
    [[nodiscard]] bool Open(const std::string& path);
    // Reads only the bytes from `begin` up to `end` (both at line starts) as if they were the whole
    // file, counting lines on from `linesBefore`.
    [[nodiscard]] bool Open(const std::string& path, std::uint64_t begin, std::uint64_t end,
                            std::uint64_t linesBefore);
    // Far above any real record line.
    static constexpr std::size_t kLongestLine = std::size_t{1} << 20;
    // The next line, valid until the following call. False at the end of the file. A line longer
    // than kLongestLine comes back empty, with LastLineTooLong.
    bool Next(std::string_view& line);
    [[nodiscard]] bool LastLineTooLong() const { return m_tooLong; }
    // Whether the line Next returned last is the file's last and has no line end: what a writer
    // that stopped half way leaves.
    [[nodiscard]] bool LastLineUnended() const { return m_unended; }
    // The length of the line Next skipped as too long.
    [[nodiscard]] std::uint64_t SkippedLength() const { return m_skipped; }
    // The next line seen through a probe only. False at the end of the file.
    bool SkipLine(Probe& probe);
    // The next Next or SkipLine returns the line that Next just returned once more.
    void Unread() { m_repeat = true; }
    // Whether the line Next returned last was one returned before and unread.
    [[nodiscard]] bool LastLineRepeated() const { return m_repeated; }

    // The system's error text after a failed open or read; empty when all went well.
    [[nodiscard]] const Failure& Error() const { return m_error; }
    [[nodiscard]] std::uint64_t BytesRead() const { return m_bytesRead; }
    // The checksum of every byte read so far.
    [[nodiscard]] std::uint64_t ChecksumRead() const { return m_checksum.Value(); }
    // Whether the checksum is kept (it is by default): a reader that only looks for where to cut
    // the file need not sum what the readers of its pieces sum again.
    void SetChecksumming(bool on) { m_summing = on; }
    // The 1-based number of the line last returned (or seen through a probe).
    [[nodiscard]] std::uint64_t LineNumber() const { return m_lineNumber; }
    // The file offset where the line that the next Next or SkipLine returns begins.
    [[nodiscard]] std::uint64_t NextLineStart() const {
        return m_repeat ? m_lastStart : m_origin + m_bytesRead - (m_end - m_begin);
    }
    // The file offset where the line last returned begins.
    [[nodiscard]] std::uint64_t LastLineStart() const { return m_lastStart; }
    // How many lines come before that line.
    [[nodiscard]] std::uint64_t LinesBeforeNext() const { return m_repeat ? m_lineNumber - 1 : m_lineNumber; }

private:
    // Moves the unread rest to the front, grows the buffer when a line fills it, reads more.
    void Refill();
    // Where a line that begins at `start` ends among the bytes read: its length, and how many
    // bytes its line end takes (0 when it has none there yet).
    struct LineEnd {
        std::size_t length;
        std::size_t ending;
    };
    [[nodiscard]] LineEnd EndOfLine(const char* start, std::size_t available) const;
    // Reads past the end of the current line without holding it.
    bool SkipLongLine(std::string_view& line);

    filesys::FilePtr m_file;
    std::vector<char> m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    bool m_eof = true;
    bool m_repeat = false;
    bool m_repeated = false;
    bool m_tooLong = false;
    bool m_unended = false;
    std::uint64_t m_skipped = 0;
    std::string_view m_last;
    Failure m_error;
    std::string m_path;
    std::uint64_t m_bytesRead = 0;
    Checksum m_checksum;
    bool m_summing = true;
    std::uint64_t m_lineNumber = 0;
    std::uint64_t m_origin = 0;    // the file offset of the first byte read
    std::uint64_t m_remaining = 0; // bytes that may still be read
    std::uint64_t m_lastStart = 0; // the file offset of the line last returned
};
