#include "frt/CFrtReader.h"
#include "frt/CFrtArea.h"
#include "tests/support/Bytes.h"
#include "tests/support/LocaleGuard.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

// Keeps what it is handed so that the test can look at it afterwards.
class CollectingConsumer : public IFrtConsumer {
public:
    explicit CollectingConsumer(std::vector<std::unique_ptr<CFrtElement>>& out) : m_out(out) {}
    void Process(std::unique_ptr<CFrtElement> element) override { m_out.push_back(std::move(element)); }

private:
    std::vector<std::unique_ptr<CFrtElement>>& m_out;
};

const CFrtLine& AsLine(const std::unique_ptr<CFrtElement>& e) {
    EXPECT_EQ(e->GetType(), FRT_ELEMENT_LINE);
    return static_cast<const CFrtLine&>(*e);
}
const CFrtPoint& AsPoint(const std::unique_ptr<CFrtElement>& e) {
    EXPECT_EQ(e->GetType(), FRT_ELEMENT_POINT);
    return static_cast<const CFrtPoint&>(*e);
}
const CFrtArea& AsArea(const std::unique_ptr<CFrtElement>& e) {
    EXPECT_EQ(e->GetType(), FRT_ELEMENT_AREA);
    return static_cast<const CFrtArea&>(*e);
}

std::vector<std::string> VertexNames(const CFrtLine& line) {
    std::vector<std::string> names;
    for (const auto& v : line.GetVertices())
        names.push_back(v->GetName());
    return names;
}

std::string WithLineEnds(const std::vector<std::string>& lines, const char* end, bool finalEnd = true) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += lines[i];
        if (finalEnd || i + 1 < lines.size())
            text += end;
    }
    return text;
}

class ReaderTest : public ::testing::Test {
protected:
    FrtReadResult Read(const std::string& content, DataKindFlags kinds = 7) {
        elements.clear();
        m_kinds = kinds;
        CFrtReader reader(std::make_unique<CollectingConsumer>(elements), &m_kinds);
        return reader.Read(dir.Write("input.frt", content));
    }

    TempDir dir;
    std::vector<std::unique_ptr<CFrtElement>> elements;

private:
    DataKindFlags m_kinds = 7;
};

const std::vector<std::string> kWorkedExample = {
    "[Lines]",
    "LID=7;PID=101;E=100.0;N=200.0;HO=5.0;CODE=FENCE;LSTYLE=1 Dash;LCOLOR=ff",
    "LID=7;PID=102;E=110.0;N=200.0;HO=5.5",
    "LID=8;PID=103;E=0;N=0;HO=0",
};

void ExpectWorkedExample(const std::vector<std::unique_ptr<CFrtElement>>& elements) {
    ASSERT_EQ(elements.size(), 2U);
    const CFrtLine& first = AsLine(elements[0]);
    EXPECT_EQ(first.GetName(), "7");
    EXPECT_EQ(first.GetCode().GetCodeText(), "FENCE");
    EXPECT_EQ(first.GetStyle(), LINE_STYLE_DASH);
    EXPECT_EQ(first.GetLineTypeName(), "Dashed_Line");
    EXPECT_EQ(first.GetColour(), 255);
    EXPECT_EQ(VertexNames(first), (std::vector<std::string>{"101", "102"}));
    EXPECT_DOUBLE_EQ(first.GetVertices()[1]->GetCoordinates().GetEasting(), 110.0);
    EXPECT_DOUBLE_EQ(first.GetVertices()[1]->GetCoordinates().GetHeight(), 5.5);
    const CFrtLine& second = AsLine(elements[1]);
    EXPECT_EQ(second.GetName(), "8");
    EXPECT_EQ(VertexNames(second), (std::vector<std::string>{"103"}));
}

} // namespace

TEST_F(ReaderTest, WorkedExampleWithEveryKindOfLineEnd) {
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        for (const bool finalEnd : {true, false}) {
            SCOPED_TRACE(std::string(end == "\n"   ? "LF"
                                     : end == "\r" ? "CR"
                                                   : "CR LF") +
                         (finalEnd ? "" : ", no final"));
            EXPECT_TRUE(Read(WithLineEnds(kWorkedExample, end.c_str(), finalEnd)).Ok());
            ExpectWorkedExample(elements);
        }
    }
}

