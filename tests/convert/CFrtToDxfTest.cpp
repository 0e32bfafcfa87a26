#include "convert/CFrtToDxf.h"
#include "dxf/CDxfCircle.h"
#include "dxf/CDxfInsert.h"
#include "dxf/CDxfLine.h"
#include "dxf/CDxfPoint.h"
#include "dxf/CDxfPolyline.h"
#include "dxf/CDxfText.h"
#include "frt/CFrtReader.h"
#include "tests/convert/Outline.h"
#include "tests/dxf/DxfText.h"
#include "tests/support/Findings.h"
#include "tests/support/LocaleGuard.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const double kNaN = std::nan("");

std::unique_ptr<CFrtPoint> MakePoint(const std::string& record) {
    auto point = std::make_unique<CFrtPoint>(0, 0, kNaN);
    CFrtReader::ReadPoint(record, point.get());
    return point;
}

std::unique_ptr<CFrtLine> MakeLine(const std::vector<std::string>& records) {
    auto line = std::make_unique<CFrtLine>();
    CFrtReader::ReadLine(records.front(), line.get());
    for (const std::string& record : records)
        line->AddVertex(MakePoint(record));
    return line;
}

std::unique_ptr<CFrtArea> MakeArea(const std::vector<std::string>& records) {
    auto area = std::make_unique<CFrtArea>();
    CFrtReader::ReadArea(records.front(), area.get());
    area->SetBoundary(MakeLine(records));
    return area;
}

ExportOptions Options(std::int32_t flags, double s = 0.05) {
    ExportOptions options;
    options.flags = flags;
    options.symbolScale = s;
    return options;
}

template <typename T> const T& As(const std::unique_ptr<CDxfEntity>& entity) {
    const T* typed = dynamic_cast<const T*>(entity.get());
    EXPECT_NE(typed, nullptr);
    return *typed;
}

std::vector<std::int32_t> Kinds(const KeptEntities& kept) {
    std::vector<std::int32_t> kinds;
    for (const auto& e : kept.entities)
        kinds.push_back(e->entityType());
    return kinds;
}

} // namespace

TEST(Conversion, FourLabelsAroundAPoint) {
    ExportOptions options = Options(OPT_3D);
    options.labels = {{LABEL_POINT_ID, "PointID", 2, 0},
                      {LABEL_EAST_NORTH, "Coords", 3, 3},
                      {LABEL_HEIGHT, "Height", 4, 2},
                      {LABEL_CODE, "Code", 5, 0}};
    CFrtToDxf converter(&options);
    KeptEntities converterKept(*converter.GetDocument());
    converter.Process(MakePoint("PID=101;E=2.5;N=1.25;HO=3.1;CODE=OAK"));
    const auto& entities = converterKept.entities;
    ASSERT_EQ(entities.size(), 5U);
    EXPECT_EQ(entities[0]->entityType(), DXF_ENTITY_POINT);
    struct Expected {
        const char* text;
        double x, y;
        int h, v;
        const char* layer;
        int colour;
    } expected[] = {{"101", 2.45, 1.30, 2, 0, "PointID", 2},
                    {"2.500;1.250", 2.55, 1.30, 0, 0, "Coords", 3},
                    {"3.10", 2.55, 1.20, 0, 3, "Height", 4},
                    {"OAK", 2.45, 1.20, 2, 3, "Code", 5}};
    for (int i = 0; i < 4; ++i) {
        const auto& text = As<CDxfText>(entities[static_cast<std::size_t>(i) + 1]);
        EXPECT_EQ(text.text(), expected[i].text);
        EXPECT_NEAR(text.location.x, expected[i].x, 1e-9);
        EXPECT_NEAR(text.location.y, expected[i].y, 1e-9);
        EXPECT_DOUBLE_EQ(text.location.z, 3.1);
        EXPECT_EQ(text.horizontalAlign, expected[i].h);
        EXPECT_EQ(text.verticalAlign, expected[i].v);
        EXPECT_NEAR(text.height, 0.15, 1e-12);
        EXPECT_EQ(text.attrs.layer(), expected[i].layer);
        EXPECT_EQ(text.attrs.colour, expected[i].colour);
    }
}

