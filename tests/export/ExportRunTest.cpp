#include "export/ExportRun.h"
#include "tests/support/Findings.h"
#include "tests/support/ScopedSystemCalls.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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
    const char* const styles[] = {"0 Horizontal", "1 Vertical", "2 FDiagonal",
                                  "3 BDiagonal",  "4 Cross",    "5 Diacross"};
    for (int area = 0; area < 800; ++area)
        for (int v = 0; v < 4; ++v)
            text += "LID=A" + std::to_string(area) + ";SCOLOR=" + std::to_string(area % 5) +
                    ";SSTYLE=" + styles[area % 6] + ";" + record(++id) + "\r\n";
    return text;
}

ExportOptions AllOptions() {
    ExportOptions options;
    options.flags = OPT_SYMBOLS | OPT_LAYER_PER_CODE | OPT_3D | OPT_HATCH | OPT_XDATA;
    options.symbolScale = 0.5;
    options.hatchSpacing = 500; // areas of kilometres, most crossing themselves
    options.labels = {{LABEL_POINT_ID, "point ids", 1, 0}, {LABEL_EAST_NORTH, "E N", 2, 3},
                      {LABEL_HEIGHT, "heights", 3, 2},     {LABEL_CODE, "codes", 4, 0},
                      {LABEL_AREA, "areas", 5, 1},         {LABEL_LINE_NAME, "names", 6, 0}};
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
        exportrun::RunSettings run;
        run.diagnostics = &findings[i];
        run.threads = i == 0 ? 1 : 3;
        results[i] = exportrun::ConvertFile(input, output, options[i], run);
        ASSERT_TRUE(results[i].Ok()) << results[i].failure.Reason();
        drawings[i] = ReadAll(output);
    }
    EXPECT_GT(results[0].entities, 100000);
    EXPECT_EQ(results[1].entities, results[0].entities);
    EXPECT_EQ(results[1].layers, results[0].layers);
    EXPECT_EQ(results[1].warnings, results[0].warnings);
    EXPECT_GT(results[0].warnings, 100u);
    EXPECT_EQ(results[1].read.elements, results[0].read.elements);
    EXPECT_EQ(findings[1].said, findings[0].said);
    EXPECT_EQ(options[1].labels[1].layerName, "E N") << "the options stay as they were built";
    ASSERT_EQ(drawings[1].size(), drawings[0].size());
    EXPECT_TRUE(drawings[1] == drawings[0]);

    // Lines and areas handed on in pieces (here of two vertices) make the same drawing, as
    // polylines and as LINE chains: what keeps memory bounded on a line of millions.
    for (const int flags : {0, static_cast<int>(OPT_SEPARATE_LINES)}) {
        std::string pieced[2];
        for (int i = 0; i < 2; ++i) {
            ExportOptions chosen = AllOptions();
            chosen.flags |= flags;
            // An area in pieces has no hatch and no label (a finding says so).
            chosen.flags &= ~OPT_HATCH;
            chosen.labels.erase(chosen.labels.begin() + 4);
            exportrun::RunSettings run;
            run.threads = 2;
            run.pieceVertices = i == 0 ? CFrtReader::kPieceVertices : 2;
            const std::string output = (dir.Path() / "pieced.dxf").u8string();
            const ConversionResult result = exportrun::ConvertFile(input, output, chosen, run);
            ASSERT_TRUE(result.Ok()) << result.failure.Reason();
            EXPECT_EQ(result.read.lines, 1500u);
            pieced[i] = ReadAll(output);
        }
        EXPECT_TRUE(pieced[1] == pieced[0]) << "flags " << flags;
    }
}

TEST(ExportRun, StrictWithThreadsWritesNothingAfterAFinding) {
    TempDir dir;
    const std::string input = dir.Write("survey.frt", Survey());
    const std::string output = dir.Write("old.dxf", "old drawing");
    ExportOptions options = AllOptions();
    Findings findings;
    exportrun::RunSettings run;
    run.diagnostics = &findings;
    run.strict = true;
    run.threads = 2;
    const ConversionResult result = exportrun::ConvertFile(input, output, options, run);
    EXPECT_FALSE(result.Ok());
    EXPECT_EQ(result.failure.stage, Failure::Stage::Refused);
    EXPECT_NE(result.failure.Reason().find("questionable value(s) in the input"), std::string::npos);
    EXPECT_EQ(ReadAll(output), "old drawing");
}

// A survey that cannot be read, when it is first opened or only for a later pass: the system's
// reason with the survey's path, and the old drawing stays.
TEST(ExportRun, ASurveyThatCannotBeOpenedWritesNothing) {
    TempDir dir;
    const std::string input = dir.Write("survey.frt", Survey());
    const std::string output = dir.Write("old.dxf", "old drawing");
    static int opens = 0;
    static int refused = 0;
    filesys::SystemCalls unreadable = filesys::Calls();
    unreadable.openStream = [](const char* path, const char* mode, std::FILE*& stream) {
        if (std::strstr(path, "survey.frt") != nullptr && ++opens == refused)
            return std::make_error_code(std::errc::permission_denied);
        return Real().openStream(path, mode, stream);
    };
    const ScopedSystemCalls swapped(unreadable);
    // Each chunk of each pass opens the survey: refused at the first, the last and on the way.
    refused = 0;
    opens = 0;
    ASSERT_TRUE(exportrun::ConvertFile(input, dir.File("counted.dxf"), AllOptions(), {}).Ok());
    const int total = opens;
    for (const int open : {1, 2, total / 3, total / 2, 2 * total / 3, total}) {
        refused = open;
        opens = 0;
        const ConversionResult result = exportrun::ConvertFile(input, output, AllOptions(), {});
        EXPECT_FALSE(result.Ok()) << "open " << refused;
        EXPECT_EQ(result.failure.path, input) << "open " << refused;
        EXPECT_TRUE(result.failure.Is(std::errc::permission_denied)) << result.failure.Reason();
        EXPECT_EQ(ReadAll(output), "old drawing") << "open " << refused;
    }
    EXPECT_GT(total, 20) << "a survey of chunks, read in three passes";
}

} // namespace
