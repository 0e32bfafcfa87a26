#include "dxf/CDxfCircle.h"
#include "dxf/CDxfInsert.h"
#include "dxf/CDxfLine.h"
#include "dxf/CDxfPoint.h"
#include "dxf/CDxfPolyline.h"
#include "dxf/CDxfText.h"
#include "tests/dxf/DxfText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

const double kNaN = std::nan("");

std::unique_ptr<CDxfPoint> PointOn(const char* layer, double x, double y, double z = kNaN,
                                   std::int16_t colour = 0) {
    auto point = std::make_unique<CDxfPoint>(x, y, z);
    point->attrs.setLayer(layer);
    point->attrs.colour = colour;
    return point;
}

// The value lines that follow the given header variable, up to the next "  9" or "  0".
std::vector<std::string> Variable(const std::vector<std::string>& lines, const std::string& name) {
    std::vector<std::string> values;
    const auto it = std::find(lines.begin(), lines.end(), name);
    if (it == lines.end())
        return values;
    for (auto line = it + 1; line != lines.end() && *line != "  9" && *line != "  0"; ++line)
        values.push_back(*line);
    return values;
}

// The lines between "  2", NAME of a TABLE and its ENDTAB.
std::vector<std::string> Table(const std::vector<std::string>& lines, const std::string& name) {
    for (std::size_t i = 0; i + 3 < lines.size(); ++i) {
        if (lines[i] == "TABLE" && lines[i + 2] == name) {
            const auto end = std::find(lines.begin() + static_cast<long>(i), lines.end(), "ENDTAB");
            return {lines.begin() + static_cast<long>(i) + 3, end - 1};
        }
    }
    return {};
}

std::size_t Count(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

} // namespace

TEST(DxfDocument, EmptyDocumentHasAnEmptyBoxAtTheOrigin) {
    TestDrawing document;
    bool crlf = false;
    const auto lines = Lines(DocumentText(document), &crlf);
    EXPECT_TRUE(crlf);
    const std::vector<std::string> origin{" 10", "0.000000", " 20", "0.000000"};
    for (const char* variable : {"$EXTMIN", "$EXTMAX", "$LIMMIN", "$LIMMAX"})
        EXPECT_EQ(Variable(lines, variable), origin) << variable;
    EXPECT_EQ(Table(lines, "LAYER"), (std::vector<std::string>{" 70", "0"}));
    EXPECT_EQ(document.measured.entityCount(), 0);
}

TEST(DxfDocument, HeaderVariablesInOrder) {
    TestDrawing document;
    document.add(PointOn("0", 100, 200));
    const auto lines = Lines(DocumentText(document, 0.5, 2));
    const std::vector<std::string> expected = {
        "  0", "SECTION",      "  2", "HEADER",     "  9", "$ACADVER",   "  1", "AC1009",
        "  9", "$EXTMIN",      " 10", "90.000000",  " 20", "190.000000", "  9", "$EXTMAX",
        " 10", "110.000000",   " 20", "210.000000", "  9", "$LIMMIN",    " 10", "90.000000",
        " 20", "190.000000",   "  9", "$LIMMAX",    " 10", "110.000000", " 20", "210.000000",
        "  9", "$LTSCALE",     " 40", "0.500000",   "  9", "$ATTMODE",   " 70", "1",
        "  9", "$FILLMODE",    " 70", "1",          "  9", "$TEXTSIZE",  " 40", "1.000000",
        "  9", "$TEXTSTYLE",   "  7", "STANDARD",   "  9", "$CELTYPE",   "  6", "BYLAYER",
        "  9", "$PLINEGEN",    " 70", "1",          "  9", "$CECOLOR",   " 62", "0",
        "  9", "$LUNITS",      " 70", "2",          "  9", "$LUPREC",    " 70", "3",
        "  9", "$AUPREC",      " 70", "4",          "  9", "$ANGBASE",   " 50", "0.000000",
        "  9", "$ANGDIR",      " 70", "0",          "  9", "$PDMODE",    " 70", "2",
        "  9", "$PDSIZE",      " 40", "0.500000",   "  9", "$PLINEGEN",  " 70", "1",
        "  9", "$MEASUREMENT", " 70", "1",          "  0", "ENDSEC",
    };
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<long>(expected.size())),
              expected);
}

