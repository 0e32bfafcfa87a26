// frt2dxf-batch from the outside: exit codes, messages, what it leaves on disk, and its drawings
// read back by ezdxf, GDAL and LibreCAD.
#include "ReaderTools.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

const std::string kBatch = FRT2DXF_BATCH;
const std::string kExample = FRT2DXF_SOURCE_DIR "/examples/site.frt";

struct BatchRun {
    int status = -1;
    std::string out;
    std::string err;
};

BatchRun Batch(const TempDir& dir, const std::string& args, const std::string& env = "") {
    BatchRun run;
    const std::string errFile = dir.File("stderr.txt");
    int raw = 0;
    run.out = Capture(env + " " + kBatch + " " + args + " 2>" + Quoted(errFile), &raw);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.err = ReadFile(errFile);
    fs::remove(errFile);
    return run;
}

} // namespace

TEST(Batch, ConvertsBesideTheInputAndNeverTouchesIt) {
    TempDir dir;
    const std::string input = dir.Write("site.frt", ReadFile(kExample));
    const BatchRun run = Batch(dir, Quoted(input));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(input), ReadFile(kExample));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"site.dxf", "site.frt"}));
    EXPECT_NE(run.out.find("site.dxf: 31 entities, 9 layers"), std::string::npos) << run.out;
    EXPECT_EQ(ReadFile(dir.File("site.dxf")).substr(0, 25), "  0\r\nSECTION\r\n  2\r\nHEADER");
    EXPECT_TRUE(Batch(dir, "-q " + Quoted(input)).out.empty());
}

TEST(Batch, UsageErrorsNameTheOptionAndExitWithTwo) {
    TempDir dir;
    const struct {
        const char* args;
        const char* message;
    } cases[] = {
        {"", "no input file given"},
        {"--decimals-en 17 x.frt", "--decimals-en: the number of decimals must be from 0 to 16"},
        {"--decimals-h=-1 x.frt", "--decimals-h: the number of decimals must be from 0 to 16"},
        {"--symbol-size 0 x.frt", "--symbol-size: the symbol size must be from 1 to 999999"},
        {"--symbol-size 12abc x.frt", "--symbol-size: the symbol size must be from 1 to 999999"},
        {"--label-colour code=8 x.frt", "--label-colour: the colour number must be from 0 to 7"},
        {"--label-layer height=ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456 x.frt", "at most 32 characters"},
        {"--label nonsense x.frt", "--label: unknown label kind 'nonsense'"},
        {"--bogus x.frt", "unknown option '--bogus'"},
        {"-o out.dxf a.frt b.frt", "--output: only with one input file"},
        {"--symbol-size", "--symbol-size: a value is missing"},
    };
    for (const auto& c : cases) {
        const BatchRun run = Batch(dir, c.args);
        EXPECT_EQ(run.status, 2) << c.args;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << "\n" << run.err;
    }
    const BatchRun help = Batch(dir, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--label-colour KIND=N"), std::string::npos);
    EXPECT_EQ(Batch(dir, "--version").out.substr(0, 14), "frt2dxf-batch ");
}

TEST(Batch, BadInputsAreReportedAndTheRestStillConverted) {
    TempDir dir;
    const std::string good = dir.Write("good.frt", ReadFile(kExample));
    const std::string shp = dir.Write("shape.frt", "[Header]\r\nFormat=Raz2Azi;Version=1\r\n[Points]\r\nPID=1\r\n");
    const std::string none = dir.Write("plain.frt", "just text\n");
    const std::string self = dir.Write("self.dxf", ReadFile(kExample));
    fs::create_directory(dir.File("folder.frt"));
    mkfifo(dir.File("pipe.frt").c_str(), 0600);
    const BatchRun run = Batch(dir, Quoted(dir.File("missing.frt")) + " " + Quoted(shp) + " " + Quoted(none) + " " +
                                   Quoted(self) + " " + Quoted(dir.File("folder.frt")) + " " +
                                   Quoted(dir.File("pipe.frt")) + " " + Quoted(good));
    EXPECT_EQ(run.status, 1);
    const std::string prefix = "frt2dxf-batch: " + dir.Path().string() + "/";
    for (const std::string& expected : {
             prefix + "missing.frt: No such file or directory",
             prefix + "shape.frt: not an FRT file for DXF export (header names \"Raz2Azi\"",
             prefix + "plain.frt: not an FRT file for DXF export (header",
             prefix + "self.dxf: the output path is the input file itself",
             prefix + "folder.frt: Is a directory",
             prefix + "pipe.frt: not a regular file",
         })
        EXPECT_NE(run.err.find(expected), std::string::npos) << expected << "\n" << run.err;
    EXPECT_TRUE(fs::exists(dir.File("good.dxf")));
    EXPECT_FALSE(fs::exists(dir.File("shape.dxf")));
    EXPECT_FALSE(fs::exists(dir.File("plain.dxf")));
    EXPECT_EQ(ReadFile(self), ReadFile(kExample));
}

TEST(Batch, AnOutputThatCannotBeWrittenLeavesNothingBehind) {
    TempDir dir;
    const std::string input = dir.Write("site.frt", ReadFile(kExample));
    const BatchRun missingDir = Batch(dir, "-o " + Quoted(dir.File("no/such/out.dxf")) + " " + Quoted(input));
    EXPECT_EQ(missingDir.status, 1);
    EXPECT_NE(missingDir.err.find("no/such/out.dxf: No such file or directory"), std::string::npos) << missingDir.err;
    const BatchRun full = Batch(dir, "-o /dev/full " + Quoted(input));
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("/dev/full: No space left on device"), std::string::npos) << full.err;
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"site.frt"}));
}