TEST_F(ReaderTest, RewindsAtSectionEndsWhateverTheLineEnds) {
    const std::vector<std::string> lines = {
        "[Points]", "PID=1;E=1;N=2;HO=3", "[Lines]",     "LID=A;PID=2", "LID=A;PID=3",
        "[Areas]",  "LID=F;PID=4;AREA=2", "LID=F;PID=5", "[Points]",    "PID=6",
    };
    for (const char* end : {"\r\n", "\n", "\r"}) {
        for (const bool finalEnd : {true, false}) {
            ASSERT_TRUE(Read(WithLineEnds(lines, end, finalEnd)).Ok());
            ASSERT_EQ(elements.size(), 4U);
            EXPECT_EQ(AsPoint(elements[0]).GetName(), "1");
            EXPECT_EQ(VertexNames(AsLine(elements[1])), (std::vector<std::string>{"2", "3"}));
            const CFrtArea& area = AsArea(elements[2]);
            EXPECT_EQ(area.GetName(), "F");
            ASSERT_NE(area.GetBoundary(), nullptr);
            EXPECT_EQ(area.GetBoundary()->GetName(), "F");
            EXPECT_EQ(VertexNames(*area.GetBoundary()), (std::vector<std::string>{"4", "5"}));
            EXPECT_EQ(AsPoint(elements[3]).GetName(), "6");
        }
    }
}