// A converter reuses one entity object for millions of entities: what the document counts and
// writes must be the entity as it was when added, not as it was changed afterwards.
TEST(DxfDocument, AnEntityAddedStaysAsItWasWhenAdded) {
    CDxfInsert insert("BLOCK", 1, 2, kNaN);
    insert.attrs.setLayer("FIRST");
    insert.addAttributeValue(std::make_unique<CDxfAttrib>("PID", "7", 1, 2, kNaN));
    CDxfText text("one", 3, 4, kNaN);

    CDxfDocument measured;
    CDxfDocument streamed;
    KeptEntities kept(streamed);
    for (CDxfDocument* document : {&measured, &streamed}) {
        document->add(insert);
        document->add(text);
    }
    insert.setBlockName("OTHER");
    insert.attrs.setLayer("SECOND");
    insert.clearAttributeValues();
    text.setText("two");
    text.setPosition(DxfPoint3{50, 60, kNaN});
    for (CDxfDocument* document : {&measured, &streamed}) {
        document->add(insert);
        document->add(text);
    }

    ASSERT_EQ(kept.entities.size(), 4U);
    const auto& first = static_cast<const CDxfInsert&>(*kept.entities[0]);
    EXPECT_EQ(first.blockName(), "BLOCK");
    EXPECT_EQ(first.attrs.layer(), "FIRST");
    ASSERT_EQ(first.attributeValues().size(), 1U);
    EXPECT_EQ(first.attributeValues()[0]->value(), "7");
    EXPECT_EQ(static_cast<const CDxfText&>(*kept.entities[1]).text(), "one");
    EXPECT_TRUE(static_cast<const CDxfInsert&>(*kept.entities[2]).attributeValues().empty());
    EXPECT_EQ(static_cast<const CDxfText&>(*kept.entities[3]).text(), "two");

    const auto lines = Lines(kept.Text());
    EXPECT_EQ(Count(lines, "BLOCK"), 1U);
    EXPECT_EQ(Count(lines, "OTHER"), 1U);
    EXPECT_EQ(Count(lines, "ATTRIB"), 1U);
    EXPECT_EQ(Count(lines, "one"), 1U);
    EXPECT_EQ(Count(lines, "two"), 1U);
    for (const CDxfDocument* document : {&measured, &streamed}) {
        EXPECT_EQ(document->entityCount(), 4);
        EXPECT_EQ(document->entitiesOfType(DXF_ENTITY_ATTRIB), 1U);
        for (const CDxfLayer& layer : document->tables().layers())
            EXPECT_EQ(layer.entities, layer.name == "0" ? 2U : 1U) << layer.name;
        EXPECT_EQ(document->tables().layers().size(), 3U);
    }
}

TEST(DxfDocument, ExtentsFollowPositionsButNotLines) {
    TestDrawing lineOnly;
    lineOnly.add(std::make_unique<CDxfLine>(DxfPoint3{1, 1, 1}, DxfPoint3{5, 5, 5}));
    EXPECT_EQ(Variable(Lines(DocumentText(lineOnly)), "$EXTMIN")[1], "0.000000");

    TestDrawing document;
    document.add(PointOn("0", 5, 5));
    auto polyline = std::make_unique<CDxfPolyline>();
    polyline->location = DxfPoint3{-1000, -1000, kNaN}; // the polyline's own point does not count
    polyline->addVertex(std::make_unique<CDxfVertex>(0, 20, 3));
    polyline->addVertex(std::make_unique<CDxfVertex>(30, 0, -2));
    document.add(std::move(polyline));
    document.add(std::make_unique<CDxfCircle>(100.0, 10, 10, kNaN));
    const auto lines = Lines(DocumentText(document));
    EXPECT_EQ(Variable(lines, "$EXTMIN"),
              (std::vector<std::string>{" 10", "-10.000000", " 20", "-10.000000", " 30", "-2.000000"}));
    EXPECT_EQ(Variable(lines, "$EXTMAX"),
              (std::vector<std::string>{" 10", "40.000000", " 20", "30.000000", " 30", "3.000000"}));
    EXPECT_EQ(document.measured.entityCount(), 3) << "vertices are not counted";
    // Writing twice gives the same text: the margin is not applied to the document itself.
    EXPECT_EQ(DocumentText(document), DocumentText(document));
}