TEST(Batch, LabelsComeInTheFixedOrderAndStoredSettingsCanStartIt) {
    TempDir dir;
    const std::string input = dir.Write("site.frt", "[Header]\nFormat=Rev2Ezi\n[Points]\nPID=7;E=1;N=2;HO=3;CODE=OAK\n");
    ASSERT_EQ(Batch(dir, "--label code --label height --label point-id --label east-north --decimals-h 1 " +
                             Quoted(input))
                  .status,
              0);
    const std::string dxf = ReadFile(dir.File("site.dxf"));
    const auto at = [&dxf](const char* text) { return dxf.find(std::string("\r\n  1\r\n") + text + "\r\n"); };
    ASSERT_NE(at("7"), std::string::npos);
    EXPECT_LT(at("7"), at("1.000;2.000"));
    EXPECT_LT(at("1.000;2.000"), at("3.0"));
    EXPECT_LT(at("3.0"), at("OAK"));

    // A store as the desktop program leaves it: labels on, a layer name and a colour.
    const std::string config = dir.File("config");
    fs::create_directories(config + "/Halvora/QVO/PLVX");
    dir.Write("config/Halvora/QVO/PLVX/frt2dxf.ini",
              "[Dxf_Export]\nLabelPoint=1\nNamePointId=Stored Name\nColorPoint=5\nExportQVO=0\nSymbolSize=200.000000\n");
    ASSERT_EQ(Batch(dir, "--from-settings " + Quoted(input), "XDG_CONFIG_HOME=" + Quoted(config)).status, 0);
    const std::string stored = ReadFile(dir.File("site.dxf"));
    EXPECT_NE(stored.find("  0\r\nPOINT\r\n"), std::string::npos) << "symbols off from the store";
    EXPECT_NE(stored.find("  8\r\nStored_Name\r\n 62\r\n6\r\n"), std::string::npos);
    EXPECT_NE(stored.find("$LTSCALE\r\n 40\r\n0.100000\r\n"), std::string::npos);
    // Without the switch the store is not read.
    ASSERT_EQ(Batch(dir, Quoted(input), "XDG_CONFIG_HOME=" + Quoted(config)).status, 0);
    EXPECT_EQ(ReadFile(dir.File("site.dxf")).find("Stored_Name"), std::string::npos);
    dir.Write("config/Halvora/QVO/PLVX/frt2dxf.ini", "[Dxf_Export]\nDecimalsEN=40\n");
    const BatchRun refused = Batch(dir, "--from-settings " + Quoted(input), "XDG_CONFIG_HOME=" + Quoted(config));
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("from 0 to 16"), std::string::npos) << refused.err;
}