TEST(Conversion, EmptyTextsGiveNoLabelAndNumbersAlwaysDo) {
    ExportOptions options = Options(0);
    options.labels = {{LABEL_POINT_ID, "P", 1, 0},
                      {LABEL_EAST_NORTH, "C", 1, 0},
                      {LABEL_HEIGHT, "H", 1, 0},
                      {LABEL_CODE, "K", 1, 0}};
    CFrtToDxf converter(&options);
    KeptEntities converterKept(*converter.GetDocument());
    auto unnamed = MakePoint("E=-1.5;N=2.5;HO=-9999.99;HE=-9999.99");
    FrtCode code;
    code.SetCodeText(" ");
    unnamed->SetCode(code);
    converter.Process(std::move(unnamed)); // no name, a code of one blank: two labels only
    auto spaced = MakePoint("PID=7;HO=12.5");
    code.SetCodeText("  ");
    spaced->SetCode(code);
    converter.Process(std::move(spaced)); // a code of two blanks is a label
    const auto& entities = converterKept.entities;
    ASSERT_EQ(entities.size(), 3U + 5U);
    EXPECT_EQ(As<CDxfText>(entities[1]).text(), "-2;2") << "0 decimals: rounded, no point";
    EXPECT_EQ(As<CDxfText>(entities[2]).text(), "-10000");
    EXPECT_TRUE(std::isnan(As<CDxfText>(entities[2]).location.z)) << "2D labels have no z";
    EXPECT_EQ(As<CDxfText>(entities[7]).text(), "  ");
}

TEST(Conversion, LayerRules) {
    ExportOptions perCode = Options(OPT_LAYER_PER_CODE);
    CFrtToDxf converter(&perCode);
    EXPECT_EQ(converter.ElementLayer(*MakePoint("GROUP=WALL TOP")), "WALL_TOP");
    EXPECT_EQ(converter.ElementLayer(*MakePoint("GROUP= ")), "0");
    EXPECT_EQ(converter.ElementLayer(*MakePoint("PID=1")), "0");
    // Names hold letters, digits, "$", "_" and "-" only, at most 31 of them: any other character
    // becomes an underscore, letters beyond ASCII are kept in the drawing's code page.
    EXPECT_EQ(converter.ElementLayer(*MakePoint("GROUP=a\tb")), "a_b");
    EXPECT_EQ(converter.ElementLayer(*MakePoint("GROUP=GAS/WATER")), "GAS_WATER");
    EXPECT_EQ(converter.ElementLayer(*MakePoint("GROUP=a.b,c'd|e&f@g!h#i%j(k)l[m]n")),
              "a_b_c_d_e_f_g_h_i_j_k_l_m_n");
    EXPECT_EQ(converter.ElementLayer(*MakePoint("GROUP={o}p+q~r^s<t>u\\v\"w:x=y?z*")),
              "_o_p_q_r_s_t_u_v_w_x_y_z_");
    EXPECT_EQ(converter.ElementLayer(*MakePoint("GROUP=$Bäume-1_x")), "$B\xE4ume-1_x") << "in Windows-1252";
    EXPECT_EQ(converter.ElementLayer(*MakePoint("GROUP=\xC2\xB0\xE2\x82\xAC")), "__")
        << "a sign is no letter, even where the page holds it";
    const std::string longName =
        converter.ElementLayer(*MakePoint("GROUP=ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"));
    const std::string longOther =
        converter.ElementLayer(*MakePoint("GROUP=ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456780"));
    EXPECT_EQ(longName.size(), 31U);
    EXPECT_EQ(longName.substr(0, 25), "ABCDEFGHIJKLMNOPQRSTUVWX_");
    EXPECT_NE(longName, longOther) << "shortened names stay apart";
    EXPECT_EQ(converter.ElementLayer(*MakePoint("GROUP=abcdefghijklmnopqrstuvwxyz0123456789")), longName)
        << "spellings equal ignoring case are one layer, under the first";
    CFrtToDxf again(&perCode);
    EXPECT_EQ(again.ElementLayer(*MakePoint("GROUP=ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789")), longName)
        << "the same every time";
    // Case is folded in every script, and the first spelling met names the layer.
    EXPECT_EQ(converter.ElementLayer(*MakePoint("GROUP=MÜLLER")), "M\xDCLLER");
    EXPECT_EQ(converter.ElementLayer(*MakePoint("GROUP=Müller")), "M\xDCLLER");
    ExportOptions cyrillic = Options(OPT_LAYER_PER_CODE);
    cyrillic.codePage = codepage::Find("ANSI_1251");
    CFrtToDxf russian(&cyrillic);
    EXPECT_EQ(russian.ElementLayer(*MakePoint("GROUP=Дерево")), "\xC4\xE5\xF0\xE5\xE2\xEE");
    EXPECT_EQ(russian.ElementLayer(*MakePoint("GROUP=ДЕРЕВО")), "\xC4\xE5\xF0\xE5\xE2\xEE");
    EXPECT_EQ(russian.ElementLayer(*MakePoint("GROUP=Bäume")), "B_ume") << "1251 has no ä";
    EXPECT_EQ(converter.ElementLayer(*MakePoint("GROUP=Дерево")), "______") << "1252 has no Д";
    // For CAD that takes ASCII only: Latin letters as plain ones, others "_".
    ExportOptions ascii = Options(OPT_LAYER_PER_CODE | OPT_ASCII_NAMES);
    CFrtToDxf plain(&ascii);
    EXPECT_EQ(plain.ElementLayer(*MakePoint("GROUP=Bäume Straße Öl")), "Baeume_Strasse_Oel");
    EXPECT_EQ(plain.ElementLayer(*MakePoint("GROUP=Ærø é Łódź Дом")), "AEro_e_Lodz____");
    const auto twoBlanks = MakePoint("PID=1");
    FrtCode code;
    code.SetGroup("  ");
    twoBlanks->SetCode(code);
    EXPECT_EQ(converter.ElementLayer(*twoBlanks), "__");
    EXPECT_EQ(twoBlanks->GetCode().GetGroup(), "  ") << "the element's own group stays";

    ExportOptions single = Options(0);
    single.labels = {{LABEL_POINT_ID, "Point ID", 2, 0}};
    CFrtToDxf flat(&single);
    KeptEntities flatKept(*flat.GetDocument());
    flat.Process(MakePoint("PID=1;GROUP=TREE"));
    const auto& entities = flatKept.entities;
    EXPECT_EQ(entities[0]->attributes()->layer(), "0");
    EXPECT_EQ(entities[1]->attributes()->layer(), "Point_ID");
    EXPECT_EQ(single.labels[0].layerName, "Point ID") << "the run's options are not changed";
}

