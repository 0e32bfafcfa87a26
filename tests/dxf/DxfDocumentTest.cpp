#include "common/AtomicFile.h"
#include "dxf/CDxfCircle.h"
#include "dxf/CDxfInsert.h"
#include "dxf/CDxfLine.h"
#include "dxf/CDxfPoint.h"
#include "dxf/CDxfPolyline.h"
#include "dxf/CDxfText.h"
#include "tests/dxf/DxfText.h"
#include "tests/support/ScopedSystemCalls.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>

namespace fs = std::filesystem;

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

// --- Writing to files -------------------------------------------------------------------

namespace {

// Writes that stop short after a given number of bytes with the error: a disk that fills up
// (ENOSPC, and every write after), or a signal (EINTR, once).
class ShortWrites {
public:
    ShortWrites(std::size_t room, int error) : m_swapped(Faulty(room, error)) {}

private:
    static filesys::SystemCalls Faulty(std::size_t room, int error) {
        s_room = room;
        s_error = error;
        filesys::SystemCalls calls = filesys::Calls();
        calls.write = [](std::FILE* file, const void* data, std::size_t size, std::size_t& done) {
            const std::size_t n = std::min(size, s_room);
            s_room -= n;
            std::error_code error = filesys::WriteToFile(file, data, n, done);
            if (n < size) {
                error.assign(s_error, std::generic_category());
                if (s_error == EINTR)
                    s_room = static_cast<std::size_t>(-1);
            }
            return error;
        };
        return calls;
    }

    static inline std::size_t s_room = 0;
    static inline int s_error = 0;
    ScopedSystemCalls m_swapped;
};

const TestDrawing& BigDocument() {
    static TestDrawing drawing;
    if (drawing.measured.entityCount() == 0)
        for (int i = 0; i < 50000; ++i)
            drawing.add(PointOn("P", i, i));
    return drawing;
}

} // namespace

TEST(DxfWrite, ReplacesTheTargetWholeAndKeepsItsPermissions) {
    TempDir dir;
    const std::string target = dir.Write("site.frt", "[Header]\r\n");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const DxfWriteSettings settings;
    const DxfWriteResult result = WriteDrawing(BigDocument(), target, settings);
    ASSERT_TRUE(result.Ok()) << result.failure.Reason();
    EXPECT_EQ(ReadFile(target), DocumentText(BigDocument(), 0.0));
#ifndef _WIN32 // Windows keeps attributes and ACLs instead, through ReplaceFileW
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"site.frt"}));
}

// Told to keep an existing file, the writer refuses one that is there at the start, and one that
// appeared while it wrote: the file made meanwhile stays as it is, and no temporary file is left.
TEST(DxfWrite, KeepingAnExistingFileAlsoKeepsOneMadeMeanwhile) {
    TempDir dir;
    const std::string there = dir.Write("there.dxf", "someone else's");
    AtomicFile refused(there, AtomicFile::Existing::Keep);
    EXPECT_FALSE(refused.Open());
    EXPECT_TRUE(refused.Error().Is(std::errc::file_exists));

    const std::string later = dir.File("later.dxf");
    AtomicFile file(later, AtomicFile::Existing::Keep);
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("drawing", 7));
    dir.Write("later.dxf", "made meanwhile");
    EXPECT_FALSE(file.Commit());
    EXPECT_TRUE(file.Error().Is(std::errc::file_exists));
    EXPECT_EQ(ReadFile(later), "made meanwhile");

    const std::string fresh = dir.File("fresh.dxf");
    AtomicFile written(fresh, AtomicFile::Existing::Keep);
    ASSERT_TRUE(written.Open());
    ASSERT_TRUE(written.Write("drawing", 7));
    ASSERT_TRUE(written.Commit()) << written.Error().Reason();
    EXPECT_EQ(ReadFile(fresh), "drawing");
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"fresh.dxf", "later.dxf", "there.dxf"}));
}

#ifndef _WIN32 // POSIX links
TEST(DxfWrite, WritesThroughASymbolicLink) {
    TempDir dir;
    const std::string real = dir.Write("real.frt", "old");
    const std::string link = dir.File("link.frt");
    fs::create_symlink(real, link);
    const DxfWriteSettings settings;
    ASSERT_TRUE(WriteDrawing(TestDrawing(), link, settings).Ok());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(real).substr(0, 5), "  0\r\n");
}
#endif

