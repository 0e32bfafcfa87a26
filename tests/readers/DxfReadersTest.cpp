// Feeds written drawings to real DXF readers: ezdxf (strict load and audit), GDAL's ogrinfo and dime.
#include "dxf/CDxfCircle.h"
#include "dxf/CDxfDocument.h"
#include "dxf/CDxfInsert.h"
#include "dxf/CDxfLine.h"
#include "dxf/CDxfPoint.h"
#include "dxf/CDxfPolyline.h"
#include "dxf/CDxfText.h"
#include "export/ExportRun.h"
#include "tests/dxf/DxfText.h"
#include "tests/readers/ReaderTools.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const double kNaN = std::nan("");

// Every entity kind, on layers whose blanks were replaced, with a block the inserts use.
std::unique_ptr<TestDrawing> EveryKind(bool threeD) {
    const double z = threeD ? 431.5 : kNaN;
    auto document = std::make_unique<TestDrawing>();
    CDxfBlock block{"Control", {}};
    block.addEntity(std::make_unique<CDxfCircle>(0.05, 0, 0, kNaN));
    block.addEntity(std::make_unique<CDxfLine>(DxfPoint3{-0.05, 0, kNaN}, DxfPoint3{0.05, 0, kNaN}));
    document->measured.addBlock(std::move(block));

    auto point = std::make_unique<CDxfPoint>(100, 200, z);
    point->attrs.setLayer("WALL_TOP");
    document->add(std::move(point));
    auto insert = std::make_unique<CDxfInsert>("Control", 110, 205, z);
    insert->attrs.setLayer("FIX");
    document->add(std::move(insert));
    auto text = std::make_unique<CDxfText>("101", 110.075, 205.075, z);
    text->attrs.setLayer("PointID");
    text->attrs.colour = 2;
    text->setHeight(0.1);
    text->horizontalAlign = 2;
    text->verticalAlign = 3;
    document->add(std::move(text));
    auto line = std::make_unique<CDxfLine>(DxfPoint3{100, 200, z}, DxfPoint3{120, 210, z});
    line->attrs.setLayer("UTIL_POLE");
    line->attrs.setLineType("Dashdotdot_Line");
    line->attrs.colour = 6;
    line->attrs.thickness = 0.35;
    document->add(std::move(line));
    auto polyline = std::make_unique<CDxfPolyline>();
    polyline->attrs.setLayer("BUILDING_MAIN");
    polyline->attrs.setLineType("Dashed_Line");
    polyline->attrs.colour = 1;
    polyline->polylineFlags = static_cast<std::int16_t>(1 | (threeD ? 8 : 0));
    for (int i = 0; i < 4; ++i) {
        auto vertex = std::make_unique<CDxfVertex>(100 + (i % 2) * 10, 200 + (i / 2) * 10, z);
        if (threeD)
            vertex->addFlags(32);
        vertex->attrs.setLayer("BUILDING_MAIN");
        polyline->addVertex(std::move(vertex));
    }
    document->add(std::move(polyline));
    document->add(std::make_unique<CDxfCircle>(2.0, 105, 205, z));
    return document;
}

const std::vector<std::string> kEveryKindLayers = {"0",       "BUILDING_MAIN", "FIX",
                                                   "PointID", "UTIL_POLE",     "WALL_TOP"};

class ReadersTest : public ::testing::TestWithParam<bool> {
protected:
    std::string Write(const TestDrawing& document, const char* name) {
        std::string path = dir.File(name);
        DxfWriteSettings settings;
        settings.symbolScale = 0.05;
        const DxfWriteResult result = WriteDrawing(document, path, settings);
        EXPECT_TRUE(result.Ok()) << result.failure.Reason();
        return path;
    }
    TempDir dir;
};

} // namespace

TEST_P(ReadersTest, EzdxfLoadsEveryKindStrictlyAndItsAuditorFindsNothing) {
    const std::string path = Write(*EveryKind(GetParam()), "every-kind.dxf");
    const EzdxfReport report = RunEzdxf(path);
    ASSERT_TRUE(report.loaded) << report.raw;
    EXPECT_EQ(report.version, "AC1009");
    EXPECT_EQ(report.auditErrors, 0) << report.raw;
    EXPECT_EQ(report.entities,
              (std::map<std::string, int>{
                  {"CIRCLE", 1}, {"INSERT", 1}, {"LINE", 1}, {"POINT", 1}, {"POLYLINE", 1}, {"TEXT", 1}}));
    EXPECT_EQ(report.vertices, 4);
    EXPECT_EQ(report.blocks.at("Control"), 2);
    EXPECT_EQ(report.layers, kEveryKindLayers);
    for (const char* type : {"Solid_Line", "Dashed_Line", "Dotted_Line", "Dashdot_Line", "Dashdotdot_Line"})
        EXPECT_EQ(std::count(report.lineTypes.begin(), report.lineTypes.end(), type), 1) << type;
}