TEST(Conversion, SymbolsMakeInsertsOfTheClassBlock) {
    ExportOptions symbols = Options(OPT_SYMBOLS | OPT_3D);
    CFrtToDxf converter(&symbols);
    KeptEntities converterKept(*converter.GetDocument());
    converter.Process(MakePoint("PCLASS=MEAS;E=1;N=2;HO=3"));
    const auto& insert = As<CDxfInsert>(converterKept.entities[0]);
    EXPECT_EQ(insert.blockName(), "Measured");
    EXPECT_DOUBLE_EQ(insert.location.z, 3.0);
    EXPECT_EQ(converter.GetDocument()->tables().blocks().size(), 8U);

    ExportOptions plain = Options(0);
    CFrtToDxf points(&plain);
    KeptEntities pointsKept(*points.GetDocument());
    points.Process(MakePoint("PCLASS=MEAS"));
    EXPECT_EQ(pointsKept.entities[0]->entityType(), DXF_ENTITY_POINT);
    EXPECT_TRUE(points.GetDocument()->tables().blocks().empty());
}

TEST(Conversion, SymbolGeometryAtTheDefaultScale) {
    ExportOptions options = Options(OPT_SYMBOLS | OPT_3D, 0.05);
    CFrtToDxf converter(&options);
    const auto& blocks = converter.GetDocument()->tables().blocks();
    std::vector<std::string> names;
    names.reserve(blocks.size());
    for (const auto& [name, block] : blocks)
        names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"Adjusted", "Averaged", "Control", "Estimated", "Indefinited",
                                               "Measured", "Navigated", "Reference"}));
    const auto& measured = blocks.at("Measured").entities;
    ASSERT_EQ(measured.size(), 2U);
    EXPECT_EQ(measured[0]->entityType(), DXF_ENTITY_POINT);
    EXPECT_EQ(As<CDxfCircle>(measured[1]).radius, 0.05);
    EXPECT_EQ(As<CDxfCircle>(blocks.at("Averaged").entities[2]).radius, 0.5 * 0.05);
    const auto& adjusted = blocks.at("Adjusted").entities;
    const auto& side = As<CDxfLine>(adjusted[0]);
    EXPECT_EQ(side.end.x, 0.706 * 0.05);
    EXPECT_EQ(side.end.y, -0.706 * 0.05);
    EXPECT_NEAR(side.end.x, 0.0353, 1e-12);
    const auto& rays = blocks.at("Indefinited").entities;
    ASSERT_EQ(rays.size(), 5U);
    const double r = 0.355 * 0.05;
    EXPECT_NEAR(r, 0.01775, 1e-15);
    const double starts[4][2] = {{r, r}, {r, -r}, {-r, -r}, {-r, r}};
    for (int i = 0; i < 4; ++i) {
        const auto& ray = As<CDxfLine>(rays[static_cast<std::size_t>(i) + 1]);
        EXPECT_EQ(ray.start.x, starts[i][0]);
        EXPECT_EQ(ray.start.y, starts[i][1]);
    }
    for (const auto& [name, block] : blocks) {
        for (const auto& entity : block.entities) {
            const DxfAttributes& a = *entity->attributes();
            EXPECT_EQ(a.layer(), "0");
            if (entity->entityType() == DXF_ENTITY_POINT) {
                EXPECT_EQ(a.colour, 0);
                EXPECT_EQ(a.lineType(), "");
                EXPECT_TRUE(std::isnan(entity->position()->z));
            } else {
                EXPECT_EQ(a.colour, 7) << name;
                EXPECT_EQ(a.lineType(), "Solid_Line") << name;
            }
            if (entity->entityType() == DXF_ENTITY_LINE) {
                const auto& line = static_cast<const CDxfLine&>(*entity);
                EXPECT_TRUE(std::isnan(line.start.z) && std::isnan(line.end.z)) << name;
            }
        }
    }
    EXPECT_TRUE(converter.GetDocument()->tables().layers().empty()) << "blocks add no layers";
}