#ifndef _WIN32
namespace {

// The calls that make a write durable, in the order they came.
std::vector<std::string> g_calls;

filesys::SystemCalls Recording() {
    filesys::SystemCalls calls = filesys::Calls();
    calls.syncFile = [](filesys::NativeFile file) {
        g_calls.emplace_back("sync");
        return Real().syncFile(file);
    };
    calls.syncFolder = [](const char* path) {
        g_calls.push_back(std::string("folder ") + fs::path(path).filename().string());
        return std::error_code();
    };
    calls.replace = [](const char* from, const char* to) {
        g_calls.emplace_back("rename");
        return Real().replace(from, to);
    };
    return calls;
}

} // namespace

// A power cut right after a write must find the whole new drawing or the old file: the data reach
// the disk before the rename, and the folder's entry after it; a copy in place flushes the
// target before it lets go of it. Scratch output may skip both.
TEST(DxfWrite, EveryDrawingReachesTheDiskBeforeItReplacesAnything) {
    TempDir dir;
    const ScopedSystemCalls swapped(Recording());
    const std::string folder = dir.Path().filename().string();
    const DxfWriteSettings settings;
    const std::string target = dir.Write("site.dxf", "old");
    g_calls.clear();
    ASSERT_TRUE(WriteDrawing(BigDocument(), target, settings).Ok());
    EXPECT_EQ(g_calls, (std::vector<std::string>{"sync", "rename", "folder " + folder}));

    // A drawing of its own, kept or scratch.
    const auto writeAlone = [&settings](const std::string& path, bool sync) {
        AtomicFile file(path);
        if (!sync)
            file.SkipSync();
        return WriteDrawingFile(BigDocument().measured, file, settings,
                                [](TextStream&) { return Failure(); });
    };
    const std::string fresh = dir.File("new.dxf");
    g_calls.clear();
    ASSERT_TRUE(writeAlone(fresh, true).Ok());
    EXPECT_EQ(g_calls, (std::vector<std::string>{"sync", "rename", "folder " + folder}));

    // Two links: the content goes over the target in place, and the target is flushed.
    fs::create_hard_link(target, dir.File("link.dxf"));
    g_calls.clear();
    ASSERT_TRUE(WriteDrawing(BigDocument(), target, settings).Ok());
    EXPECT_EQ(g_calls, (std::vector<std::string>{"sync"}));
    EXPECT_EQ(ReadFile(dir.File("link.dxf")), DocumentText(BigDocument(), 0.0));

    g_calls.clear();
    ASSERT_TRUE(writeAlone(fresh, false).Ok());
    EXPECT_EQ(g_calls, (std::vector<std::string>{"rename"}));
    g_calls.clear();
    ASSERT_TRUE(writeAlone(target, false).Ok());
    EXPECT_TRUE(g_calls.empty());
}

// Another program that takes no lock writes into the target while the drawing is copied into
// it in place: the copy is read back, the mix is said, and the complete drawing is kept.
TEST(DxfWrite, AWriterThatTakesNoLockDuringACopyInPlaceIsNoticed) {
    TempDir dir;
    static std::string target;
    target = dir.Write("site.frt", "the survey");
    fs::create_hard_link(target, dir.File("link.frt"));
    filesys::SystemCalls meddling = filesys::Calls();
    meddling.syncFile = [](filesys::NativeFile file) {
        // The other program's write lands right after the copy, before it is read back.
        if (FILE* other = std::fopen(target.c_str(), "r+b")) {
            std::fputs("NEW SURVEY", other);
            std::fclose(other);
        }
        return Real().syncFile(file);
    };
    const ScopedSystemCalls swapped(meddling);
    const DxfWriteSettings settings;
    const DxfWriteResult result = WriteDrawing(BigDocument(), target, settings);
    EXPECT_FALSE(result.Ok());
    EXPECT_TRUE(result.failure.damaged);
    EXPECT_TRUE(result.failure.writtenMeanwhile);
    EXPECT_EQ(result.failure.path, target);
    EXPECT_EQ(result.failure.Reason(),
              "another program wrote into the file while the drawing was copied into it; the "
              "file may be incomplete; the complete drawing is kept in " +
                  result.failure.keptPath);
    EXPECT_EQ(ReadFile(result.failure.keptPath), DocumentText(BigDocument(), 0.0))
        << "the complete drawing is kept";
    fs::remove(result.failure.keptPath);
}
#endif

