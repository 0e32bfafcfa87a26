#include "frt/LineReader.h"

#include "common/ByteSearch.h"
#include "common/FileSystem.h"
#include "common/NumberText.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

namespace {
constexpr std::size_t kLargestRead = std::size_t{1} << 20;
constexpr std::size_t kSmallestBuffer = std::size_t{4} << 10;

// Large reads for large files; a small file gets a buffer of its own size, which matters
// when many small files are read in one process.
std::size_t BufferSizeFor(const std::string& path) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(filesys::PathOf(path), ec);
    if (ec)
        return kLargestRead;
    return static_cast<std::size_t>(std::clamp<std::uintmax_t>(size + 1, kSmallestBuffer, kLargestRead));
}
} // namespace

std::string_view LineReader::Probe::Candidate() const {
    if (m_overflow)
        return {};
    return {m_text, m_textLength};
}

void LineReader::Probe::Feed(const char* data, std::size_t size) {
    if (size == 0)
        return;
    const std::size_t headPart = std::min(size, kHead - m_headLength);
    std::memcpy(m_head + m_headLength, data, headPart);
    m_headLength += headPart;
    m_length += size;
    std::size_t i = 0;
    if (!m_pastSpace) {
        while (i < size && numtext::IsCSpace(data[i]))
            ++i;
        if (i == size)
            return;
        m_pastSpace = true;
    }
    if (m_overflow)
        return;
    const std::size_t rest = size - i;
    if (m_textLength + rest > kCapacity) {
        m_overflow = true;
        return;
    }
    std::memcpy(m_text + m_textLength, data + i, rest);
    m_textLength += rest;
}

bool LineReader::Open(const std::string& path) {
    return Open(path, 0, std::numeric_limits<std::uint64_t>::max(), 0);
}

bool LineReader::Open(const std::string& path, std::uint64_t begin, std::uint64_t end,
                      std::uint64_t linesBefore) {
    ErrorOr<filesys::FilePtr> file = filesys::OpenFile(path, "rb");
    const std::error_code error = !file       ? file.error()
                                  : begin > 0 ? filesys::SeekTo(file->get(), begin)
                                              : std::error_code();
    if (error) {
        m_error = Failure(Failure::Stage::Read, path, error);
        m_file.reset();
        return false;
    }
    m_file = std::move(*file);
    const std::uint64_t length = end - begin;
    m_buffer.resize(std::min<std::uint64_t>(BufferSizeFor(path), std::max<std::uint64_t>(length, 1)));
    m_begin = m_end = 0;
    m_eof = false;
    m_repeat = false;
    m_repeated = false;
    m_error = {};
    m_path = path;
    m_bytesRead = 0;
    m_checksum = Checksum();
    m_lineNumber = linesBefore;
    m_origin = begin;
    m_remaining = length;
    m_lastStart = begin;
    return true;
}

void LineReader::Refill() {
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    if (m_end == m_buffer.size())
        m_buffer.resize(m_buffer.size() * 2);
    const std::size_t room =
        static_cast<std::size_t>(std::min<std::uint64_t>(m_buffer.size() - m_end, m_remaining));
    std::size_t got = 0;
    std::error_code error;
    while (room > 0 && (error = filesys::Calls().read(m_file.get(), m_buffer.data() + m_end, room, got)) ==
                           std::errc::interrupted)
        std::clearerr(m_file.get()); // a signal interrupted the read: nothing is lost, read on
    if (error) {
        m_error = Failure(Failure::Stage::Read, m_path, error);
        m_eof = true;
        return;
    }
    if (m_summing)
        m_checksum.Add(m_buffer.data() + m_end, got);
    m_end += got;
    m_bytesRead += got;
    m_remaining -= got;
    if (got == 0)
        m_eof = true;
}

LineReader::LineEnd LineReader::EndOfLine(const char* start, std::size_t available) const {
    const char* end = start + available;
    const char* found = FindLineEnd(start, end);
    const auto length = static_cast<std::size_t>(found - start);
    if (found == end)
        return {length, 0};
    if (*found == '\n')
        return {length, 1};
    if (found + 1 != end)
        return {length, found[1] == '\n' ? std::size_t{2} : std::size_t{1}};
    // A CR read last may be the first half of a CR LF: it ends the line once the next byte is known.
    return {length, m_eof ? std::size_t{1} : std::size_t{0}};
}

bool LineReader::Next(std::string_view& line) {
    m_repeated = m_repeat;
    if (m_repeat) {
        m_repeat = false;
        line = m_last;
        return true;
    }
    m_lastStart = NextLineStart();
    m_tooLong = false;
    m_unended = false;
    for (;;) {
        const char* start = m_buffer.data() + m_begin;
        const std::size_t available = m_end - m_begin;
        const LineEnd end = EndOfLine(start, available);
        if (end.length > kLongestLine)
            return SkipLongLine(line);
        if (end.ending != 0) {
            m_begin += end.length + end.ending;
            m_last = std::string_view(start, end.length);
            line = m_last;
            ++m_lineNumber;
            return true;
        }
        if (m_eof) {
            if (available == 0)
                return false;
            m_begin = m_end;
            m_unended = true;
            m_last = std::string_view(start, available);
            line = m_last;
            ++m_lineNumber;
            return true;
        }
        Refill();
    }
}

bool LineReader::SkipLongLine(std::string_view& line) {
    std::uint64_t length = 0;
    for (;;) {
        const char* start = m_buffer.data() + m_begin;
        const std::size_t available = m_end - m_begin;
        const LineEnd end = EndOfLine(start, available);
        length += end.length;
        if (end.ending != 0) {
            m_begin += end.length + end.ending;
            break;
        }
        m_begin += end.length; // a CR read last stays, to be looked at with what follows
        if (m_eof)
            break;
        Refill();
    }
    m_tooLong = true;
    m_skipped = length;
    m_last = {};
    line = m_last;
    ++m_lineNumber;
    return true;
}

bool LineReader::SkipLine(Probe& probe) {
    if (m_repeat) {
        m_repeat = false;
        probe.Feed(m_last.data(), m_last.size());
        return true;
    }
    m_lastStart = NextLineStart();
    bool started = false;
    for (;;) {
        const char* start = m_buffer.data() + m_begin;
        const std::size_t available = m_end - m_begin;
        const LineEnd end = EndOfLine(start, available);
        if (end.ending != 0) {
            probe.Feed(start, end.length);
            m_begin += end.length + end.ending;
            ++m_lineNumber;
            return true;
        }
        if (m_eof) {
            if (available == 0 && !started)
                return false;
            probe.Feed(start, available);
            m_begin = m_end;
            ++m_lineNumber;
            return true;
        }
        // No line end yet: look at what is here and let it go, so the line is never held (a CR
        // read last stays, to be looked at with what follows).
        probe.Feed(start, end.length);
        started = started || available > 0;
        m_begin += end.length;
        Refill();
    }
}
