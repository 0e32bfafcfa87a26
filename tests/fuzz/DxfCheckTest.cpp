// The fuzzer's judge of the output must accept our drawings and reject each kind of damage.
#include "fuzz/DxfCheck.h"
#include "common/TextStream.h"
#include "convert/CFrtToDxf.h"
#include "export/ExportRun.h"
#include "frt/CFrtReader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string Drawing(std::int32_t flags) {
    ExportOptions options;
    options.flags = flags;
    options.symbolScale = 0.05;
    options.labels = {{LABEL_POINT_ID, "Point ID", 2, 0},
                      {LABEL_EAST_NORTH, "Coords", 3, 3},
                      {LABEL_HEIGHT, "Height", 4, 3},
                      {LABEL_CODE, "Code", 5, 0}};
    auto converter = std::make_unique<CFrtToDxf>(&options);
    const CFrtToDxf* conversion = converter.get();
    CFrtReader reader(std::move(converter), &options.dataKinds);
    EXPECT_TRUE(reader.Read(FRT2DXF_SOURCE_DIR "/examples/site.frt").Ok());
    StringSink sink;
    {
        TextStream stream(sink);
        conversion->GetDocument()->writeTo(stream, exportrun::WriteSettingsFor(options));
    }
    return sink.Text();
}

// The text with the first occurrence of `from` replaced.
std::string Damaged(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

} // namespace

TEST(DxfCheck, AcceptsEveryOptionSetOfTheExample) {
    for (std::int32_t flags = 0; flags < 32; ++flags) // the point attributes too
        EXPECT_EQ(CheckDxfText(Drawing(flags)), "") << "flags " << flags;
}

TEST(DxfCheck, RejectsEachKindOfDamage) {
    const std::string good = Drawing(OPT_SYMBOLS | OPT_LAYER_PER_CODE | OPT_3D);
    const std::string polylines = Drawing(OPT_LAYER_PER_CODE);
    const std::string attributes = Drawing(OPT_SYMBOLS | OPT_POINT_ATTRIBUTES);
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
    };
    for (const auto& c : cases) {
        const std::string problem = CheckDxfText(c.text);
        EXPECT_NE(problem.find(c.reason), std::string::npos) << c.reason << ": got \"" << problem << "\"";
    }
}
