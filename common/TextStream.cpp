#include "common/TextStream.h"

#include "common/ByteCopy.h"
#include "common/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <utility>

using bytecopy::Block16;
using bytecopy::CopyWords;

TextStream::TextStream(ITextSink& sink, int decimals) : m_sink(sink), m_buffer(kInitialBuffer) {
    SetDecimals(decimals);
}

TextStream::TextStream(ITextSink& sink, int decimals, std::vector<char>&& buffer)
    : m_sink(sink), m_buffer(std::move(buffer)) {
    SetDecimals(decimals);
    if (m_buffer.size() < kInitialBuffer)
        m_buffer.resize(kInitialBuffer);
}

void TextStream::SetDecimals(int decimals) {
    m_decimals = decimals < 0 ? 0 : decimals > 255 ? 255 : decimals;
    m_recentReals.fill(RecentPair{}); // written with the old number of decimals
}

std::vector<char> TextStream::TakeBuffer() {
    Drain();
    return std::move(m_buffer);
}

TextStream::~TextStream() {
    Drain();
}

bool TextStream::Flush() {
    Drain();
    return !m_failed;
}

void TextStream::Drain() {
    m_recentReals.fill(RecentPair{}); // their texts leave the buffer
    if (m_used > 0 && !m_failed) {
        if (m_sink.Write(m_buffer.data(), m_used)) {
            m_written += m_used;
        } else {
            m_failed = true;
            m_error = m_sink.Error();
        }
    }
    m_used = 0;
}

void TextStream::MakeRoom(std::size_t size) {
    if (m_buffer.size() < kBufferSize)
        m_buffer.resize(std::min(kBufferSize, std::max(m_buffer.size() * 2, m_used + size)));
    if (m_used + size > m_buffer.size())
        Drain();
}

char* TextStream::Reserve(std::size_t size) {
    if (m_used + size > m_buffer.size())
        MakeRoom(size); // rare: kept out of line so that this stays small enough to inline
    return m_buffer.data() + m_used;
}

void TextStream::Put(std::string_view text) {
    if (text.size() > kBufferSize / 2) {
        Drain();
        if (!m_failed && m_sink.Write(text.data(), text.size())) {
            m_written += text.size();
        } else if (!m_failed) {
            m_failed = true;
            m_error = m_sink.Error();
        }
        return;
    }
    bytecopy::Copy(Reserve(text.size()), text.data(), text.size());
    m_used += text.size();
}

void TextStream::EndLine() {
    char* out = Reserve(2);
    out[0] = '\r';
    out[1] = '\n';
    m_used += 2;
}

void TextStream::Line(std::string_view text) {
    Put(text);
    EndLine();
}

char* TextStream::PutLine(char* out, std::string_view line) {
    bytecopy::Copy(out, line.data(), line.size());
    out += line.size();
    out[0] = '\r';
    out[1] = '\n';
    return out + 2;
}

// One reservation for both lines: the first is mostly a few bytes.
template <typename WriteNumber> void TextStream::LineAndNumber(std::string_view first, WriteNumber write) {
    char* start = nullptr;
    char* out = nullptr;
    if (first.size() > kNumberRoom) {
        Line(first);
        start = out = Reserve(kNumberRoom + 2);
    } else {
        start = Reserve(2 * kNumberRoom + 4);
        out = PutLine(start, first);
    }
    out = write(out);
    out[0] = '\r';
    out[1] = '\n';
    m_used += static_cast<std::size_t>(out + 2 - start);
}

void TextStream::LineAndInt(const char* firstData, std::size_t firstSize, std::int64_t value) {
    LineAndNumber(std::string_view(firstData, firstSize),
                  [value](char* out) { return std::to_chars(out, out + kNumberRoom, value).ptr; });
}

void TextStream::LineAndReal(const char* firstData, std::size_t firstSize, double value,
                             const numtext::Spelling* spelled) {
    const std::string_view first(firstData, firstSize);
    // By the code's tens digit: x (1), y (2), z (3) and sizes (4) each have their own pair.
    RecentPair& recent = m_recentReals[first.size() < 2 ? 0 : first[first.size() - 2] & 7U];
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    LineAndNumber(first, [this, value, bits, &recent, spelled](char* out) {
        for (const RecentReal& known : recent.reals) {
            if (known.size != 0 && known.bits == bits) {
                // Both the text and the room behind it hold kRecentRoom bytes; the two may
                // overlap when the same number comes soon again, which the copy allows as it
                // reads all before it writes.
                static_assert(kRecentRoom == 2 * sizeof(Block16));
                CopyWords<Block16>(out, m_buffer.data() + known.offset, kRecentRoom);
                return out + known.size;
            }
        }
        char* end = spelled != nullptr ? numtext::WriteSpelled(out, *spelled, value, m_decimals) : nullptr;
        if (end == nullptr)
            end = numtext::WriteFixed(out, out + kNumberRoom, value, m_decimals);
        // Readers stop at a longer line: such a number is written in its shortest exact form.
        if (end - out > static_cast<std::ptrdiff_t>(kLongestNumber))
            end = std::to_chars(out, out + kNumberRoom, value).ptr;
        const auto size = static_cast<std::size_t>(end - out);
        const auto offset = static_cast<std::size_t>(out - m_buffer.data());
        if (size <= kRecentRoom && offset + kRecentRoom <= m_buffer.size()) {
            RecentReal& replaced = recent.reals[recent.older];
            recent.older ^= 1U;
            replaced = RecentReal{bits, offset, static_cast<std::uint8_t>(size)};
        }
        return end;
    });
}

void TextStream::TwoLines(const char* firstData, std::size_t firstSize, const char* secondData,
                          std::size_t secondSize) {
    const std::string_view first(firstData, firstSize);
    const std::string_view second(secondData, secondSize);
    const std::size_t size = first.size() + second.size() + 4;
    if (size > kNumberRoom) {
        Line(first);
        Line(second);
        return;
    }
    char* const start = Reserve(size);
    char* out = PutLine(start, first);
    out = PutLine(out, second);
    m_used += static_cast<std::size_t>(out - start);
}