TEST(DxfDocument, LayersInByteOrderFixedByTheirFirstEntity) {
    TestDrawing document;
    document.add(PointOn("b", 0, 0, kNaN, 0));
    document.add(PointOn("b", 0, 0, kNaN, 5));
    auto line = std::make_unique<CDxfLine>();
    line->attrs.setLayer("A");
    line->attrs.setLineType("Dashdotdot_Line");
    line->attrs.colour = 3;
    document.add(std::move(line));
    document.add(PointOn("10", 0, 0, kNaN, 2));
    document.add(PointOn("2", 0, 0, kNaN, 1));
    document.add(PointOn("0", 0, 0));
    const auto layers = Table(Lines(DocumentText(document)), "LAYER");
    const std::vector<std::string> expected = {
        " 70",        "5",     "  0",        "LAYER",      "  2",        "0",     " 70",
        "0",          " 62",   "7",          "  6",        "Solid_Line", "  0",   "LAYER",
        "  2",        "10",    " 70",        "0",          " 62",        "2",     "  6",
        "Solid_Line", "  0",   "LAYER",      "  2",        "2",          " 70",   "0",
        " 62",        "1",     "  6",        "Solid_Line", "  0",        "LAYER", "  2",
        "A",          " 70",   "0",          " 62",        "3",          "  6",   "Dashdotdot_Line",
        "  0",        "LAYER", "  2",        "b",          " 70",        "0",     " 62",
        "7",          "  6",   "Solid_Line",
    };
    EXPECT_EQ(layers, expected);

    // An entity counts on the layer its attributes name, whatever id they carry: one of another
    // document, or one from before the layers were renamed, is told apart from this document's.
    CDxfDocument counted;
    CDxfDocument other;
    CDxfPoint point(0, 0, kNaN);
    EXPECT_EQ(counted.layerId("b"), kNoLayerId);
    for (const char* layer : {"b", "A"}) {
        point.attrs.setLayer(layer);
        counted.add(point);
    }
    for (const char* layer : {"A", "b"}) {
        point.attrs.setLayer(layer);
        other.add(point);
    }
    point.attrs.setLayer("b", other.layerId("b"));
    counted.add(point);
    point.attrs.setLayer("c", other.layerId("A"));
    counted.add(point);
    point.attrs.setLayer("A", counted.layerId("A"));
    counted.add(point);
    const DxfLayerId before = counted.layerId("b");
    counted.renameLayers([](const std::string& name) { return name == "b" ? "B" : name; });
    point.attrs.setLayer("A", counted.layerId("A"));
    counted.add(point);
    point.attrs.setLayer("B", before);
    counted.add(point);
    EXPECT_NE(counted.layerId("A"), other.layerId("A"));
    const CDxfLayerTable& table = counted.tables().layers();
    EXPECT_EQ(table.find("A")->entities, 3U);
    EXPECT_EQ(table.find("B")->entities, 3U);
    EXPECT_EQ(table.find("c")->entities, 1U);
    EXPECT_EQ(table.find("b"), nullptr);
    EXPECT_EQ(table.size(), 3U);
}

TEST(DxfDocument, LineTypesDrawTheirPatternsAndTheTableCountsThem) {
    const auto ltype = Table(Lines(DocumentText(TestDrawing())), "LTYPE");
    ASSERT_GE(ltype.size(), 2U);
    EXPECT_EQ(ltype[0], " 70");
    // Each entry: its elements (49) as many as it says (73), its length (40) their sum, and
    // every dot (0) between gaps, or a reader draws the line solid.
    struct Entry {
        std::string name;
        int count = -1;
        double length = -1.0;
        std::vector<double> elements;
    };
    std::vector<Entry> entries;
    for (std::size_t i = 2; i + 1 < ltype.size(); i += 2) {
        const std::string& code = ltype[i];
        const std::string& value = ltype[i + 1];
        if (code == "  0")
            entries.emplace_back();
        else if (code == "  2")
            entries.back().name = value;
        else if (code == " 73")
            entries.back().count = std::stoi(value);
        else if (code == " 40")
            entries.back().length = std::stod(value);
        else if (code == " 49")
            entries.back().elements.push_back(std::stod(value));
    }
    EXPECT_EQ(ltype[1], std::to_string(entries.size()));
    std::vector<std::string> names;
    for (const Entry& entry : entries) {
        names.push_back(entry.name);
        EXPECT_EQ(entry.count, static_cast<int>(entry.elements.size())) << entry.name;
        double sum = 0.0;
        for (std::size_t i = 0; i < entry.elements.size(); ++i) {
            sum += std::fabs(entry.elements[i]);
            if (entry.elements[i] == 0.0) {
                EXPECT_LT(entry.elements[(i + 1) % entry.elements.size()], 0.0) << entry.name << " " << i;
                EXPECT_LT(entry.elements[(i + entry.elements.size() - 1) % entry.elements.size()], 0.0)
                    << entry.name << " " << i;
            }
        }
        EXPECT_NEAR(entry.length, sum, 1e-9) << entry.name;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Solid_Line", "Dashed_Line", "Dotted_Line", "Dashdot_Line",
                                               "Dashdotdot_Line"}));
    const auto count = [](const Entry& entry, auto test) {
        return std::count_if(entry.elements.begin(), entry.elements.end(), test);
    };
    EXPECT_EQ(count(entries[3], [](double e) { return e == 0.0; }), 1) << "dash dot";
    EXPECT_EQ(count(entries[4], [](double e) { return e == 0.0; }), 2) << "dash dot dot";
}

