#include "dxf/CDxfCircle.h"
#include "dxf/CDxfInsert.h"
#include "dxf/CDxfLine.h"
#include "dxf/CDxfPoint.h"
#include "dxf/CDxfPolyline.h"
#include "dxf/CDxfText.h"
#include "dxf/CDxfVertex.h"
#include "tests/dxf/DxfText.h"
#include "tests/support/LocaleGuard.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
const double kNaN = std::nan("");
}

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

TEST(DxfEntity, LongTextsAreCutAt256Characters) {
    const std::string long300(300, 'L');
    CDxfText text(long300, 0, 0, kNaN);
    EXPECT_EQ(text.text().size(), 256U);
    CDxfInsert insert(long300, 0, 0, kNaN);
    EXPECT_EQ(insert.blockName().size(), 256U);
    DxfAttributes a;
    a.setLayer(long300);
    a.setLineType(long300 + "x");
    EXPECT_EQ(a.layer(), std::string(256, 'L'));
    EXPECT_EQ(a.lineType(), std::string(256, 'L'));
}

// A CR, LF or NUL taken from the input must not end a line in the file, and a caret must not be
// read back with the next character as a control character ("A^MB" as A, CR, B); tabs stay.
TEST(DxfEntity, ControlCharactersInTextsAndLayersAreCaretEncoded) {
    CDxfText text(std::string_view("a\rb\0c\td^e\x1f", 10), 0, 0, kNaN);
    text.attributes()->setLayer(std::string_view("L\nM", 3));
    EXPECT_EQ(Written(text),
              "  0|TEXT| 10|0.000000| 20|0.000000|  8|L^JM| 62|0| 40|2.500000| 11|0.000000| 21|0.000000|"
              "  1|a^Mb^@c\td^ e^_|");
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
