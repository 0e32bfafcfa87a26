// The fuzzer's judge of the output must accept our drawings and reject each kind of damage.
#include "fuzz/DxfCheck.h"
#include "export/ExportRun.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string Drawing(std::int32_t flags) {
    ExportOptions options;
    options.flags = flags;
    options.symbolScale = 0.05;
    options.labels = {{LABEL_POINT_ID, "Point ID", 2, 0}, {LABEL_EAST_NORTH, "Coords", 3, 3},
                      {LABEL_HEIGHT, "Height", 4, 3},     {LABEL_CODE, "Code", 5, 0},
                      {LABEL_AREA, "Area", 6, 2},         {LABEL_LINE_NAME, "LineName", 7, 0}};
    const TempDir dir;
    exportrun::RunSettings run;
    run.sync = false;
    const ConversionResult result =
        exportrun::ConvertFile(FRT2DXF_SOURCE_DIR "/examples/site.frt", dir.File("site.dxf"), options, run);
    EXPECT_TRUE(result.Ok()) << result.failure.Reason();
    return ReadFile(dir.File("site.dxf"));
}

// The text with the first occurrence of `from` replaced.
std::string Damaged(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

} // namespace

TEST(DxfCheck, AcceptsEveryOptionSetOfTheExample) {
    for (std::int32_t flags = 0; flags < 256; ++flags) // hatches and extended data too
        EXPECT_EQ(CheckDxfText(Drawing(flags)), "") << "flags " << flags;
}

TEST(DxfCheck, RejectsEachKindOfDamage) {
    const std::string good = Drawing(OPT_SYMBOLS | OPT_LAYER_PER_CODE | OPT_3D);
    const std::string polylines = Drawing(OPT_LAYER_PER_CODE);
    const std::string attributes = Drawing(OPT_SYMBOLS | OPT_POINT_ATTRIBUTES);
    const std::string extras = Drawing(OPT_SYMBOLS | OPT_HATCH | OPT_XDATA);
    const struct {
        std::string text;
        const char* reason;
    } cases[] = {
        {Damaged(good, "\r\nSECTION", "\nSECTION"), "a line break other than CR LF"},
        {good.substr(0, good.size() - 2), "does not end with CR LF"},
        {Damaged(good, " 10\r\n", " 10\r\nnan\r\n 20\r\n"), "not a finite real"},
        {Damaged(good, " 62\r\n", " 62\r\n1.5\r\n 62\r\n"), "not an integer"},
        {Damaged(good, "  0\r\nPOINT", "  0\r\nPOINT\r\n  0"), "a code without a value"},
        {Damaged(good, "  0\r\nEOF\r\n", ""), "no EOF"},
        {Damaged(good, "  0\r\nENDSEC\r\n", ""), "SECTION inside a section"},
        {Damaged(good, "  0\r\nENDTAB\r\n", ""), "misplaced TABLE"},
        {Damaged(good, "  0\r\nENDBLK\r\n", ""), "misplaced BLOCK"},
        {Damaged(polylines, "  0\r\nSEQEND\r\n", ""), "POLYLINE not closed by SEQEND"},
        {Damaged(attributes, "  0\r\nSEQEND\r\n", ""), "INSERT's attributes not closed by SEQEND"},
        {Damaged(attributes, " 66\r\n1\r\n", ""), "ATTRIB outside an INSERT's attributes"},
        {Damaged(good, "  0\r\nTEXT\r\n", "  0\r\nSEQEND\r\n  0\r\nTEXT\r\n"),
         "SEQEND without POLYLINE or INSERT"},
        {Damaged(good, "  2\r\nEstimated\r\n", "  2\r\nGuessed\r\n"), "is not defined"},
        {Damaged(good, "  8\r\nTREE\r\n", "  8\r\nTREES\r\n"), "is not in the LAYER table"},
        {Damaged(good, "  1\r\n100\r\n",
                 std::string("  1\r\n1\0"
                             "00\r\n",
                             11)),
         "a control character"},
        {Damaged(polylines, "  6\r\nDashed_Line\r\n", "  6\r\nDotted\r\n"), "line type \"Dotted\""},
        {Damaged(polylines, "  8\r\nKERB\r\n 62\r\n3\r\n  6\r\nDashed_Line",
                 "  8\r\nKERB\r\n 62\r\n3\r\n  6\r\nDotted"),
         "line type \"Dotted\""},
        {good + "  0\r\nPOINT\r\n", "data after EOF"},
        // The rules of release 12 as its strictest reader applies them.
        {Damaged(good, "LTYPE\r\n 70\r\n5\r\n", "LTYPE\r\n 70\r\n1\r\n"), "says 1 entries and holds 5"},
        {Damaged(good, "  2\r\nTREE\r\n", "  2\r\nTR.EE\r\n"), "\"TR.EE\" breaks the name rule"},
        {Damaged(good, "  2\r\nKERB\r\n", "  2\r\ntree\r\n"), "twice, ignoring case"},
        {Damaged(good, "  8\r\nTREE\r\n", "  8\r\nT\\U+00C4\r\n"), R"(layer "T\U+00C4" breaks)"},
        {Damaged(good, "  2\r\nEstimated\r\n", "  2\r\n" + std::string(32, 'E') + "\r\n"), "block"},
        {Damaged(good, "  1\r\n100\r\n", "  1\r\n" + std::string(256, 'x') + "\r\n"), "a value of 256 bytes"},
        {Damaged(good, " 10\r\n", " 10\r\n" + std::string(250, '1') + ".000000\r\n 20\r\n"),
         "a value of 257 bytes"},
        {Damaged(good, "  1\r\n100\r\n",
                 "  1\r\n1\x81"
                 "00\r\n"),
         "ANSI_1252 does not hold"},
        {Damaged(good, " 20\r\n", " 21\r\n"), "not followed by its Y"},
        {Damaged(good, "  0\r\nINSERT\r\n", "  0\r\nINSERT\r\n  5\r\n1F\r\n"), "code 5 is not of release 12"},
        {Damaged(good, "  0\r\nTEXT\r\n", "  0\r\nMTEXT\r\n"), "no entity of release 12"},
        {Damaged(good, "AC1009\r\n", "AC1009\r\n  9\r\n$DWGCODEPAGE\r\n  3\r\nANSI_9999\r\n"),
         "no code page"},
        // Hatch blocks and extended data.
        {Damaged(extras, "  2\r\n*U29\r\n 70\r\n1\r\n", "  2\r\n*U29\r\n 70\r\n0\r\n"),
         "anonymous block's flags"},
        {Damaged(extras, "*U29", "*X29"), "\"*X29\" breaks the name rule"},
        {Damaged(extras, "  2\r\nFRT2DXF\r\n", "  2\r\nFRT2DXG\r\n"), "not in the APPID table"},
        {Damaged(extras, "1002\r\n}\r\n", "1002\r\n}\r\n 62\r\n1\r\n"), "group code 62 after extended data"},
        {Damaged(extras, "1002\r\n}\r\n", ""), "extended data not closed"},
        {Damaged(extras, "1001\r\nFRT2DXF\r\n", ""), "without its application"},
    };
    for (const auto& c : cases) {
        const std::string problem = CheckDxfText(c.text);
        EXPECT_NE(problem.find(c.reason), std::string::npos) << c.reason << ": got \"" << problem << "\"";
    }
}