TEST(Conversion, LineEntitiesComeFirstThenEachVertexWithItsLabels) {
    ExportOptions options = Options(OPT_SEPARATE_LINES);
    options.labels = {{LABEL_POINT_ID, "PointID", 2, 0}};
    CFrtToDxf converter(&options);
    KeptEntities converterKept(*converter.GetDocument());
    converter.Process(MakeLine({"LID=1;PID=a;E=0", "LID=1;PID=b;E=1", "LID=1;PID=c;E=2"}));
    EXPECT_EQ(
        Kinds(converterKept),
        (std::vector<std::int32_t>{DXF_ENTITY_LINE, DXF_ENTITY_LINE, DXF_ENTITY_POINT, DXF_ENTITY_TEXT,
                                   DXF_ENTITY_POINT, DXF_ENTITY_TEXT, DXF_ENTITY_POINT, DXF_ENTITY_TEXT}));
    EXPECT_EQ(As<CDxfText>(converterKept.entities[3]).text(), "a");
    EXPECT_EQ(As<CDxfText>(converterKept.entities[7]).text(), "c");
    EXPECT_EQ(As<CDxfLine>(converterKept.entities[1]).start.x, 1.0);
    EXPECT_EQ(As<CDxfLine>(converterKept.entities[1]).end.x, 2.0);
}

TEST(Conversion, SeparateLinesCloseAreasOnlyAndCarryNoWidth) {
    ExportOptions options = Options(OPT_SEPARATE_LINES | OPT_LAYER_PER_CODE);
    CFrtToDxf converter(&options);
    KeptEntities converterKept(*converter.GetDocument());
    converter.Process(MakeArea({"LID=A;PID=1;E=0;N=0;GROUP=PIPE;LCOLOR=ff00;LSTYLE=2 Dot;LWIDTH=25",
                                "LID=A;PID=2;E=1;N=0", "LID=A;PID=3;E=2;N=1"}));
    converter.Process(MakeLine({"LID=S;PID=9;LCOLOR=80"}));
    // An area whose boundary ends where it began is closed by its own last segment.
    converter.Process(MakeArea({"LID=B;E=0;N=0", "LID=B;E=1;N=0", "LID=B;E=1;N=1", "LID=B;E=0;N=0"}));
    // A line stays open.
    converter.Process(MakeLine({"LID=C;E=0;N=0", "LID=C;E=1;N=0", "LID=C;E=1;N=1"}));
    const CDxfDocument& document = *converter.GetDocument();
    const auto lines = [&converterKept](std::size_t from, std::size_t to) {
        std::size_t count = 0;
        for (std::size_t i = from; i < to; ++i)
            count += converterKept.entities[i]->entityType() == DXF_ENTITY_LINE ? 1 : 0;
        return count;
    };
    ASSERT_EQ(converterKept.entities.size(), 6U + 1U + (3U + 4U) + (2U + 3U));
    EXPECT_EQ(lines(0, 6), 3U) << "three corners, three sides";
    const auto& closing = As<CDxfLine>(converterKept.entities[2]);
    EXPECT_EQ(closing.start.x, 2.0);
    EXPECT_EQ(closing.start.y, 1.0);
    EXPECT_EQ(closing.end.x, 0.0);
    EXPECT_EQ(closing.end.y, 0.0);
    EXPECT_EQ(lines(6, 7), 0U) << "none for a single vertex";
    EXPECT_EQ(lines(7, 14), 3U) << "no segment of length zero";
    EXPECT_EQ(lines(14, 19), 2U) << "a line is not closed";
    const auto& first = As<CDxfLine>(converterKept.entities[0]);
    EXPECT_EQ(first.attrs.layer(), "PIPE");
    EXPECT_EQ(first.attrs.colour, 3);
    EXPECT_EQ(first.attrs.lineType(), "Dotted_Line");
    EXPECT_TRUE(std::isnan(first.attrs.thickness));
    const CDxfLayer& pipe = *document.tables().layers().find(std::string_view("PIPE"));
    EXPECT_EQ(pipe.colour, 3);
    EXPECT_EQ(pipe.lineType, "Dotted_Line");
}