#ifndef _WIN32
// A name of up to 255 bytes can be written: the temporary name beside it is cut to fit, between
// two characters, and goes when the drawing is in place. (Windows limits the whole path to
// MAX_PATH first, so there a 255-byte name fails on its own.)
TEST(DxfWrite, TheLongestNameAFileSystemTakesCanBeWritten) {
    TempDir dir;
    const DxfWriteSettings settings;
    std::string umlauts;
    for (int i = 0; i < 122; ++i)
        umlauts += "\xC3\xA4"; // 244 bytes
    for (const std::string& name :
         {std::string(251, 'n') + ".dxf", umlauts + ".dxf", std::string(255, 'x')}) {
        const std::string target = dir.File(name);
        const DxfWriteResult written = WriteDrawing(BigDocument(), target, settings);
        EXPECT_TRUE(written.Ok()) << name.size() << ": " << written.failure.Reason();
        EXPECT_EQ(ReadFile(target), DocumentText(BigDocument(), 0.0));
        fs::create_hard_link(target, dir.File("link"));
        EXPECT_TRUE(WriteDrawing(BigDocument(), target, settings).Ok()) << "in place, " << name.size();
        fs::remove(dir.File("link"));
        EXPECT_EQ(dir.Names(), (std::vector<std::string>{name}));
        fs::remove(target);
    }
}
#endif

TEST(DxfWrite, FailuresLeaveTheTargetAsItWasAndSayWhy) {
    TempDir dir;
    const DxfWriteSettings settings;

    const DxfWriteResult missing = WriteDrawing(BigDocument(), dir.File("no/such/dir/out.dxf"), settings);
    EXPECT_FALSE(missing.Ok());
    EXPECT_EQ(missing.failure.Reason(), std::strerror(ENOENT));

    const std::string target = dir.Write("site.frt", "original content");
    DxfWriteResult noSpace;
    {
        const ShortWrites full(100000, ENOSPC);
        noSpace = WriteDrawing(BigDocument(), target, settings);
    }
    EXPECT_TRUE(noSpace.failure.Is(std::errc::no_space_on_device));
    EXPECT_EQ(noSpace.failure.path, target);
    EXPECT_EQ(ReadFile(target), "original content");
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"site.frt"}));

    // A signal that cuts a write short loses nothing: the rest is written after it.
    const std::string interruptedTarget = dir.Write("interrupted.dxf", "old");
    {
        const ShortWrites interrupted(100000, EINTR);
        ASSERT_TRUE(WriteDrawing(BigDocument(), interruptedTarget, settings).Ok());
    }
    EXPECT_EQ(ReadFile(interruptedTarget), DocumentText(BigDocument(), 0.0));
    fs::remove(interruptedTarget);

#ifndef _WIN32
    // A drawing that cannot be given its permissions would stay readable by its owner alone.
    filesys::SystemCalls refusing = filesys::Calls();
    refusing.setMode = [](const char* /*path*/, unsigned /*mode*/) {
        return std::make_error_code(std::errc::operation_not_permitted);
    };
    {
        const ScopedSystemCalls swapped(refusing);
        const DxfWriteResult unreadable = WriteDrawing(BigDocument(), target, settings);
        EXPECT_FALSE(unreadable.Ok());
        EXPECT_EQ(unreadable.failure.Reason(),
                  std::string("the drawing could not be given its permissions: ") + std::strerror(EPERM));
    }
    EXPECT_EQ(ReadFile(target), "original content");
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"site.frt"}));

    // The last step, the rename over the target, refused.
    filesys::SystemCalls busy = filesys::Calls();
    busy.replace = [](const char* /*from*/, const char* /*to*/) {
        return std::make_error_code(std::errc::device_or_resource_busy);
    };
    {
        const ScopedSystemCalls swapped(busy);
        const DxfWriteResult refused = WriteDrawing(BigDocument(), target, settings);
        EXPECT_FALSE(refused.Ok());
        EXPECT_EQ(refused.failure.Reason(), std::strerror(EBUSY));
    }
    EXPECT_EQ(ReadFile(target), "original content");
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"site.frt"})) << "the temporary drawing goes";

    // The disk cannot take the drawing's data (EIO when it is flushed): nothing is replaced.
    filesys::SystemCalls failing = filesys::Calls();
    failing.syncFile = [](filesys::NativeFile /*file*/) { return std::make_error_code(std::errc::io_error); };
    {
        const ScopedSystemCalls swapped(failing);
        const DxfWriteResult unsynced = WriteDrawing(BigDocument(), target, settings);
        EXPECT_FALSE(unsynced.Ok());
        EXPECT_EQ(unsynced.failure.Reason(), std::strerror(EIO));
    }
    EXPECT_EQ(ReadFile(target), "original content");
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"site.frt"}));
#endif

    const DxfWriteResult directory = WriteDrawing(BigDocument(), dir.Path().string(), settings);
    EXPECT_EQ(directory.failure.stage, Failure::Stage::Write);
    EXPECT_EQ(directory.failure.path, dir.Path().string());
}

