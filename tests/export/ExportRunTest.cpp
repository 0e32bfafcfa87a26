#include "export/ExportRun.h"
#include "common/ChunkPipeline.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <thread>

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Findings : public IFrtDiagnostics {
public:
    void Warn(std::uint64_t line, std::string_view key, std::string_view value,
              std::string_view problem) override {
        text += std::to_string(line) + " " + std::string(key) + "=" + std::string(value) + " " +
                std::string(problem) + "\n";
    }
    std::string text;
};

// About 1.5 MB of survey: points, lines and areas of several vertices, groups with blanks,
// and now and then a value the reader has to replace.
std::string Survey() {
    std::mt19937 random(7);
    const char* const groups[] = {"TREE", "ROAD EDGE", "FENCE", " ", "", "WATER MAIN"};
    std::string text = "[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\n";
    const auto record = [&](int id) {
        std::string r = "PID=" + std::to_string(id) + ";E=" + std::to_string(2500000 + random() % 9000) +
                        "." + std::to_string(random() % 1000) +
                        ";N=" + std::to_string(1200000 + random() % 9000) +
                        ";HO=" + std::to_string(400 + random() % 100) + ";GROUP=" + groups[random() % 6] +
                        ";CODE=C" + std::to_string(random() % 9) + ";PCLASS=MEAS";
        if (random() % 97 == 0)
            r += ";HO=4x1";
        return r;
    };
    int id = 0;
    for (int i = 0; i < 12000; ++i)
        text += record(++id) + "\r\n";
    text += "[Lines]\r\n";
    for (int line = 0; line < 1500; ++line)
        for (int v = 0; v < 1 + line % 9; ++v)
            text += "LID=L" + std::to_string(line) + ";LSTYLE=" + std::to_string(line % 7) + ";" +
                    record(++id) + "\r\n";
    text += "[Areas]\r\n";
    for (int area = 0; area < 800; ++area)
        for (int v = 0; v < 4; ++v)
            text += "LID=A" + std::to_string(area) + ";SCOLOR=" + std::to_string(area % 5) + ";" +
                    record(++id) + "\r\n";
    return text;
}

ExportOptions AllOptions() {
    ExportOptions options;
    options.flags = OPT_SYMBOLS | OPT_LAYER_PER_CODE | OPT_3D;
    options.symbolScale = 0.5;
    options.labels = {{LABEL_POINT_ID, "point ids", 1, 0},
                      {LABEL_EAST_NORTH, "E N", 2, 3},
                      {LABEL_HEIGHT, "heights", 3, 2},
                      {LABEL_CODE, "codes", 4, 0}};
    return options;
}

TEST(ExportRun, ThreadsMakeTheSameDrawingAndFindingsInTheSameOrder) {
    TempDir dir;
    const std::string input = dir.Write("survey.frt", Survey());
    ASSERT_GT(std::filesystem::file_size(input), 1000000u);
    std::string drawings[2];
    Findings findings[2];
    ExportOptions options[2] = {AllOptions(), AllOptions()};
    ConversionResult results[2];
    for (int i = 0; i < 2; ++i) {
        const std::string output = (dir.Path() / ("out" + std::to_string(i) + ".dxf")).u8string();
        results[i] = exportrun::ConvertFile(input, output, options[i], &findings[i], false, i == 0 ? 1 : 3);
        ASSERT_TRUE(results[i].ok) << results[i].error;
        drawings[i] = ReadAll(output);
    }
    EXPECT_GT(results[0].entities, 100000);
    EXPECT_EQ(results[1].entities, results[0].entities);
    EXPECT_EQ(results[1].layers, results[0].layers);
    EXPECT_EQ(results[1].warnings, results[0].warnings);
    EXPECT_GT(results[0].warnings, 100u);
    EXPECT_EQ(results[1].read.elements, results[0].read.elements);
    EXPECT_EQ(findings[1].text, findings[0].text);
    EXPECT_EQ(options[1].labels[1].layerName, "E N") << "the options stay as they were built";
    ASSERT_EQ(drawings[1].size(), drawings[0].size());
    EXPECT_TRUE(drawings[1] == drawings[0]);
}

TEST(ExportRun, StrictWithThreadsWritesNothingAfterAFinding) {
    TempDir dir;
    const std::string input = dir.Write("survey.frt", Survey());
    const std::string output = dir.Write("old.dxf", "old drawing");
    ExportOptions options = AllOptions();
    Findings findings;
    const ConversionResult result = exportrun::ConvertFile(input, output, options, &findings, true, 2);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("questionable value(s) in the input; nothing was written"),
              std::string::npos);
    EXPECT_EQ(ReadAll(output), "old drawing");
}

// A job that writes its number `count` times, in pieces, now and then after a short pause.
class NumberJob : public ChunkPipeline::Job {
public:
    NumberJob(int number, int count, bool fail) : m_number(number), m_count(count), m_fail(fail) {}
    void Run(ITextSink& out) override {
        const std::string text = std::to_string(m_number) + ",";
        for (int i = 0; i < m_count; ++i) {
            if (i % 7 == m_number % 7)
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            if (!out.Write(text.data(), text.size()))
                return;
        }
        if (m_fail)
            throw std::runtime_error("job failed");
    }
    int number() const { return m_number; }

private:
    int m_number;
    int m_count;
    bool m_fail;
};

struct PipelineRun {
    std::string written;
    std::vector<int> done;
    bool ok = false;
};

PipelineRun RunNumbers(int jobs, std::size_t stopAfterBytes, int failing = -1) {
    PipelineRun run;
    int made = 0;
    ChunkPipeline pipeline(3, 16); // little room: jobs ahead of their turn wait
    run.ok = pipeline.Run(
        [&]() -> std::unique_ptr<ChunkPipeline::Job> {
            if (made == jobs)
                return nullptr;
            const int number = made++;
            return std::make_unique<NumberJob>(number, 1 + number * 13 % 40, number == failing);
        },
        [&](std::string_view bytes) {
            run.written += bytes;
            return run.written.size() < stopAfterBytes;
        },
        [&](ChunkPipeline::Job& job) {
            run.done.push_back(static_cast<NumberJob&>(job).number());
            return true;
        });
    return run;
}

TEST(ChunkPipeline, HandsOnBytesAndJobsInTheOrderTheJobsWereMade) {
    const PipelineRun run = RunNumbers(60, std::string::npos);
    EXPECT_TRUE(run.ok);
    std::string expected;
    std::vector<int> order;
    for (int number = 0; number < 60; ++number) {
        for (int i = 0; i < 1 + number * 13 % 40; ++i)
            expected += std::to_string(number) + ",";
        order.push_back(number);
    }
    EXPECT_EQ(run.written, expected);
    EXPECT_EQ(run.done, order);
}

TEST(ChunkPipeline, StopsWhenTheWriterFailsAndPassesOnAJobsException) {
    const PipelineRun stopped = RunNumbers(60, 100);
    EXPECT_FALSE(stopped.ok);
    EXPECT_LT(stopped.done.size(), 60u);

    EXPECT_THROW(RunNumbers(30, std::string::npos, 12), std::runtime_error);
}

} // namespace