TEST_P(ReadersTest, OgrinfoReadsTheLayersAndFeatures) {
    const std::string path = Write(*EveryKind(GetParam()), "every-kind.dxf");
    const OgrReport report = RunOgrinfo(path);
    EXPECT_TRUE(report.errors.empty()) << report.errors;
    EXPECT_EQ(report.featureCount, 6) << report.raw;
    EXPECT_EQ(report.layers,
              (std::vector<std::string>{"0", "BUILDING_MAIN", "FIX", "PointID", "UTIL_POLE", "WALL_TOP"}))
        << report.raw;
}

TEST_P(ReadersTest, DimeReadsEveryKind) {
    EXPECT_EQ(DimeProblem(Write(*EveryKind(GetParam()), "every-kind.dxf")), "");
}

INSTANTIATE_TEST_SUITE_P(TwoAndThreeD, ReadersTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "3D" : "2D"; });

TEST(Readers, EmptyDocumentIsAcceptedByBoth) {
    TempDir dir;
    const std::string path = dir.File("empty.dxf");
    const DxfWriteSettings settings;
    ASSERT_TRUE(WriteDrawing(TestDrawing(), path, settings).Ok());
    const EzdxfReport ezdxf = RunEzdxf(path);
    ASSERT_TRUE(ezdxf.loaded) << ezdxf.raw;
    EXPECT_EQ(ezdxf.version, "AC1009");
    EXPECT_EQ(ezdxf.auditErrors, 0) << ezdxf.raw;
    EXPECT_TRUE(ezdxf.entities.empty());
    const OgrReport ogr = RunOgrinfo(path);
    EXPECT_TRUE(ogr.errors.empty()) << ogr.errors;
    EXPECT_EQ(ogr.featureCount, 0) << ogr.raw;
}

TEST(Readers, TruncatedDrawingIsRejected) {
    // Guards the checks themselves: a cut file must not pass as good.
    TempDir dir;
    const std::string path = dir.File("cut.dxf");
    const DxfWriteSettings settings;
    ASSERT_TRUE(WriteDrawing(*EveryKind(true), path, settings).Ok());
    const std::string text = ReadFile(path);
    const std::string cut = dir.Write("cut.dxf", text.substr(0, text.size() / 2));
    EXPECT_FALSE(RunEzdxf(cut).loaded);
    const std::string broken = dir.Write("broken.dxf", text.substr(0, text.find(" 10\r\n") + 5) + "x\r\n");
    EXPECT_NE(DimeProblem(broken), "");
}

// Every option on, on the example of hatched and labelled parcels: each reader reads it all.
TEST(Readers, EveryOptionOnTheParcelsExample) {
    TempDir dir;
    const std::string path = dir.File("parcels.dxf");
    ExportOptions options;
    options.flags = OPT_SYMBOLS | OPT_LAYER_PER_CODE | OPT_3D | OPT_POINT_ATTRIBUTES | OPT_HATCH | OPT_XDATA;
    options.symbolScale = 0.05;
    for (const std::int32_t kind :
         {LABEL_POINT_ID, LABEL_EAST_NORTH, LABEL_HEIGHT, LABEL_CODE, LABEL_AREA, LABEL_LINE_NAME})
        options.labels.push_back({kind, "Label" + std::to_string(kind), kind + 1, 2});
    const ConversionResult result =
        exportrun::ConvertFile(FRT2DXF_SOURCE_DIR "/examples/parcels.frt", path, options);
    ASSERT_TRUE(result.Ok()) << result.failure.Reason();

    const EzdxfReport ezdxf = RunEzdxf(path);
    ASSERT_TRUE(ezdxf.loaded) << ezdxf.raw;
    EXPECT_EQ(ezdxf.auditErrors, 0) << ezdxf.raw;
    // Four hatches, each its block; extended data on 38 points (the vertices are points too), 2
    // lines and 4 areas.
    for (const char* fact : {"anonymous *U", "extended_data 44"})
        EXPECT_NE(ezdxf.raw.find(fact), std::string::npos) << fact << " in " << ezdxf.raw;
    EXPECT_EQ(std::count(ezdxf.raw.begin(), ezdxf.raw.end(), '*'), 4) << ezdxf.raw;

    const OgrReport ogr = RunOgrinfo(path);
    EXPECT_TRUE(ogr.errors.empty()) << ogr.errors;
    EXPECT_GT(ogr.featureCount, 200) << "the hatch lines are features of their inserts";
    const std::string raw =
        Capture("ogrinfo --config DXF_INCLUDE_RAW_CODE_VALUES TRUE -ro -al " + Quoted(path));
    EXPECT_NE(raw.find("_SAOWNER=Meier AG"), std::string::npos);
    EXPECT_EQ(DimeProblem(path), "");
}