namespace {

// The step that fails, on its how-manieth call (0: on every call), and the error it gives; or,
// with no error, what another program does right before that step.
struct Fault {
    std::string step;
    int call = 0;
    std::errc error{};
    void (*meddle)() = nullptr;
};
Fault g_fault;
int g_stepCalls = 0;
bool g_hit = false;

std::error_code Inject(const char* step) {
    if (g_fault.step != step || (g_fault.call != 0 && ++g_stepCalls != g_fault.call))
        return {};
    g_hit = true;
    if (g_fault.meddle != nullptr)
        g_fault.meddle();
    return g_fault.error == std::errc{} ? std::error_code() : std::make_error_code(g_fault.error);
}

const char* OpenStep(filesys::Access access) {
    switch (access) {
    case filesys::Access::Read:
    case filesys::Access::Peek:
        return "open source";
    case filesys::Access::Update:
    case filesys::Access::Write:
        return "open target";
    default:
        return "create";
    }
}

// The table's real call, unless it is the fault's step.
template <typename Entry> struct Failing;
template <typename... Args> struct Failing<std::error_code (*)(Args...)> {
    template <std::error_code (*filesys::SystemCalls::*entry)(Args...), const char* step>
    static std::error_code Call(Args... args) {
        const std::error_code error = Inject(step);
        return error ? error : (Real().*entry)(args...);
    }
};
template <auto entry, const char* step> void FailAt(filesys::SystemCalls& calls) {
    calls.*entry = &Failing<std::remove_reference_t<decltype(calls.*entry)>>::template Call<entry, step>;
}
constexpr char kSync[] = "sync", kName[] = "name", kReplace[] = "replace", kSyncFolder[] = "sync folder",
               kLock[] = "lock", kReserve[] = "reserve", kRead[] = "read", kWrite[] = "write",
               kResize[] = "resize";

// The real calls, each of which fails when it is the fault's step.
filesys::SystemCalls FailingStep() {
    using S = filesys::SystemCalls;
    filesys::SystemCalls calls = Real();
    calls.open = [](const char* path, filesys::Access access, filesys::NativeFile& file) {
        const std::error_code error = Inject(OpenStep(access));
        return error ? error : Real().open(path, access, file);
    };
    FailAt<&S::syncFile, kSync>(calls);
    FailAt<&S::name, kName>(calls);
    FailAt<&S::replace, kReplace>(calls);
    FailAt<&S::syncFolder, kSyncFolder>(calls);
    FailAt<&S::lock, kLock>(calls);
    FailAt<&S::reserve, kReserve>(calls);
    FailAt<&S::readAt, kRead>(calls);
    FailAt<&S::writeAt, kWrite>(calls);
    FailAt<&S::resize, kResize>(calls);
    calls.close = [](filesys::NativeFile file) {
        // Closed all the same, as a close that reports an error does.
        const std::error_code closed = Real().close(file);
        const std::error_code error = Inject("close");
        return error ? error : closed;
    };
    return calls;
}

} // namespace