namespace {

// Surveys that hold what readers refuse or misread: every character the name rule refuses,
// names equal but for case in several scripts, names longer than 31 characters, notations
// readers decode, carets, control characters, 300-character texts, huge numbers, Cyrillic, CJK
// and emoji in UTF-8, umlauts in UTF-8 and in Windows-1252.
struct Hostile {
    const char* name;
    std::string body;
    const char* page;       // that the drawing must be in
    std::size_t layers = 0; // with one layer per code group alone, where given
};

std::vector<Hostile> HostileSurveys() {
    const std::string head = "[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n";
    const auto survey = [&head](const std::vector<std::string>& groups,
                                const std::vector<std::string>& codes) {
        std::string points = head + "[Points]\r\n";
        std::string lines = "[Lines]\r\n";
        std::string areas = "[Areas]\r\n";
        for (std::size_t i = 0; i < groups.size(); ++i) {
            const std::string n = std::to_string(i);
            const std::string tail = ";HO=1;GROUP=" + groups[i] + ";CODE=" + codes[i % codes.size()];
            points.append("PID=").append(n).append(";E=").append(n).append(";N=1").append(tail).append(
                "\r\n");
            for (int v = 0; v < 3; ++v)
                lines.append("LID=L")
                    .append(n)
                    .append(";E=")
                    .append(std::to_string(v))
                    .append(";N=")
                    .append(n)
                    .append(tail)
                    .append(";LSTYLE=")
                    .append(std::to_string(i % 5))
                    .append(" X\r\n");
            for (int v = 0; v < 4; ++v)
                areas.append("LID=A")
                    .append(n)
                    .append(";E=")
                    .append(std::to_string(v % 2))
                    .append(";N=")
                    .append(std::to_string(v / 2))
                    .append(tail)
                    .append("\r\n");
        }
        return points + lines + areas;
    };
    std::vector<std::string> refused;
    for (const char c : std::string(R"(.,'|&@!#%()[]{}+~^<>/\":?*= `)") + "\t")
        refused.emplace_back(std::string("A") + c + "B");
    refused.emplace_back(40, 'L');
    refused.emplace_back(std::string(39, 'L') + "M");
    refused.emplace_back(40, 'l');
    refused.emplace_back("Tree");
    refused.emplace_back("TREE");
    const std::vector<std::string> notations = {"50%%d", "C:\\U+00E4", "a^Jb", std::string(300, 'P'),
                                                "1e100"};
    return {
        {"names",
         survey(refused, notations) + "[Points]\r\nPID=" + std::string(300, 'Q') + ";E=1e100;N=-1e100\r\n",
         "ANSI_1252"},
        {"cyrillic", survey({"Дерево", "ДЕРЕВО", "Ёлка", "ёлка"}, {"Берёза", "Ж"}), "ANSI_1251"},
        {"cjk and emoji", survey({"木", "Baum🌳", "Δέντρο"}, {"桜 🌸", "Ärger"}),
         "ANSI_1253"}, // the Greek outweighs the Ä
        {"windows-1252",
         survey({"B\xe4ume", "B\xc4UME",
                 "Stra\xdf"
                 "e"},
                {"M\xfcller"}),
         "ANSI_1252"},
        {"umlauts in utf-8", survey({"MÜLLER", "Müller", "ÄÖÜ", "äöü"}, {"Straße"}), "ANSI_1252"},
        // Capitals shared by two small letters: final sigma, dotless i. "ß" has none.
        {"greek", survey({"ΟΔΟΣ", "οδος", "Οδός"}, {"Σ"}), "ANSI_1253", 2},
        {"turkish", survey({"IĞDIR", "Iğdır", "iğdir", "STRASSE", "Straße"}, {"ı"}), "ANSI_1254", 3},
        // Groups longer than a field holds, apart only after it; numbers whose fixed form is longer
        // than a line.
        {"long names",
         survey({std::string(1021, 'g'), std::string(1030, 'g') + "A", std::string(1030, 'g') + "B",
                 std::string(2000, 'G') + "a"},
                {std::string(1500, 'c')}) +
             "[Points]\r\nPID=1;E=1.7976931348623157e308;N=9.560e+289;HO=-1e300\r\n",
         "ANSI_1252", 5}, // and "0", of the point without a group
        // Each text counted once: the record that ends one line and starts the next too.
        {"one count per character",
         head + "[Points]\r\nPID=1;E=1;N=1;CODE=ΩΩ\r\n[Lines]\r\nLID=L1;E=1;N=1;CODE=A\r\n"
                "LID=L1;E=2;N=1;CODE=A\r\nLID=L2;E=1;N=2;CODE=Ж\r\nLID=L2;E=2;N=2;CODE=A\r\n",
         "ANSI_1253"},
    };
}

} // namespace