TEST(Conversion, PolylinesCarryColourTypeAndWidthTheirVerticesDoNot) {
    for (const bool threeD : {false, true}) {
        ExportOptions options = Options(threeD ? OPT_3D : 0);
        CFrtToDxf converter(&options);
        KeptEntities converterKept(*converter.GetDocument());
        converter.Process(
            MakeLine({"LID=1;E=0;HO=5;LCOLOR=ff0000;LSTYLE=3 DashDot;LWIDTH=25", "LID=1;E=1;HO=6"}));
        converter.Process(MakeArea({"LID=2;E=0;HO=1;LSTYLE=9 Odd", "LID=2;E=1", "LID=2;E=2"}));
        const auto& line = As<CDxfPolyline>(converterKept.entities[0]);
        EXPECT_EQ(line.polylineFlags, threeD ? 8 : 0);
        EXPECT_EQ(line.attrs.colour, 5);
        EXPECT_EQ(line.attrs.lineType(), "Dashdot_Line");
        EXPECT_DOUBLE_EQ(line.attrs.thickness, 0.25);
        ASSERT_EQ(line.vertices().size(), 2U);
        for (const auto& vertex : line.vertices()) {
            EXPECT_EQ(vertex->vertexFlags, threeD ? 32 : 0);
            EXPECT_EQ(vertex->attrs.colour, 0);
            EXPECT_EQ(vertex->attrs.lineType(), "");
            EXPECT_TRUE(std::isnan(vertex->attrs.thickness));
            EXPECT_EQ(std::isnan(vertex->location.z), !threeD);
        }
        const auto& area = As<CDxfPolyline>(converterKept.entities[3]);
        EXPECT_EQ(area.polylineFlags, threeD ? 9 : 1);
        EXPECT_EQ(area.attrs.lineType(), "") << "an unknown style gives no line type";
        EXPECT_EQ(area.vertices().size(), 3U);
    }
}

TEST(Conversion, LabelNumbersIgnoreTheProcessLocale) {
    CommaLocale german;
    REQUIRE_COMMA_LOCALE(german);
    ExportOptions options = Options(0);
    options.labels = {{LABEL_EAST_NORTH, "C", 3, 3}, {LABEL_HEIGHT, "H", 4, 2}};
    CFrtToDxf converter(&options);
    KeptEntities converterKept(*converter.GetDocument());
    converter.Process(MakePoint("E=2605120.4124;N=1204330.5;HO=431.254"));
    EXPECT_EQ(As<CDxfText>(converterKept.entities[1]).text(), "2605120.412;1204330.500");
    EXPECT_EQ(As<CDxfText>(converterKept.entities[2]).text(), "431.25");
}