// Each step of putting a drawing in place fails in turn, by a rename (a target with one name) and
// by a copy in place (two names). What the target holds after it, what is kept and what is left
// over are the point: the old content, the new one, or the old target damaged and the complete
// drawing kept. A signal (EINTR) ends no step.
TEST(DxfWrite, EveryStepOfPuttingTheDrawingInPlaceCanFail) {
    enum class After { Old, New, NewUnflushed, Kept };
    struct Case {
        Fault fault;
        bool inPlace;
        After after;
    };
    using std::errc;
    const std::vector<Case> cases = {
        // A folder that takes no new file: the drawing is made in the temporary folder and
        // copied over the writable target.
        {{"create", 1, errc::read_only_file_system}, false, After::New},
        {{"create", 1, errc::permission_denied}, false, After::New},
        {{"create", 0, errc::no_space_on_device}, false, After::Old},
        {{"sync", 1, errc::no_space_on_device}, false, After::Old},
        {{"replace", 1, errc::permission_denied}, false, After::Old},
        {{"replace", 1, errc::read_only_file_system}, false, After::Old},
        {{"replace", 1, errc::io_error}, false, After::Old},
#ifndef _WIN32 // unnamed files and folders flushed by hand are Linux's
        {{"name", 1, errc::io_error}, false, After::Old},
        {{"sync folder", 1, errc::io_error}, false, After::NewUnflushed},
        {{"sync folder", 1, errc::no_space_on_device}, false, After::NewUnflushed},
#endif
        // A target that may only be written is copied into unchecked.
        {{"open target", 1, errc::permission_denied}, true, After::New},
        {{"open target", 0, errc::read_only_file_system}, true, After::Old},
        {{"open source", 1, errc::io_error}, true, After::Old},
        {{"lock", 1, errc::interrupted}, true, After::New},
        {{"lock", 1, errc::io_error}, true, After::Old},
        {{"reserve", 1, errc::no_space_on_device}, true, After::Old},
        {{"read", 1, errc::io_error}, true, After::Old},
        {{"read", 2, errc::interrupted}, true, After::New},
        {{"write", 1, errc::no_space_on_device}, true, After::Old},
        {{"write", 2, errc::interrupted}, true, After::New},
        {{"write", 2, errc::io_error}, true, After::Kept},
        {{"resize", 1, errc::io_error}, true, After::Kept},
        {{"sync", 1, errc::no_space_on_device}, true, After::Kept},
        {{"close", 1, errc::io_error}, true, After::Kept},
    };
    const DxfWriteSettings settings;
    const std::string drawing = DocumentText(BigDocument(), 0.0);
    for (const Case& c : cases) {
        const std::string label = c.fault.step + " " + std::make_error_code(c.fault.error).message() +
                                  (c.inPlace ? " (in place)" : "");
        TempDir dir;
        const std::string target = dir.Write("site.dxf", "old survey");
        std::vector<std::string> names = {"site.dxf"};
        if (c.inPlace) {
            fs::create_hard_link(target, dir.File("link.dxf"));
            names.insert(names.begin(), "link.dxf");
        }
        g_fault = c.fault;
        g_stepCalls = 0;
        g_hit = false;
        DxfWriteResult result;
        {
            const ScopedSystemCalls swapped(FailingStep());
            result = WriteDrawing(BigDocument(), target, settings);
        }
        EXPECT_TRUE(g_hit) << label << ": the step was never taken";
        const bool fails = c.after != After::New;
        ASSERT_EQ(!result.Ok(), fails) << label << ": " << result.failure.Reason();
        if (fails) {
            EXPECT_TRUE(result.failure.Is(c.fault.error)) << label << ": " << result.failure.Reason();
        }
        EXPECT_EQ(result.failure.damaged, c.after == After::Kept) << label;
        const bool old = c.after == After::Old;
        EXPECT_EQ(ReadFile(target) == "old survey", old) << label;
        if (c.after == After::New || c.after == After::NewUnflushed) {
            EXPECT_EQ(ReadFile(target), drawing) << label;
        }
        if (c.after == After::Kept) {
            EXPECT_EQ(ReadFile(result.failure.keptPath), drawing)
                << label << ": the complete drawing is kept";
            names.push_back(fs::path(result.failure.keptPath).filename().string());
            std::sort(names.begin(), names.end());
        }
        if (c.inPlace) {
            EXPECT_EQ(ReadFile(dir.File("link.dxf")), ReadFile(target)) << label << ": still one file";
        }
        EXPECT_EQ(dir.Names(), names) << label << ": nothing else is left";
    }

#ifndef _WIN32
    // The link to the target is turned to another file while the drawing is written: neither file
    // gets it.
    TempDir dir;
    static std::string link;
    link = dir.File("site.dxf");
    dir.Write("a.dxf", "old a");
    dir.Write("b.dxf", "old b");
    fs::create_symlink("a.dxf", link);
    g_fault = {"sync", 1, std::errc{}, [] {
                   fs::remove(link);
                   fs::create_symlink("b.dxf", link);
               }};
    g_hit = false;
    g_stepCalls = 0;
    const ScopedSystemCalls swapped(FailingStep());
    const DxfWriteResult moved = WriteDrawing(BigDocument(), link, settings);
    EXPECT_TRUE(g_hit);
    EXPECT_EQ(moved.failure.Reason(), "now leads to another file (a link was changed)");
    EXPECT_EQ(ReadFile(dir.File("a.dxf")), "old a");
    EXPECT_EQ(ReadFile(dir.File("b.dxf")), "old b");
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"a.dxf", "b.dxf", "site.dxf"}));
#endif
}

