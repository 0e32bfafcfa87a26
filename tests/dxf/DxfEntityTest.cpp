#include "dxf/CDxfCircle.h"
#include "dxf/CDxfInsert.h"
#include "dxf/CDxfLine.h"
#include "dxf/CDxfPoint.h"
#include "dxf/CDxfPolyline.h"
#include "dxf/CDxfText.h"
#include "dxf/CDxfVertex.h"
#include "dxf/DxfGroup.h"
#include "tests/dxf/DxfText.h"
#include "tests/support/LocaleGuard.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
const double kNaN = std::nan("");
} // namespace

TEST(DxfEntity, PointWorkedExample) {
    CDxfPoint point(12.5, 7.25, kNaN);
    point.attrs.setLayer("PTS");
    point.attrs.colour = 3;
    EXPECT_EQ(Written(point), "  0|POINT|  8|PTS| 62|3| 10|12.500000| 20|7.250000|");
    point.location.z = 1;
    EXPECT_EQ(Written(point), "  0|POINT|  8|PTS| 62|3| 10|12.500000| 20|7.250000| 30|1.000000|");
    point.location.z = 0;
    EXPECT_NE(Written(point).find(" 30|0.000000|"), std::string::npos);
}

TEST(DxfEntity, AttributesWrittenOnlyWhenSet) {
    CDxfLine line(DxfPoint3{1, 2, kNaN}, DxfPoint3{3, 4, kNaN});
    EXPECT_EQ(Written(line), "  0|LINE|  8|0| 62|0| 10|1.000000| 20|2.000000| 11|3.000000| 21|4.000000|");
    line.attrs.setLineType("Dashed_Line");
    line.attrs.thickness = 0;
    line.attrs.colour = -2;
    EXPECT_EQ(Written(line), "  0|LINE|  8|0| 62|-2|  6|Dashed_Line| 39|0.000000| 10|1.000000| 20|2.000000| "
                             "11|3.000000| 21|4.000000|");
}

TEST(DxfEntity, TextWritesItsPointFirstAndTwice) {
    CDxfText text("101", 1, 2, kNaN);
    EXPECT_EQ(
        Written(text),
        "  0|TEXT| 10|1.000000| 20|2.000000|  8|0| 62|0| 40|2.500000| 11|1.000000| 21|2.000000|  1|101|");
    text.rotation = 90;
    text.horizontalAlign = 2;
    text.verticalAlign = 3;
    text.setHeight(0.1);
    EXPECT_EQ(Written(text),
              "  0|TEXT| 10|1.000000| 20|2.000000|  8|0| 62|0| 40|0.100000| 50|90.000000| 72|2| 73|3|"
              " 11|1.000000| 21|2.000000|  1|101|");
}

TEST(DxfEntity, InsertCircleAndVertex) {
    CDxfInsert insert("Control", 5, 6, 7);
    EXPECT_EQ(Written(insert), "  0|INSERT|  2|Control|  8|0| 62|0| 10|5.000000| 20|6.000000| 30|7.000000|");
    CDxfCircle circle(0.5, 1, 1, kNaN);
    EXPECT_EQ(Written(circle), "  0|CIRCLE|  8|0| 62|0| 10|1.000000| 20|1.000000|  40|0.500000|");
    CDxfVertex vertex(1, 2, 3);
    vertex.addFlags(32);
    vertex.addFlags(1);
    EXPECT_EQ(Written(vertex), "  0|VERTEX|  8|0| 62|0| 70|33| 10|1.000000| 20|2.000000| 30|3.000000|");
}

TEST(DxfEntity, PolylineWritesVerticesWithTheirOwnAttributesAndSeqend) {
    CDxfPolyline empty;
    EXPECT_EQ(Written(empty), "  0|POLYLINE|  8|0| 62|0| 10|0.000000| 20|0.000000| 66|  1| 70|0|  0|SEQEND|");
    CDxfPolyline polyline;
    polyline.attrs.setLayer("KERB");
    polyline.attrs.colour = 3;
    polyline.polylineFlags = 9;
    polyline.addVertex(std::make_unique<CDxfVertex>(1, 2, kNaN));
    EXPECT_EQ(Written(polyline), "  0|POLYLINE|  8|KERB| 62|3| 10|0.000000| 20|0.000000| 66|  1| 70|9|"
                                 "  0|VERTEX|  8|0| 62|0| 70|0| 10|1.000000| 20|2.000000|  0|SEQEND|");
}

TEST(DxfEntity, ColourFromRgbSwitches) {
    DxfAttributes a;
    const struct {
        std::uint8_t r, g, b;
        std::int16_t colour;
    } cases[] = {{1, 0, 0, 1}, {1, 1, 0, 2}, {0, 1, 0, 3}, {0, 1, 1, 4},         {0, 0, 1, 5},
                 {1, 0, 1, 6}, {1, 1, 1, 7}, {0, 0, 0, 0}, {0x80, 0xff, 0x01, 7}};
    for (const auto& c : cases) {
        a.setColourFromRgb(c.r, c.g, c.b);
        EXPECT_EQ(a.colour, c.colour) << int(c.r) << "," << int(c.g) << "," << int(c.b);
    }
}

