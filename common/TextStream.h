#pragma once

#include "common/CodePage.h"
#include "common/Failure.h"
#include "common/NumberText.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Where a TextStream's bytes go.
class ITextSink {
public:
    virtual ~ITextSink() = default;
    // Writes all bytes or returns false with Error() telling why.
    virtual bool Write(const char* data, std::size_t size) = 0;
    [[nodiscard]] virtual Failure Error() const = 0;
};

// Collects everything in memory.
class StringSink : public ITextSink {
public:
    bool Write(const char* data, std::size_t size) override {
        m_text.append(data, size);
        return true;
    }
    [[nodiscard]] Failure Error() const override { return {}; }
    [[nodiscard]] const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

// A text output stream of CR LF lines through one buffer of up to 1 MiB. Reals are written in fixed
// notation with the stream's number of decimals and integers in plain decimal, both with
// C-locale rules. After the first failed write everything else is dropped and Error() says why.
class TextStream {
public:
    explicit TextStream(ITextSink& sink, int decimals = 6);
    // Uses the given memory for its buffer, so that many short-lived streams need not allocate.
    TextStream(ITextSink& sink, int decimals, std::vector<char>&& buffer);
    TextStream(const TextStream&) = delete;
    TextStream& operator=(const TextStream&) = delete;
    ~TextStream();

    // From 0 to 255, so that every real fits its room.
    void SetDecimals(int decimals);
    [[nodiscard]] int Decimals() const { return m_decimals; }
    // Whether the texts taken from the input are UTF-8, to be written as the drawing holds them
    // in its code page (see codepage::FromUtf8).
    void SetInputIsUtf8(bool utf8) { m_inputIsUtf8 = utf8; }
    [[nodiscard]] bool InputIsUtf8() const { return m_inputIsUtf8; }
    void SetCodePage(const codepage::Page& page) { m_codePage = &page; }
    [[nodiscard]] const codepage::Page& CodePage() const { return *m_codePage; }
    // What the texts written so far could not be written as typed (see codepage::FromUtf8).
    [[nodiscard]] codepage::Notes& Notes() { return m_notes; }

    // One line: the text and the line end.
    void Line(std::string_view text);

    // Bytes as they stand, line ends included; a large run goes to the sink without a copy.
    void Bytes(std::string_view bytes) { Put(bytes); }

    // Two lines at once, the second a text or a number: the cheaper way to write many short pairs.
    void TwoLines(std::string_view first, std::string_view second) {
        TwoLines(first.data(), first.size(), second.data(), second.size());
    }
    void LineAndInt(std::string_view first, std::int64_t value) {
        LineAndInt(first.data(), first.size(), value);
    }
    void LineAndReal(std::string_view first, double value) { LineAndReal(first.data(), first.size(), value); }
    // The same with each text as its start and length, which every calling convention passes in
    // registers: on Windows a string_view argument goes through memory, and reading it back
    // stalls the processor for a third of the writing's time.
    void TwoLines(const char* first, std::size_t firstSize, const char* second, std::size_t secondSize);
    void LineAndInt(const char* first, std::size_t firstSize, std::int64_t value);
    // A real is copied from its spelling where that gives the text formatting would
    // (numtext::WriteSpelled).
    void LineAndReal(const char* first, std::size_t firstSize, double value,
                     const numtext::Spelling* spelled = nullptr);

    // Hands the buffer to the sink. False once any write has failed.
    [[nodiscard]] bool Flush();
    [[nodiscard]] bool Failed() const { return m_failed; }
    [[nodiscard]] const Failure& Error() const { return m_error; }
    [[nodiscard]] std::uint64_t BytesWritten() const { return m_written; }
    // Flushes and hands the buffer's memory back for another stream; nothing may be written after.
    std::vector<char> TakeBuffer();

private:
    // The buffer grows to its full size with the output, so a short text costs little.
    static constexpr std::size_t kInitialBuffer = std::size_t{64} << 10;
    static constexpr std::size_t kBufferSize = std::size_t{1} << 20;
    // Room for the longest number.
    static constexpr std::size_t kNumberRoom = numtext::kFixedRoom;
    // The longest line release 12 readers take; a number's fixed form is longer only near the
    // largest doubles.
    static constexpr std::size_t kLongestNumber = 255;

    void Put(std::string_view text);
    // Hands the buffer to the sink; a failure is kept for Failed() and Error().
    void Drain();
    // Copies a line into room already reserved and returns where the next one goes.
    static char* PutLine(char* out, std::string_view line);
    // A line and the number that `write` puts at the pointer it is given, returning its end.
    template <typename WriteNumber> void LineAndNumber(std::string_view first, WriteNumber write);
    void EndLine();
    char* Reserve(std::size_t size);
    // Grows the buffer towards its full size, or empties it into the sink.
    void MakeRoom(std::size_t size);

    // The last two reals written after the code lines of each tens digit: a drawing writes most
    // numbers again (a point's height in each of its labels, a label's position as its alignment
    // point, neighbouring labels sharing a side), and copying a text costs a fraction of
    // formatting it anew. The text is copied from where it was written in the buffer: copying it
    // aside right after writing it would read bytes still on their way to memory, a stall that
    // costs more than the copy. Emptying the buffer forgets them.
    static constexpr std::size_t kRecentRoom = 32; // bytes copied at once: the longest text kept
    struct RecentReal {
        std::uint64_t bits = 0;
        std::size_t offset = 0; // in the buffer
        std::uint8_t size = 0;  // 0: none
    };
    struct RecentPair {
        std::array<RecentReal, 2> reals;
        std::uint8_t older = 0; // the one to replace next
    };
    std::array<RecentPair, 8> m_recentReals{};

    ITextSink& m_sink;
    std::vector<char> m_buffer;
    std::size_t m_used = 0;
    int m_decimals = 6;
    bool m_inputIsUtf8 = false;
    const codepage::Page* m_codePage = &codepage::kWindows1252;
    codepage::Notes m_notes;
    bool m_failed = false;
    Failure m_error;
    std::uint64_t m_written = 0;
};