#ifndef _WIN32 // POSIX owners, links, ACLs and devices
namespace {

struct stat StatOf(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info;
}

int Shell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

} // namespace

// A rename would make a new file: another inode, the writer's owner, no ACL. Where that would
// change what the target is, the drawing goes into the target in place.
TEST(DxfWrite, ATargetKeepsItsLinksOwnerAndAclsAndNoTemporaryFileStays) {
    TempDir dir;
    const DxfWriteSettings settings;
    const std::string expected = DocumentText(BigDocument(), 0.0);

    const std::string linked = dir.Write("linked.frt", "old");
    fs::create_hard_link(linked, dir.File("other-name.frt"));
    const ino_t inode = StatOf(linked).st_ino;
    ASSERT_TRUE(WriteDrawing(BigDocument(), linked, settings).Ok());
    EXPECT_EQ(StatOf(linked).st_ino, inode);
    EXPECT_EQ(ReadFile(dir.File("other-name.frt")), expected) << "both names show the drawing";

    if (geteuid() == 0) {
        const std::string foreign = dir.Write("foreign.frt", "old");
        ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
        ASSERT_TRUE(WriteDrawing(BigDocument(), foreign, settings).Ok());
        EXPECT_EQ(StatOf(foreign).st_uid, 65534U) << "another user's file stays theirs";
        EXPECT_EQ(StatOf(foreign).st_gid, 65534U);
        EXPECT_EQ(ReadFile(foreign), expected);
    }

    const std::string shared = dir.Write("shared.frt", "old");
    if (Shell("setfacl -m u:65534:rw " + shared) == 0) {
        ASSERT_TRUE(WriteDrawing(BigDocument(), shared, settings).Ok());
        EXPECT_EQ(Shell("getfacl -c " + shared + " | grep -q '^user:nobody:rw-'"), 0) << "the ACL stays";
        EXPECT_EQ(ReadFile(shared), expected);
    }

    // An ordinary file is replaced by a rename, as before.
    const std::string plain = dir.Write("plain.frt", "old");
    ASSERT_TRUE(WriteDrawing(BigDocument(), plain, settings).Ok());
    EXPECT_EQ(ReadFile(plain), expected);
    std::vector<std::string> names = {"linked.frt", "other-name.frt", "plain.frt", "shared.frt"};
    if (geteuid() == 0)
        names.insert(names.begin(), "foreign.frt");
    EXPECT_EQ(dir.Names(), names) << "no temporary file is left";
}

TEST(DxfWrite, FullDiskThroughDevFull) {
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    // Writing in place to a device is refused up front or fails on flush; either way it is reported.
    const DxfWriteSettings settings;
    const DxfWriteResult result = WriteDrawing(BigDocument(), "/dev/full", settings);
    EXPECT_EQ(result.failure.path, "/dev/full");
    EXPECT_TRUE(result.failure.partial || result.bytes == 0);
}
#endif