TEST(DxfDocument, BlocksInNameOrderAndTheFirstDefinitionWins) {
    TestDrawing document;
    const auto emptyBlocks = Lines(DocumentText(document));
    const auto at = std::find(emptyBlocks.begin(), emptyBlocks.end(), "BLOCKS");
    ASSERT_NE(at, emptyBlocks.end());
    EXPECT_EQ(std::vector<std::string>(at - 3, at + 3),
              (std::vector<std::string>{"  0", "SECTION", "  2", "BLOCKS", "  0", "ENDSEC"}));

    CDxfBlock second{"Zeta", {}};
    second.addEntity(std::make_unique<CDxfCircle>(1.0, 0, 0, kNaN));
    CDxfBlock first{"Alpha", {}};
    first.addEntity(std::make_unique<CDxfPoint>(0, 0, kNaN));
    EXPECT_TRUE(document.measured.addBlock(std::move(second)));
    EXPECT_TRUE(document.measured.addBlock(std::move(first)));
    CDxfBlock duplicate{"Alpha", {}};
    duplicate.addEntity(std::make_unique<CDxfCircle>(9.0, 0, 0, kNaN));
    EXPECT_FALSE(document.measured.addBlock(std::move(duplicate)));
    // NOLINTNEXTLINE(bugprone-use-after-move): a rejected block is not moved from
    EXPECT_EQ(duplicate.entities.size(), 1U) << "a rejected block stays with its caller";

    const auto lines = Lines(DocumentText(document));
    const auto blocks = std::find(lines.begin(), lines.end(), "BLOCKS");
    const auto entities = std::find(lines.begin(), lines.end(), "ENTITIES");
    const std::vector<std::string> section(blocks + 1, entities - 3);
    const std::vector<std::string> expected = {
        "  0",  "BLOCK",    "  2", "Alpha",    " 70", "64",       " 10", "0.000000", " 20", "0.000000",
        " 30",  "0.000000", "  3", "Alpha",    "  0", "POINT",    "  8", "0",        " 62", "0",
        " 10",  "0.000000", " 20", "0.000000", "  0", "ENDBLK",   "  0", "BLOCK",    "  2", "Zeta",
        " 70",  "64",       " 10", "0.000000", " 20", "0.000000", " 30", "0.000000", "  3", "Zeta",
        "  0",  "CIRCLE",   "  8", "0",        " 62", "0",        " 10", "0.000000", " 20", "0.000000",
        "  40", "1.000000", "  0", "ENDBLK",   "  0", "ENDSEC",
    };
    EXPECT_EQ(section, expected);
    EXPECT_EQ(Count(Table(lines, "LAYER"), "LAYER"), 0U) << "block entities record no layer";
}

TEST(DxfDocument, WholeFileStructure) {
    TestDrawing document;
    auto polyline = std::make_unique<CDxfPolyline>();
    polyline->addVertex(std::make_unique<CDxfVertex>(0, 0, kNaN));
    polyline->addVertex(std::make_unique<CDxfVertex>(1, 1, kNaN));
    document.add(std::move(polyline));
    document.add(std::make_unique<CDxfText>("T", 0, 0, kNaN));
    document.add(std::make_unique<CDxfInsert>("B", 0, 0, kNaN));
    bool crlf = false;
    const auto lines = Lines(DocumentText(document), &crlf);
    EXPECT_TRUE(crlf);
    std::vector<std::string> sections;
    for (std::size_t i = 0; i + 2 < lines.size(); ++i)
        if (lines[i] == "SECTION")
            sections.push_back(lines[i + 2]);
    EXPECT_EQ(sections, (std::vector<std::string>{"HEADER", "TABLES", "BLOCKS", "ENTITIES"}));
    EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
              (std::vector<std::string>{"  0", "ENDSEC", "  0", "EOF"}));
    EXPECT_EQ(Count(lines, "SEQEND"), 1U);
    EXPECT_EQ(Count(lines, "VERTEX"), 2U);
}