// Whatever a survey holds, every option set makes a drawing that follows release 12's rules in
// the page that holds its texts; every layer an entity names is in the table once, ignoring case.
TEST(DxfCheck, HostileSurveysInEveryOptionSetFollowRelease12) {
    TempDir dir;
    const std::string output = dir.File("out.dxf");
    for (const Hostile& hostile : HostileSurveys()) {
        const std::string input = dir.Write("in.frt", hostile.body);
        for (std::int32_t flags = 0; flags < 64; ++flags) {
            ExportOptions options;
            // Every other set with hatches and extended data, and labels of every kind.
            options.flags = flags | ((flags & 1) != 0 ? OPT_HATCH | OPT_XDATA : 0);
            options.symbolScale = 0.05;
            if ((flags & 1) != 0)
                options.labels = {
                    {LABEL_POINT_ID, "Point.ID", 2, 0}, {LABEL_EAST_NORTH, "Co|ords", 3, 3},
                    {LABEL_HEIGHT, "Höhe", 4, 16},      {LABEL_CODE, std::string(33, 'c'), 5, 0},
                    {LABEL_AREA, "Fläche", 6, 16},      {LABEL_LINE_NAME, "*U1", 7, 0}};
            const ConversionResult result = exportrun::ConvertFile(input, output, options);
            ASSERT_TRUE(result.Ok()) << hostile.name << " flags " << flags << ": " << result.failure.Reason();
            EXPECT_EQ(result.codePage, hostile.page) << hostile.name;
            if (flags == OPT_LAYER_PER_CODE && hostile.layers != 0) {
                EXPECT_EQ(result.layers, hostile.layers) << hostile.name;
            }
            const std::string drawing = ReadFile(output);
            EXPECT_EQ(CheckDxfText(drawing), "") << hostile.name << " flags " << flags;
            EXPECT_EQ(drawing.find("$DWGCODEPAGE") != std::string::npos,
                      std::string(hostile.page) != "ANSI_1252")
                << hostile.name;
        }
    }
}