// The first pass of a conversion only counts what the second makes: both must arrive at the
// same header and tables, whatever the options and however odd the elements.
TEST(Conversion, MeasuringCountsExactlyWhatMakingMakes) {
    for (const std::int32_t flags :
         {0, OPT_SYMBOLS | OPT_3D, OPT_SEPARATE_LINES | OPT_LAYER_PER_CODE,
          OPT_SYMBOLS | OPT_SEPARATE_LINES | OPT_LAYER_PER_CODE | OPT_3D, OPT_LAYER_PER_CODE | OPT_3D,
          OPT_SYMBOLS | OPT_POINT_ATTRIBUTES, OPT_POINT_ATTRIBUTES | OPT_3D, OPT_HATCH | OPT_XDATA | OPT_3D,
          OPT_HATCH | OPT_SEPARATE_LINES | OPT_XDATA}) {
        ExportOptions options = Options(flags, 0.5);
        options.labels = {{LABEL_POINT_ID, "Point ID", 2, 0}, {LABEL_EAST_NORTH, "Coords", 3, 3},
                          {LABEL_HEIGHT, "Height", 4, 2},     {LABEL_CODE, "0", 5, 0},
                          {LABEL_AREA, "Area", 6, 1},         {LABEL_LINE_NAME, "Name", 7, 0}};
        CDxfDocument made;
        CDxfDocument measured;
        StringSink sink;
        TextStream stream(sink);
        for (CDxfDocument* document : {&made, &measured}) {
            CFrtToDxf converter(&options);
            if (document == &made)
                converter.GetDocument()->streamTo(stream);
            converter.Process(MakePoint("PID=1;E=10;N=20;HO=5;GROUP=WALL TOP;CODE=C1;PCLASS=CALC"));
            converter.Process(MakePoint("PID= ;E=-3;N=7;HO=-9999.99;HE=2;GROUP= ;CODE="));
            converter.Process(MakePoint("E=1e6;N=-1e6;GROUP=a\tlong group name beyond any short string"));
            converter.Process(
                MakeLine({"LID=L;PID=2;E=0;N=0;HO=1;GROUP=PIPE;LCOLOR=ff00;LSTYLE=2 Dot;LWIDTH=25",
                          "LID=L;PID=3;E=4;N=-2;HO=9;GROUP=PIPE", "LID=L;PID=4;E=8;N=1;GROUP=KERB"}));
            converter.Process(MakeLine({"LID=M;E=1;N=1;LSTYLE=9"}));
            converter.Process(MakeArea({"LID=A;PID=5;E=-50;N=0;GROUP=LOT;LCOLOR=ff0000;SSTYLE=4 Cross",
                                        "LID=A;PID=6;E=0;N=60", "LID=A;PID=7;E=5;N=5;HO=100"}));
            document->merge(*converter.GetDocument());
        }
        SCOPED_TRACE(flags);
        EXPECT_EQ(measured.entityCount(), made.entityCount());
        for (const DxfEntityType type :
             {DXF_ENTITY_VERTEX, DXF_ENTITY_POINT, DXF_ENTITY_LINE, DXF_ENTITY_POLYLINE, DXF_ENTITY_INSERT,
              DXF_ENTITY_TEXT, DXF_ENTITY_ATTRIB})
            EXPECT_EQ(measured.entitiesOfType(type), made.entitiesOfType(type)) << type;
        const auto& a = measured.tables();
        const auto& b = made.tables();
        ASSERT_EQ(a.layers().size(), b.layers().size());
        for (auto x = a.layers().begin(), y = b.layers().begin(); x != a.layers().end(); ++x, ++y) {
            EXPECT_EQ(x->name, y->name);
            EXPECT_EQ(x->lineType, y->lineType) << x->name;
            EXPECT_EQ(x->colour, y->colour) << x->name;
            EXPECT_EQ(x->entities, y->entities) << x->name;
        }
        for (const auto& [p, q] : {std::pair{a.extMin(), b.extMin()}, std::pair{a.extMax(), b.extMax()}}) {
            EXPECT_EQ(p.x, q.x);
            EXPECT_EQ(p.y, q.y);
            EXPECT_TRUE(std::isnan(p.z) ? std::isnan(q.z) : p.z == q.z) << p.z << " vs " << q.z;
        }
    }
}

TEST(Conversion, PointAttributesGoWithSymbolInsertsOnly) {
    ExportOptions options = Options(OPT_SYMBOLS | OPT_POINT_ATTRIBUTES | OPT_LAYER_PER_CODE);
    options.heightDecimals = 1; // 12.25 is a tie: to even, as "%.1f" writes it
    CFrtToDxf converter(&options);
    KeptEntities converterKept(*converter.GetDocument());
    converter.Process(MakePoint("PID=7;E=1;N=2;HO=-9999.99;HE=12.25;CODE=C 1;PCLASS=CTRL;GROUP=FIX"));
    converter.Process(MakePoint("E=1;N=2"));
    const auto& entities = converterKept.entities;
    ASSERT_EQ(entities.size(), 2U);
    const auto values = [](const CDxfInsert& insert) {
        std::vector<std::string> texts;
        for (const auto& value : insert.attributeValues())
            texts.push_back(value->tag() + "=" + value->value() +
                            (value->attributeFlags == 1 ? "" : " shown") + " on " +
                            std::string(value->attrs.layer()));
        return texts;
    };
    EXPECT_EQ(values(As<CDxfInsert>(entities[0])),
              (std::vector<std::string>{"PID=7 on FIX", "HEIGHT=12.2 on FIX", "CODE=C 1 on FIX",
                                        "CLASS=Control on FIX"}));
    EXPECT_EQ(
        values(As<CDxfInsert>(entities[1])),
        (std::vector<std::string>{"PID= on 0", "HEIGHT=0.0 on 0", "CODE= on 0", "CLASS=Estimated on 0"}));
    EXPECT_EQ(converter.GetDocument()->entitiesOfType(DXF_ENTITY_ATTRIB), 8U);

    ExportOptions plain = Options(OPT_POINT_ATTRIBUTES);
    CFrtToDxf withoutSymbols(&plain);
    KeptEntities withoutSymbolsKept(*withoutSymbols.GetDocument());
    withoutSymbols.Process(MakePoint("PID=7;E=1;N=2"));
    EXPECT_EQ(Kinds(withoutSymbolsKept), (std::vector<std::int32_t>{DXF_ENTITY_POINT}));
    EXPECT_EQ(withoutSymbols.GetDocument()->entitiesOfType(DXF_ENTITY_ATTRIB), 0U);
}

