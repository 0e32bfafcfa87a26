#include "frt/CFrtArea.h"
#include "frt/CFrtReader.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

CFrtPoint Point(std::string_view record) {
    CFrtPoint point(0, 0, std::nan(""));
    CFrtReader::ReadPoint(record, &point);
    return point;
}

} // namespace

TEST(FrtModel, PointClassesByName) {
    EXPECT_EQ(Point("PCLASS=CTRL").GetClassName(), "Control");
    EXPECT_EQ(Point("PCLASS=meas").GetClassName(), "Estimated");
    EXPECT_EQ(Point("PID=1").GetClassName(), "Estimated");
    EXPECT_EQ(Point("PCLASS=MEAS ").GetClassName(), "Measured");
    EXPECT_EQ(Point("PCLASS= CTRL").GetClassName(), "Control");
    EXPECT_EQ(Point("PCLASS=NAV").GetClassName(), "Navigated");
    EXPECT_EQ(Point("PCLASS=MEAN").GetClassName(), "Averaged");
    CFrtPoint odd(0, 0, 0);
    odd.SetPointClass(static_cast<PointClass>(9));
    EXPECT_EQ(odd.GetClassName(), "");
    odd.SetPointClass(POINT_CLASS_INDEFINITED);
    EXPECT_EQ(odd.GetClassName(), "Indefinited");
}

TEST(FrtModel, LineTypesAndHatchStyles) {
    CFrtLine line;
    EXPECT_EQ(line.GetLineTypeName(), "") << "an unset style has no line type";
    line.SetStyle(LINE_STYLE_DASHDOT);
    EXPECT_EQ(line.GetLineTypeName(), "Dashdot_Line");
    line.SetStyle(static_cast<LineStyle>(5));
    EXPECT_EQ(line.GetLineTypeName(), "");
    CFrtReader::ReadLine("LSTYLE=4 DashDotDot", &line);
    EXPECT_EQ(line.GetLineTypeName(), "Dashdotdot_Line");
    CFrtReader::ReadLine("LSTYLE=4 dashdotdot", &line);
    EXPECT_EQ(line.GetStyle(), LINE_STYLE_DASHDOTDOT) << "an unknown text leaves the style";

    CFrtArea area;
    CFrtReader::ReadArea("SSTYLE=0 Horizontal", &area);
    EXPECT_EQ(area.GetHatchStyle(), HATCH_STYLE_HORIZONTAL);
    CFrtReader::ReadArea("SSTYLE=6 Solid", &area);
    EXPECT_EQ(area.GetHatchStyle(), HATCH_STYLE_NONE);
    CFrtReader::ReadArea("SSTYLE=5 Diacross;SCOLOR=8421504;AREA=12.5;LID=A9", &area);
    EXPECT_EQ(area.GetHatchStyle(), HATCH_STYLE_DIACROSS);
    EXPECT_EQ(area.GetFillColour(), 8421504);
    EXPECT_DOUBLE_EQ(area.GetArea(), 12.5);
    EXPECT_EQ(area.GetName(), "A9");
}

TEST(FrtModel, HeightFallsBackToHeOnlyForTheExactMarker) {
    EXPECT_DOUBLE_EQ(Point("HO=-9999.99;HE=402.5").GetCoordinates().GetHeight(), 402.5);
    EXPECT_DOUBLE_EQ(Point("HO=-9999.990;HE=402.5").GetCoordinates().GetHeight(), -9999.99);
    EXPECT_DOUBLE_EQ(Point("HO=-9999.99").GetCoordinates().GetHeight(), 0.0);
    EXPECT_DOUBLE_EQ(Point("HO=-9999.99;HE=-9999.99").GetCoordinates().GetHeight(), -9999.99);
    EXPECT_DOUBLE_EQ(Point("E=1").GetCoordinates().GetHeight(), 0.0);
}

TEST(FrtModel, LongNamesGroupsAndCodesAreKeptWhole) {
    const CFrtPoint point =
        Point("PID=ABCDEFGHIJKLMNOP-17;GROUP=a group name longer than 16;CODE=0123456789abcdefXYZ");
    EXPECT_EQ(point.GetName(), "ABCDEFGHIJKLMNOP-17");
    EXPECT_EQ(point.GetCode().GetGroup(), "a group name longer than 16");
    EXPECT_EQ(point.GetCode().GetCodeText(), "0123456789abcdefXYZ");
}

TEST(FrtModel, ColoursAndNumbersNeverOverflow) {
    CFrtLine line;
    CFrtReader::ReadLine("LCOLOR=ff", &line);
    EXPECT_EQ(line.GetColour(), 255);
    CFrtReader::ReadLine("LCOLOR=0x00ff00", &line);
    EXPECT_EQ(line.GetColour(), 0xff00);
    CFrtReader::ReadLine("LCOLOR=123456789abcdef", &line);
    EXPECT_EQ(line.GetColour(), 0);
    CFrtReader::ReadLine("LCOLOR=green", &line);
    EXPECT_EQ(line.GetColour(), 0);
    CFrtArea area;
    CFrtReader::ReadArea("SCOLOR=99999999999999", &area);
    EXPECT_EQ(area.GetFillColour(), 0);
    const CFrtPoint point = Point("E=1e999;N=nan;HO=inf");
    EXPECT_EQ(point.GetCoordinates().GetEasting(), 0.0);
    EXPECT_EQ(point.GetCoordinates().GetNorthing(), 0.0);
    EXPECT_EQ(point.GetCoordinates().GetHeight(), 0.0);
}

TEST(FrtModel, TypedAttributesGoToTheElementOfTheirLetter) {
    const std::string record = "LID=7;_ILNUM=3;_IPNUM=4;_DAAREA2=1.5;_SPNOTE=x";
    CFrtLine line;
    CFrtReader::ReadLine(record, &line);
    EXPECT_EQ(line.GetValue("NUM"), "3");
    EXPECT_EQ(line.Size(), 1U);
    const CFrtPoint vertex = Point(record);
    EXPECT_EQ(vertex.GetValue("NUM"), "4");
    EXPECT_EQ(vertex.GetValue("NOTE"), "x");
    CFrtArea area;
    CFrtReader::ReadArea(record, &area);
    EXPECT_EQ(area.GetValue("AREA2"), "1.500000");
}