namespace {

// The value line InputText writes for a text, without its line end.
std::string Encoded(std::string_view text, bool utf8 = false,
                    const codepage::Page& page = codepage::kWindows1252, codepage::Notes* notes = nullptr) {
    StringSink sink;
    {
        TextStream stream(sink);
        stream.SetInputIsUtf8(utf8);
        stream.SetCodePage(page);
        dxfgroup::InputText(stream, dxfgroup::kText, text);
        if (notes != nullptr)
            *notes = stream.Notes();
    }
    const std::string& written = sink.Text();
    return written.substr(5, written.size() - 7); // after "  1\r\n", before "\r\n"
}

} // namespace

// Release 12 takes strings of 255 bytes: a longer one is cut between two characters, never
// inside a character's bytes or its notation ("\U+XXXX", "^M", "%%%").
TEST(DxfEntity, LongTextsAreCutTo255BytesBetweenCharacters) {
    const std::string long300(300, 'L');
    EXPECT_EQ(Encoded(long300), std::string(255, 'L'));
    CDxfText text(long300, 0, 0, kNaN);
    EXPECT_EQ(text.text().size(), 300U) << "kept whole until it is written";
    DxfAttributes a;
    a.setLayer(std::string(5000, 'L'));
    EXPECT_EQ(a.layer().size(), dxfgroup::kMaxText);

    std::string cyrillic; // 200 characters of two bytes each
    for (int i = 0; i < 200; ++i)
        cyrillic += "\xD0\x94";
    EXPECT_EQ(Encoded(cyrillic, true, *codepage::Find("ANSI_1251")), std::string(200, '\xC4'));
    const std::string escaped = Encoded(cyrillic, true); // Windows-1252 lacks it: "\U+0414" each
    EXPECT_EQ(escaped.size(), 252U);
    EXPECT_EQ(escaped.substr(245), "\\U+0414");
    for (const std::string& tail : {std::string(254, 'x') + "\r", std::string(253, 'x') + "%%"}) {
        const std::string cut = Encoded(tail);
        EXPECT_LE(cut.size(), 255U);
        EXPECT_EQ(cut, std::string(cut.size(), 'x')) << "no half of a notation at the end";
    }
}

// A CR, LF or NUL taken from the input must not end a line in the file, and a caret must not be
// read back with the next character as a control character ("A^MB" as A, CR, B); tabs and DEL
// too. Notations readers decode in a text are written as AutoCAD reads them back as typed, and
// said; a character above U+FFFF, which release 12 cannot number, becomes U+FFFD and is said.
TEST(DxfEntity, TextsAreWrittenSoThatReadersShowThemAsTyped) {
    CDxfText text(std::string_view("a\rb\0c\td^e\x1f\x7f", 11), 0, 0, kNaN);
    text.attributes()->setLayer("L");
    EXPECT_EQ(Written(text),
              "  0|TEXT| 10|0.000000| 20|0.000000|  8|L| 62|0| 40|2.500000| 11|0.000000| 21|0.000000|"
              "  1|a^Mb^@c^Id^ e^_^?|");
    codepage::Notes notes;
    EXPECT_EQ(Encoded("50%%d 5% 100%", false, codepage::kWindows1252, &notes), "50%%%%%%d 5% 100%");
    EXPECT_EQ(notes.notations, 1U);
    EXPECT_EQ(Encoded("C:\\U+00E4\\data \\M+1 \\x", false, codepage::kWindows1252, &notes),
              "C:\\U+005CU+00E4\\data \\U+005CM+1 \\x");
    EXPECT_EQ(notes.notations, 1U);
    EXPECT_EQ(Encoded("Baum \xF0\x9F\x8C\xB3 \xC3\xA4", true, codepage::kWindows1252, &notes),
              "Baum \\U+FFFD \xE4");
    EXPECT_EQ(notes.beyondBmp, 1U);
    EXPECT_EQ(notes.beyond, (std::vector<std::uint32_t>{0x1F333}));
    EXPECT_EQ(Encoded("\xD0\x94", true, codepage::kWindows1252, &notes), "\\U+0414");
    EXPECT_EQ(notes.notInPage, 1U);
    // A byte of an 8-bit text that is no character of its page stands for one nobody can tell.
    EXPECT_EQ(Encoded("a\x81"
                      "b \xE4",
                      false, codepage::kWindows1252, &notes),
              "a\\U+FFFDb \xE4");
    EXPECT_EQ(notes.notInPage, 1U);
    CDxfPoint point(0, 0, kNaN);
    point.attributes()->setLayer("plain");
    EXPECT_EQ(Written(point), "  0|POINT|  8|plain| 62|0| 10|0.000000| 20|0.000000|");
}

TEST(DxfEntity, AttributesAreCopiedWhole) {
    DxfAttributes a;
    a.setLayer("WALL");
    a.setLineType("Dotted_Line");
    a.colour = 4;
    a.thickness = 0.25;
    CDxfPoint point(0, 0, kNaN);
    point.setAttributes(a);
    a.setLayer("OTHER");
    EXPECT_EQ(point.attributes()->layer(), "WALL");
    EXPECT_EQ(point.attributes()->lineType(), "Dotted_Line");
    EXPECT_EQ(point.attributes()->thickness, 0.25);
    point.setPosition(DxfPoint3{4, 5, 6});
    ASSERT_NE(point.position(), nullptr);
    EXPECT_EQ(point.position()->z, 6.0);
}

TEST(DxfEntity, RealsIgnoreTheProcessLocale) {
    CommaLocale german;
    REQUIRE_COMMA_LOCALE(german);
    CDxfCircle circle(2.5, -0.25, 0, kNaN);
    EXPECT_EQ(Written(circle), "  0|CIRCLE|  8|0| 62|0| 10|-0.250000| 20|0.000000|  40|2.500000|");
}