// Every option combination that changes the drawing's structure, read back by ezdxf and GDAL.
TEST(Batch, EveryOptionCombinationReadsBackInEzdxfAndGdal) {
    TempDir dir;
    const std::string input = dir.Write("site.frt", ReadFile(kExample));
    struct Combo {
        bool symbols, threeD, polylines, labels, perCode;
        std::string path;
    };
    std::vector<Combo> combos;
    for (int bits = 0; bits < 32; ++bits) {
        Combo c{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0, (bits & 8) != 0, (bits & 16) != 0, ""};
        c.path = dir.File("combo" + std::to_string(bits) + ".dxf");
        std::string args = "-q -o " + Quoted(c.path);
        args += c.symbols ? "" : " --no-symbols";
        args += c.threeD ? "" : " --2d";
        args += c.polylines ? "" : " --separate-lines";
        args += c.labels ? " --label point-id --label east-north --label height --label code" : "";
        args += c.perCode ? "" : " --single-layer";
        const BatchRun run = Batch(dir, args + " " + Quoted(input));
        ASSERT_EQ(run.status, 0) << args << "\n" << run.err;
        combos.push_back(c);
    }
    std::vector<std::string> paths;
    for (const Combo& c : combos)
        paths.push_back(c.path);
    const std::vector<EzdxfReport> reports = RunEzdxf(paths);

    // The example: 9 points, 5 lines with 12 vertices, 1 area with 4: 25 point entities.
    const std::vector<std::string> groups = {"BOUNDARY", "BUILDING_MAIN", "DRAIN", "FIX", "KERB",
                                             "PATH",     "SPOT",          "TREE",  "UTIL_POLE"};
    for (std::size_t i = 0; i < combos.size(); ++i) {
        const Combo& c = combos[i];
        const EzdxfReport& report = reports[i];
        SCOPED_TRACE("combination " + std::to_string(i));
        ASSERT_TRUE(report.loaded) << report.raw;
        EXPECT_EQ(report.version, "AC1009");
        EXPECT_EQ(report.auditErrors, 0) << report.raw;
        std::map<std::string, int> entities;
        entities[c.symbols ? "INSERT" : "POINT"] = 25;
        if (c.polylines)
            entities["POLYLINE"] = 6;
        else
            entities["LINE"] = 10;
        if (c.labels)
            entities["TEXT"] = 100;
        EXPECT_EQ(report.entities, entities);
        EXPECT_EQ(report.vertices, c.polylines ? 16 : 0);
        EXPECT_EQ(report.blocks.size(), c.symbols ? 8U : 0U);

        std::vector<std::string> layers = c.perCode ? groups : std::vector<std::string>{};
        layers.push_back("0"); // ezdxf adds layer 0 when the table lacks it
        if (c.labels)
            layers.insert(layers.end(), {"Code", "Coords", "Height", "PointID"});
        std::vector<std::string> seen = report.layers;
        std::sort(layers.begin(), layers.end());
        std::sort(seen.begin(), seen.end());
        EXPECT_EQ(seen, layers);

        const OgrReport ogr = RunOgrinfo(c.path);
        EXPECT_TRUE(ogr.errors.empty()) << ogr.errors;
        int total = 0;
        for (const auto& [kind, n] : entities)
            total += n;
        EXPECT_EQ(ogr.featureCount, total);
        layers.erase(std::remove(layers.begin(), layers.end(), "0"), layers.end());
        if (!c.perCode)
            layers.insert(layers.begin(), "0");
        std::sort(layers.begin(), layers.end());
        EXPECT_EQ(ogr.layers, layers);
    }
}
