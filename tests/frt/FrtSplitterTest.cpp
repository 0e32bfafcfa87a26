#include "frt/FrtSplitter.h"

#include "common/NumberText.h"
#include "frt/CFrtArea.h"
#include "frt/CFrtReader.h"
#include "frt/LineReader.h"
#include "tests/support/ScopedSystemCalls.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <string>
#include <vector>

namespace {

// Writes each element and each finding as one line of text, so that two readings compare as strings.
class Transcript : public IFrtConsumer, public IFrtDiagnostics {
public:
    explicit Transcript(std::string& out) : m_out(out) {}

    void Process(std::unique_ptr<CFrtElement> element) override {
        switch (element->GetType()) {
        case FRT_ELEMENT_POINT:
            Point(static_cast<const CFrtPoint&>(*element));
            break;
        case FRT_ELEMENT_LINE:
            Line("line", static_cast<const CFrtLine&>(*element));
            break;
        case FRT_ELEMENT_AREA:
            if (const CFrtLine* boundary = static_cast<const CFrtArea&>(*element).GetBoundary())
                Line("area", *boundary);
            break;
        }
        m_out += '\n';
    }
    void Warn(std::uint64_t line, std::string_view key, std::string_view value,
              std::string_view problem) override {
        m_out += "warning " + std::to_string(line) + " " + std::string(key) + "=" + std::string(value) +
                 ": " + std::string(problem) + "\n";
    }

private:
    void Point(const CFrtPoint& point) {
        const FrtCoordinates& c = point.GetCoordinates();
        m_out += "point " + point.GetName() + " " + numtext::FormatShortest(c.GetEasting()) + " " +
                 numtext::FormatShortest(c.GetNorthing()) + " " + point.GetCode().GetGroup() + ";";
    }
    void Line(const char* kind, const CFrtLine& line) {
        m_out += std::string(kind) + " " + line.GetName() + ":";
        for (const auto& vertex : line.GetVertices())
            Point(*vertex);
    }