TEST_F(ReaderTest, GroupingUsesTheWholeLidOfEachRecord) {
    // "LID" inside another key or value, and names longer than 16 characters, must not split a line.
    Read(WithLineEnds({"[Lines]", "LID=boundary-north-segment-01;PID=1;CODE=SOLID",
                       "XLID=9;LID=boundary-north-segment-01;PID=2;CODE=SOLID",
                       "PID=3;LID=boundary-north-segment-01;REM=SOLID LID",
                       "LID=boundary-north-segment-02;PID=4"},
                      "\r\n"));
    ASSERT_EQ(elements.size(), 2U);
    EXPECT_EQ(AsLine(elements[0]).GetName(), "boundary-north-segment-01");
    EXPECT_EQ(VertexNames(AsLine(elements[0])), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(VertexNames(AsLine(elements[1])), (std::vector<std::string>{"4"}));
}

TEST_F(ReaderTest, RecordsWithoutLidJoinALineWithAnEmptyLid) {
    Read(WithLineEnds({"[Lines]", "LID=;PID=1", "PID=2", "", "LID=Z;PID=3", "PID=4"}, "\n"));
    ASSERT_EQ(elements.size(), 3U);
    EXPECT_EQ(VertexNames(AsLine(elements[0])), (std::vector<std::string>{"1", "2", ""}));
    EXPECT_EQ(VertexNames(AsLine(elements[1])), (std::vector<std::string>{"3"}));
    EXPECT_EQ(VertexNames(AsLine(elements[2])), (std::vector<std::string>{"4"}));
}

TEST_F(ReaderTest, DataKindsSelectSectionsAndSkippedLinesStillCount) {
    const std::string text =
        WithLineEnds({"[Points]", "PID=1", "[Lines]", "LID=1", "[Areas]", "LID=2"}, "\r\n");
    Read(text, DATA_KIND_LINES);
    ASSERT_EQ(elements.size(), 1U);
    EXPECT_EQ(elements[0]->GetType(), FRT_ELEMENT_LINE);
    // The run's progress counts what the reader read: skipped sections too.
    EXPECT_EQ(Read(text, DATA_KIND_LINES).bytes, text.size());
    Read(text, 0);
    EXPECT_TRUE(elements.empty());
}

TEST_F(ReaderTest, AHeaderReadAgainAfterARecordIsCountedOnce) {
    // A line's vertex loop, its lines loop and the main loop each look at the header after it.
    const std::pair<std::string, std::uint64_t> cases[] = {
        {WithLineEnds({"[Points]", "PID=1", "[Lines]", "LID=1"}, "\r\n"), 2},
        {WithLineEnds({"[Lines]", "LID=1", "[Points]"}, "\n"), 1}};
    for (const auto& [text, elements] : cases) {
        const FrtReadResult read = Read(text);
        EXPECT_EQ(read.bytes, text.size());
        EXPECT_EQ(read.elements, elements);
    }
}

TEST_F(ReaderTest, SectionHeaderRules) {
    Read(WithLineEnds({"  \t[Points]", "PID=1", "[Points] ", "PID=2", "[points]", "PID=3"}, "\r\n"));
    ASSERT_EQ(elements.size(), 1U);
    EXPECT_EQ(AsPoint(elements[0]).GetName(), "1");

    // Inside a section a header must start in the first column.
    Read(WithLineEnds({"[Points]", "PID=1", "  [Lines]", "LID=4;PID=2"}, "\r\n"));
    ASSERT_EQ(elements.size(), 3U);
    EXPECT_EQ(AsPoint(elements[1]).GetName(), "");
    EXPECT_EQ(AsPoint(elements[2]).GetName(), "2");

    // Any bracketed line ends a section; records after it are skipped.
    Read(WithLineEnds({"[Points]", "PID=1", "[Notes]", "PID=2", "[Header]", "PID=3", "[Points]", "PID=4"},
                      "\n"));
    ASSERT_EQ(elements.size(), 2U);
    EXPECT_EQ(AsPoint(elements[1]).GetName(), "4");
}

TEST_F(ReaderTest, EmptyLinesAndTheLastRecordWithoutLineEnd) {
    Read("[Points]\r\n\r\nPID=1\r\n[Lines]\r\nLID=1;PID=2\r\nLID=2;PID=3");
    ASSERT_EQ(elements.size(), 4U);
    const CFrtPoint& empty = AsPoint(elements[0]);
    EXPECT_EQ(empty.GetName(), "");
    EXPECT_EQ(empty.GetCoordinates().GetHeight(), 0.0);
    EXPECT_EQ(empty.GetPointClass(), POINT_CLASS_ESTIMATED);
    EXPECT_EQ(VertexNames(AsLine(elements[3])), (std::vector<std::string>{"3"}));
}

TEST_F(ReaderTest, FileEndingInsideAnAreaHandsItOnComplete) {
    Read("[Areas]\nLID=A;PID=1;SSTYLE=1 Vertical\nLID=A;PID=2\nLID=A;PID=3");
    ASSERT_EQ(elements.size(), 1U);
    const CFrtArea& area = AsArea(elements[0]);
    EXPECT_EQ(area.GetHatchStyle(), HATCH_STYLE_VERTICAL);
    EXPECT_EQ(VertexNames(*area.GetBoundary()), (std::vector<std::string>{"1", "2", "3"}));
}

TEST_F(ReaderTest, FilesThatCannotBeReadGiveNoElementsAndSayWhy) {
    CFrtReader reader(std::make_unique<CollectingConsumer>(elements), nullptr);
    const FrtReadResult missing = reader.Read(dir.File("missing.frt"));
    EXPECT_FALSE(missing.opened);
    EXPECT_TRUE(missing.error.Is(std::errc::no_such_file_or_directory));
    EXPECT_EQ(missing.error.path, dir.File("missing.frt")) << "the file stays data, for the caller to name";
    const FrtReadResult directory = reader.Read(dir.Path().string());
    EXPECT_FALSE(directory.Ok());
    EXPECT_EQ(directory.error.stage, Failure::Stage::Read);
    EXPECT_TRUE(elements.empty());

    const FrtReadResult empty = Read("");
    EXPECT_TRUE(empty.Ok());
    EXPECT_TRUE(elements.empty());
}

TEST_F(ReaderTest, OddBytesPassThroughAndNeverBreakReading) {
    Read(Bytes("[Points]\r\nPID=a\0b;CODE=Stra\xdf"
               "e;E=1\r\nPID=x\rPID=y;E=2\r\n\xff\xfe\x00\r\n"));
    ASSERT_EQ(elements.size(), 4U);
    EXPECT_EQ(AsPoint(elements[0]).GetName(), std::string("a\0b", 3));
    EXPECT_EQ(AsPoint(elements[0]).GetCode().GetCodeText(), "Stra\xdf"
                                                            "e");
    EXPECT_EQ(AsPoint(elements[1]).GetName(), "x") << "a CR alone ends a line, as old Mac programs wrote";
    EXPECT_EQ(AsPoint(elements[2]).GetName(), "y");
    EXPECT_DOUBLE_EQ(AsPoint(elements[2]).GetCoordinates().GetEasting(), 2.0);
}

// No record is megabytes long: such a line is skipped without being held, and so is a line of
// zeros alone, what a crash leaves.
TEST_F(ReaderTest, VeryLongLinesAndZerosAloneAreSkipped) {
    const std::string padding(5'000'000, 'x');
    const std::string text = "[Job]\n" + padding + "\n[Points]\nPID=long;REM=" + padding +
                             ";E=7\nPID=next\n" + std::string(3'000'000, ' ') + "[Lines]\n[Lines]\nLID=1\n" +
                             std::string(4096, '\0') + "\r\nLID=1\n";
    ASSERT_TRUE(Read(text).Ok());
    ASSERT_EQ(elements.size(), 2U);
    EXPECT_EQ(AsPoint(elements[0]).GetName(), "next");
    // The blank-led header is a record inside [Points], too long to be one.
    ASSERT_EQ(elements[1]->GetType(), FRT_ELEMENT_LINE);
    EXPECT_EQ(static_cast<const CFrtLine&>(*elements[1]).GetVertices().size(), 2U) << "the zeros end no line";
}

TEST_F(ReaderTest, NumbersReadTheSameUnderACommaDecimalLocale) {
    CommaLocale german;
    REQUIRE_COMMA_LOCALE(german);
    Read("[Points]\nPID=1;E=2605120.412;N=1204330.5;HO=431.25\n");
    ASSERT_EQ(elements.size(), 1U);
    const FrtCoordinates& c = AsPoint(elements[0]).GetCoordinates();
    EXPECT_DOUBLE_EQ(c.GetEasting(), 2605120.412);
    EXPECT_DOUBLE_EQ(c.GetNorthing(), 1204330.5);
    EXPECT_DOUBLE_EQ(c.GetHeight(), 431.25);
}