// Every hatch line lies inside its area and so does the area's label, in a U whose centroid is
// outside; a shape without an inside, or beyond any drawing's size, gets no hatch, and its label
// stands finite at its first vertex.
TEST(Conversion, HatchesAndAreaLabelsStayInsideHostileShapes) {
    using outline::Inside;
    // Shapes of every kind are cut in the hatch lines' own tests; here what the conversion adds.
    const std::vector<outline::Ring> shapes = {
        outline::kU,
        {{5, 5}, {6, 6}},
        {{-1e308, -1e308}, {1e308, -1e308}, {1e308, 1e308}}, // beyond any drawing: none
    };
    ExportOptions options = Options(OPT_HATCH | OPT_3D);
    options.hatchSpacing = 0.37; // never on an edge of the U
    options.labels = {{LABEL_AREA, "Area", 6, 1}};
    for (std::size_t s = 0; s < shapes.size(); ++s) {
        const outline::Ring& shape = shapes[s];
        SCOPED_TRACE("shape " + std::to_string(s));
        const auto area = [&]() {
            std::vector<std::string> records;
            for (const HatchLines::Point& p : shape)
                records.push_back("LID=A;E=" + numtext::FormatShortest(p.x) + ";N=" +
                                  numtext::FormatShortest(p.y) + ";HO=7;AREA=12.46;SSTYLE=5 Diacross");
            auto made = MakeArea(records);
            made->SetLine(100 + s);
            return made;
        };
        CFrtToDxf blocks(&options);
        blocks.MakeHatchBlocks();
        KeptEntities lines(*blocks.GetDocument());
        blocks.Process(area());
        CFrtToDxf entities(&options);
        KeptEntities kept(*entities.GetDocument());
        entities.Process(area());

        for (const auto& entity : lines.entities) {
            const auto& line = As<CDxfLine>(entity);
            for (const double t : {0.01, 0.5, 0.99})
                EXPECT_TRUE(Inside(shape, {line.start.x + t * (line.end.x - line.start.x),
                                           line.start.y + t * (line.end.y - line.start.y)}))
                    << line.start.x << "," << line.start.y << " " << line.end.x << "," << line.end.y;
        }
        const bool hatched = !lines.entities.empty();
        EXPECT_EQ(hatched, s == 0);
        EXPECT_EQ(lines.Text().find("*U" + std::to_string(100 + s)) != std::string::npos, hatched);
        int inserts = 0;
        for (const auto& entity : kept.entities) {
            if (entity->entityType() == DXF_ENTITY_INSERT) {
                ++inserts;
                EXPECT_EQ(As<CDxfInsert>(entity).blockName(), "*U" + std::to_string(100 + s));
                EXPECT_EQ(As<CDxfInsert>(entity).location.z, 7.0); // at the area's height
            }
            if (entity->entityType() == DXF_ENTITY_TEXT) {
                const auto& label = As<CDxfText>(entity);
                EXPECT_EQ(label.text(), "12.5 m2");
                EXPECT_TRUE(!hatched || Inside(shape, {label.location.x, label.location.y}));
                EXPECT_TRUE(std::isfinite(label.location.x) && std::isfinite(label.location.y));
            }
        }
        EXPECT_EQ(inserts, hatched ? 1 : 0);
    }
}

