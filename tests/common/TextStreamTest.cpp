#include "common/TextStream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records each write, and fails from the given write on.
class ChunkSink : public ITextSink {
public:
    explicit ChunkSink(std::size_t failFrom = SIZE_MAX) : m_failFrom(failFrom) {}
    bool Write(const char* data, std::size_t size) override {
        if (chunks.size() >= m_failFrom)
            return false;
        chunks.push_back(size);
        text.append(data, size);
        return true;
    }
    [[nodiscard]] Failure Error() const override {
        return {Failure::Stage::Write, "out.dxf", std::make_error_code(std::errc::no_space_on_device)};
    }

    std::vector<std::size_t> chunks;
    std::string text;

private:
    std::size_t m_failFrom;
};

} // namespace

// Lines, numbers and texts short and long across every buffer size the stream passes through.
TEST(TextStream, OutputIsExactAcrossBufferGrowthAndFlushes) {
    ChunkSink sink;
    std::string expected;
    {
        TextStream stream(sink, 3);
        for (int i = 0; i < 200000; ++i) {
            stream.LineAndInt(" 70", i);
            stream.LineAndReal(" 10", i * 0.5);
            expected += " 70\r\n" + std::to_string(i) + "\r\n 10\r\n";
            expected += std::to_string(i / 2) + (i % 2 != 0 ? ".500" : ".000") + "\r\n";
            // Texts of every short length, and now and then one too long for a single reservation.
            const std::string name(i % 10000 == 0 ? 900 : i % 41, static_cast<char>('a' + i % 26));
            stream.TwoLines(std::string(i % 7, ' ') + "8", name);
            expected += std::string(i % 7, ' ') + "8\r\n" + name + "\r\n";
            if (i % 50000 == 0) {
                const std::string big(700000, 'x'); // more than half the buffer goes straight through
                stream.Line(big);
                expected += big + "\r\n";
            }
        }
        EXPECT_TRUE(stream.Flush());
        EXPECT_EQ(stream.BytesWritten(), expected.size());
    }
    EXPECT_EQ(sink.text, expected);
    for (std::size_t chunk : sink.chunks)
        EXPECT_LE(chunk, std::size_t{1} << 20);
    EXPECT_GT(sink.chunks.size(), 4U);
}

TEST(TextStream, SmallOutputIsOneWrite) {
    ChunkSink sink;
    {
        TextStream stream(sink);
        for (int i = 0; i < 20000; ++i) // about 150 KB: past the first buffer size
            stream.TwoLines("  0", "POINT");
    }
    EXPECT_EQ(sink.chunks.size(), 1U);
    EXPECT_EQ(sink.text.size(), 20000U * 12U);
}

TEST(TextStream, AfterAFailedWriteEverythingIsDropped) {
    ChunkSink sink(1);
    TextStream stream(sink);
    stream.Line(std::string(600000, 'a'));
    stream.Line(std::string(600000, 'b'));
    stream.Line("tail");
    EXPECT_FALSE(stream.Flush());
    EXPECT_TRUE(stream.Failed());
    EXPECT_TRUE(stream.Error().Is(std::errc::no_space_on_device));
    EXPECT_EQ(stream.Error().path, "out.dxf") << "the sink's failure reaches the caller whole";
    EXPECT_EQ(sink.chunks.size(), 1U);
    EXPECT_LT(stream.BytesWritten(), 1200000U);
}

// A real written again under the same code line is copied from the last time; the copy must
// never be stale: another value, the other zero, other decimals, a long value, another code.
TEST(TextStream, RepeatedRealsAreWrittenAsIfFormattedAnew) {
    StringSink sink;
    {
        TextStream stream(sink, 3);
        const double values[] = {1.5, 1.5, 2.25, 1.5, 0.0, -0.0, 0.0, 1e30, 1e30, 1.5};
        for (const double v : values)
            stream.LineAndReal(" 10", v);
        stream.LineAndReal(" 20", 1.5);
        stream.SetDecimals(1);
        stream.LineAndReal(" 10", 1.5);
        stream.LineAndReal(" 20", 2.25);
        ASSERT_TRUE(stream.Flush());
    }
    std::string expected;
    for (const char* v :
         {"1.500", "1.500", "2.250", "1.500", "0.000", "-0.000", "0.000",
          "1000000000000000019884624838656.000", "1000000000000000019884624838656.000", "1.500"})
        expected += std::string(" 10\r\n") + v + "\r\n";
    expected += " 20\r\n1.500\r\n 10\r\n1.5\r\n 20\r\n2.2\r\n";
    EXPECT_EQ(sink.Text(), expected);
}