    std::string& m_out;
};

// Reads the file through a transcript, whole or chunk by chunk; the chunks come back too.
std::string ReadWhole(const std::string& path, DataKindFlags kinds) {
    std::string text;
    auto transcript = std::make_unique<Transcript>(text);
    Transcript* diagnostics = transcript.get();
    CFrtReader reader(std::move(transcript), &kinds, FrtReadPass{diagnostics});
    EXPECT_TRUE(reader.Read(path).Ok());
    return text;
}

std::string ReadInChunks(const std::string& path, DataKindFlags kinds, std::uint64_t size,
                         std::vector<FrtChunk>& chunks) {
    std::string text;
    FrtSplitter splitter(kinds, size);
    EXPECT_TRUE(splitter.Open(path));
    FrtChunk chunk;
    chunks.clear();
    while (splitter.Next(chunk)) {
        chunks.push_back(chunk);
        auto transcript = std::make_unique<Transcript>(text);
        Transcript* diagnostics = transcript.get();
        CFrtReader reader(std::move(transcript), &kinds, FrtReadPass{diagnostics});
        EXPECT_TRUE(reader.ReadChunk(path, chunk).Ok());
    }
    EXPECT_FALSE(splitter.Error());
    return text;
}

// Every kind of line the reader tells apart: text before any section, an unwanted section, a
// blank-led "[Lines]" that is a record of its section, CR LF and bare CR ends, records sharing "LID" across
// what would be a chunk end, a line without "LID", a bad number, survey records in an unknown
// section and where a section header should be, no line feed at the end.
const char* const kFile = "loose text\n"
                          "[Header]\nFormat=Rev2Ezi\n"
                          "[Points]\r\n"
                          "PID=1;E=10;N=20;GROUP=A\r\n"
                          "PID=2;E=1x;N=21;GROUP=B C\n"
                          " [Lines]\n"
                          "PID=3;E=12;N=22\n"
                          "[Lines]\n"
                          "LID=L1;PID=4;E=1;N=1\rLID=L1;PID=5;E=2;N=2\rLID=L1;PID=6;E=3;N=3\r"
                          "LID=L2;PID=7;E=4;N=4\n"
                          "\n"
                          "LID=L3;PID=8;E=5;N=5;LSTYLE=9\nLID=L3;PID=9;E=6;N=6\n"
                          "[Notes]\nLID=L9;PID=99;E=0;N=0\n"
                          "[Areas]\n"
                          "LID=A1;PID=10;E=7;N=7\nLID=A1;PID=11;E=8;N=8\nLID=A2;PID=12;E=9;N=9\n"
                          "[Header]\nFormat=Rev2Ezi\nPID=14;E=1;N=1\nPID=15;E=1;N=1\n"
                          "[Point]\nPID=16;E=1;N=1\n"
                          "[Points]\n"
                          "PID=13;E=30;N=40";

TEST(FrtSplitter, ChunksReadOneAfterAnotherGiveTheWholeFile) {
    TempDir dir;
    const std::string path = dir.Write("job.frt", kFile);
    const DataKindFlags all = DATA_KIND_POINTS | DATA_KIND_LINES | DATA_KIND_AREAS;
    for (const DataKindFlags kinds : {all, all & ~DATA_KIND_POINTS, all & ~DATA_KIND_LINES}) {
        const std::string whole = ReadWhole(path, kinds);
        ASSERT_NE(whole.find("area A2:point 12"), std::string::npos);
        // Each run of records no section reads is said once; the job's loose text and the
        // header's format line are none.
        const std::string unknown =
            ": not a section of this format ([Points], [Lines], [Areas]); its 1 survey "
            "record(s) skipped\n";
        EXPECT_NE(whole.find("warning 17 [Notes]=" + unknown), std::string::npos) << whole;
        EXPECT_NE(whole.find("warning 25 record=: outside any section (a section header may be missing or "
                             "misspelt); 2 survey record(s) skipped\n"),
                  std::string::npos)
            << whole;
        EXPECT_NE(whole.find("warning 27 [Point]=" + unknown), std::string::npos) << whole;
        EXPECT_EQ(whole.find("warning 1 "), std::string::npos) << whole;
        for (const std::uint64_t size : {1, 2, 7, 30, 64, 100000}) {
            SCOPED_TRACE("kinds " + std::to_string(kinds) + ", chunks of " + std::to_string(size));
            std::vector<FrtChunk> chunks;
            EXPECT_EQ(ReadInChunks(path, kinds, size, chunks), whole);
            ASSERT_FALSE(chunks.empty());
            EXPECT_EQ(chunks.front().begin, 0u);
            for (std::size_t i = 1; i < chunks.size(); ++i)
                EXPECT_EQ(chunks[i].begin, chunks[i - 1].end);
            if (size == 100000) {
                EXPECT_EQ(chunks.size(), 1u);
            }
        }
    }
}

TEST(FrtSplitter, SmallChunksEndOnlyWhereAnElementBegins) {
    TempDir dir;
    const std::string path = dir.Write("job.frt", kFile);
    std::vector<FrtChunk> chunks;
    ReadInChunks(path, DATA_KIND_POINTS | DATA_KIND_LINES | DATA_KIND_AREAS, 1, chunks);
    const std::string file = kFile;
    std::vector<std::string> starts;
    for (std::size_t i = 1; i < chunks.size(); ++i)
        starts.push_back(file.substr(chunks[i].begin, file.find('\n', chunks[i].begin) - chunks[i].begin));
    // Every point its own chunk; lines and areas only where "LID" changes (the line without one
    // is an element of its own).
    const std::vector<std::string> expected = {"PID=1;E=10;N=20;GROUP=A\r",
                                               "PID=2;E=1x;N=21;GROUP=B C",
                                               " [Lines]",
                                               "PID=3;E=12;N=22",
                                               "LID=L2;PID=7;E=4;N=4",
                                               "",
                                               "LID=L3;PID=8;E=5;N=5;LSTYLE=9",
                                               "LID=A2;PID=12;E=9;N=9",
                                               "PID=13;E=30;N=40"};
    EXPECT_EQ(starts, expected);
    EXPECT_EQ(chunks[2].section, FrtSection::Points);
    EXPECT_EQ(chunks[2].linesBefore, 5u);
    EXPECT_EQ(chunks[6].section, FrtSection::Lines);
}

TEST(LineReader, ReadsARangeAsIfItWereTheFile) {
    TempDir dir;
    const std::string path = dir.Write("lines.txt", "one\r\ntwo\nthree\nfour");
    LineReader reader;
    ASSERT_TRUE(reader.Open(path, 5, 15, 1));
    std::string_view line;
    std::vector<std::string> lines;
    while (reader.Next(line))
        lines.emplace_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"two", "three"}));
    EXPECT_EQ(reader.LineNumber(), 3u);
    EXPECT_EQ(reader.NextLineStart(), 15u);
    EXPECT_FALSE(reader.Error());
}

// A read that a signal interrupts goes on where it was; a read that fails is told, and the lines
// before it are all there is.
TEST(LineReader, InterruptedReadsGoOnAndFailedReadsAreTold) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "line " + std::to_string(i) + "\n";
    const std::string path = dir.Write("lines.txt", text);
    static int calls = 0;
    static int error = 0;
    const auto readAll = [&path](std::vector<std::string>& lines) {
        LineReader reader;
        EXPECT_TRUE(reader.Open(path));
        std::string_view line;
        while (reader.Next(line))
            lines.emplace_back(line);
        return reader.Error().Reason();
    };
    // Reads in small pieces, and the third to fifth read fail with the error.
    filesys::SystemCalls faulty = filesys::Calls();
    faulty.read = [](std::FILE* file, void* buffer, std::size_t size, std::size_t& done) {
        if (++calls >= 3 && calls <= 5) {
            done = 0;
            return std::error_code(error, std::generic_category());
        }
        return filesys::ReadFromFile(file, buffer, std::min<std::size_t>(size, 4096), done);
    };
    const ScopedSystemCalls swapped(faulty);
    for (const int injected : {EINTR, EIO}) {
        calls = 0;
        error = injected;
        std::vector<std::string> lines;
        const std::string problem = readAll(lines);
        if (injected == EINTR) {
            EXPECT_EQ(problem, "");
            EXPECT_EQ(lines.size(), 20000u);
            EXPECT_EQ(lines.back(), "line 19999");
        } else {
            EXPECT_EQ(problem, std::strerror(EIO));
            EXPECT_LT(lines.size(), 20000u) << "the lines after the failure are not made up";
        }
    }
}

} // namespace