// A line's name stands at the middle of its length, upright along the segment there, the same
// whether the line comes whole or in pieces. An area in pieces is neither hatched nor labelled,
// and says so; too many hatch lines are said too. Extended data goes once with each element.
TEST(Conversion, LineNamesPiecesCapsAndExtendedData) {
    const TempDir dir;
    const std::string path =
        dir.Write("survey.frt",
                  "[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Lines]\r\n"
                  "LID=R;E=0;N=0;GROUP=KERB\r\nLID=R;E=4;N=0\r\nLID=R;E=4;N=10\r\n"
                  "LID=W;E=10;N=0\r\nLID=W;E=0;N=0\r\nLID=H;E=-1e308;N=0\r\nLID=H;E=1e308;N=1e308\r\n"
                  "[Areas]\r\n"
                  "LID=A;E=0;N=0;AREA=100;SSTYLE=0 Horizontal;SCOLOR=8421504;_SAOWNER=Smith;_DAWIDTH=2.5\r\n"
                  "LID=A;E=10;N=0\r\nLID=A;E=10;N=10\r\nLID=A;E=0;N=10\r\n");
    ExportOptions options = Options(OPT_HATCH | OPT_XDATA);
    options.labels = {{LABEL_LINE_NAME, "Name", 7, 0}, {LABEL_AREA, "Area", 6, 0}};
    const auto read = [&](std::size_t pieceVertices, Findings* findings, bool blocks = false) {
        auto converter = std::make_unique<CFrtToDxf>(&options);
        converter->SetDiagnostics(findings);
        if (blocks)
            converter->MakeHatchBlocks();
        auto kept = std::make_unique<KeptEntities>(*converter->GetDocument());
        FrtReadPass pass;
        pass.pieceVertices = pieceVertices;
        CFrtReader reader(std::move(converter), &options.dataKinds, pass);
        EXPECT_TRUE(reader.Read(path).Ok());
        return kept;
    };
    const auto texts = [](KeptEntities& kept) {
        std::vector<std::string> said;
        for (const auto& entity : kept.entities)
            if (entity->entityType() == DXF_ENTITY_TEXT) {
                const auto& text = As<CDxfText>(entity);
                said.push_back(std::string(text.text()) + " at " + numtext::FormatShortest(text.location.x) +
                               "," + numtext::FormatShortest(text.location.y) + " turned " +
                               numtext::FormatShortest(text.rotation));
            }
        return said;
    };
    Findings none;
    const auto whole = read(4096, &none);
    EXPECT_EQ(texts(*whole),
              (std::vector<std::string>{"R at 4,3 turned 90", "W at 5,0 turned 0", "H at -1e+308,0 turned 0",
                                        "100 m2 at 5,5 turned nan"}));
    EXPECT_TRUE(none.said.empty());
    const std::string text = whole->Text();
    for (const char* value :
         {"TYPE=AREA", "SSTYLE=0 Horizontal", "SCOLOR=8421504", "AREA=100", "_SAOWNER=Smith", "_DAWIDTH=2.5"})
        EXPECT_NE(text.find(std::string("1000\r\n") + value + "\r\n"), std::string::npos) << value;
    EXPECT_NE(read(4096, nullptr, true)->Text().find(" 62\r\n8\r\n"), std::string::npos)
        << "grey is colour 8";

    Findings pieced;
    const auto inPieces = read(2, &pieced);
    EXPECT_EQ(texts(*inPieces), (std::vector<std::string>{"R at 4,3 turned 90", "W at 5,0 turned 0",
                                                          "H at -1e+308,0 turned 0"}));
    EXPECT_EQ(pieced.said,
              (std::vector<std::string>{"12 SSTYLE: more than 4096 vertices; no hatch drawn",
                                        "12 AREA: more than 4096 vertices; no area label drawn"}));
    const std::string piecesText = inPieces->Text();
    std::size_t areas = 0;
    for (std::size_t at = piecesText.find("TYPE=AREA"); at != std::string::npos;
         at = piecesText.find("TYPE=AREA", at + 1))
        ++areas;
    EXPECT_EQ(areas, 1U);

    options.hatchSpacing = 0.001;
    Findings capped;
    const auto wider = read(4096, &capped, true);
    EXPECT_EQ(capped.said,
              (std::vector<std::string>{
                  "12 SSTYLE: more than 5000 hatch lines at a spacing of 0.001; drawn 0.004 apart"}));
    std::size_t lines = 0;
    for (const auto& entity : wider->entities)
        lines += entity->entityType() == DXF_ENTITY_LINE ? 1 : 0;
    EXPECT_EQ(lines, 2500U) << "the whole area, every 0.004 (the top edge takes none)";
}
