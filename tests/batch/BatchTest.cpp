// frt2dxf-batch's run: exit codes, messages, what it leaves on disk, and its drawings read back
// by ezdxf, GDAL and LibreCAD. The run is driven in-process; the program itself where a command
// needs its own process: standard streams as data, redirections, pipes, an environment.
#include "batch/BatchCommandLine.h"
#include "batch/BatchRun.h"
#include "common/NumberText.h"
#include "export/SettingsSchema.h"
#include "tests/readers/ReaderTools.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kBatch = FRT2DXF_BATCH;
const std::string kExample = FRT2DXF_SOURCE_DIR "/examples/site.frt";

struct BatchRun {
    int status = -1;
    std::string out;
    std::string err;
};

// The words of a command line as a POSIX shell splits them, quotes removed; none when it needs
// the shell itself or the process's own standard streams.
std::optional<std::vector<std::string>> PlainWords(const std::string& line) {
    std::vector<std::string> words;
    std::optional<std::string> word;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\'' || c == '"') {
            const std::size_t end = line.find(c, i + 1);
            if (end == std::string::npos)
                return std::nullopt;
            word = word.value_or("") + line.substr(i + 1, end - i - 1);
            i = end;
        } else if (c == ' ') {
            if (word)
                words.push_back(*std::exchange(word, std::nullopt));
        } else if (std::string_view("<>|;&$`*?\\").find(c) != std::string_view::npos) {
            return std::nullopt;
        } else {
            word = word.value_or("") + c;
        }
    }
    if (word)
        words.push_back(*word);
    for (const std::string& w : words)
        if (w == "-" || w.rfind("/dev/std", 0) == 0 || w.rfind("/dev/fd", 0) == 0)
            return std::nullopt;
    return words;
}

std::string ReadBack(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, got);
    std::fclose(file);
    return text;
}

BatchRun Batch(const TempDir& dir, const std::string& args, const std::string& env = "") {
    BatchRun run;
    if (const std::optional<std::vector<std::string>> words = PlainWords(args); words && env.empty()) {
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        batchrun::Reporter reporter(out, err);
        run.status = batchrun::Run(*words, reporter);
        run.out = ReadBack(out);
        run.err = ReadBack(err);
        return run;
    }
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
    // One of each is said as one.
    const std::string one = dir.Write("one.frt", "[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\n"
                                                 "PID=1;E=1;N=2;HO=3\r\n");
    const BatchRun single = Batch(dir, "--no-symbols --single-layer " + Quoted(one));
    EXPECT_NE(single.out.find("one.dxf: 1 entity, 1 layer, "), std::string::npos) << single.out;
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
        {"--label-colour code=8 x.frt", "--label-colour: the colour must be one of red, yellow, green, cyan, "
                                        "blue, magenta, black or a number from 0 to 7, not '8'"},
        {"--label-layer height=ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456 x.frt", "at most 32 bytes"},
        // 17 two-byte characters: 34 bytes in the drawing.
        {"--label-layer height=\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"
         "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9 x.frt",
         "at most 32 bytes"},
        {"--label-layer point-id= x.frt", "--label-layer: the layer name is empty"},
        {"--codepage 1259 x.frt", "--codepage: the code page must be one of 1250 to 1258"},
        {"--label nonsense x.frt", "--label: unknown label kind 'nonsense'"},
        {"--bogus x.frt", "unknown option '--bogus'"},
        {"-o out.dxf a.frt b.frt", "--output: only with one input file"},
        {"--symbol-size", "--symbol-size: a value is missing"},
        {"-o '' x.frt", "-o: the output path is empty"},
        {"--output= x.frt", "--output: the output path is empty"},
        {"--preview pic.PNG x.frt",
         "--preview: the picture is an SVG file; name it with .svg, not 'pic.PNG'"},
    };
    for (const auto& c : cases) {
        const BatchRun run = Batch(dir, c.args);
        EXPECT_EQ(run.status, 2) << c.args;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << "\n" << run.err;
    }
    for (const char* option : {"--help", "-h"}) {
        const BatchRun help = Batch(dir, option);
        EXPECT_EQ(help.status, 0) << option;
        EXPECT_NE(help.out.find("--label-colour KIND=COLOUR"), std::string::npos) << option;
    }
    EXPECT_EQ(Batch(dir, "--version").out.substr(0, 14), "frt2dxf-batch ");
}

// Read in-process: colours by name or number, and the options that change nothing with the
// others, each said once.
TEST(BatchCommandLine, ColoursIdleOptionsAndTheSettingsEachOptionSets) {
    const auto parse = [](std::vector<std::string> args, ExportSettings& settings, BatchRequest& request) {
        std::string error;
        args.emplace_back("x.frt");
        EXPECT_TRUE(batchcli::ParseCommandLine(args, settings, request, error)) << error;
    };
    for (const auto& [given, index] : std::vector<std::pair<std::string, int>>{{"code=Magenta", 5},
                                                                               {"code=RED", 0},
                                                                               {"code=white", 6},
                                                                               {"code=black", 6},
                                                                               {"code=3", 2},
                                                                               {"code=0", -1}}) {
        ExportSettings settings;
        BatchRequest request;
        parse({"--label-colour", given}, settings, request);
        EXPECT_EQ(settings.m_nColourCode, index) << given;
    }
    ExportSettings settings;
    BatchRequest request;
    parse({"--no-points", "--no-lines", "--no-areas", "--label-layer", "height=H", "--label-colour",
           "code=red", "--label", "code"},
          settings, request);
    const std::vector<std::string> idle = batchcli::IdleOptions(settings, request);
    ASSERT_EQ(idle.size(), 2U);
    EXPECT_EQ(idle[0].rfind("--no-points, --no-lines and --no-areas leave out every element", 0), 0U)
        << idle[0];
    EXPECT_EQ(idle[1], "--label-layer height: no height label is drawn (--label height draws it)");
    ExportSettings symbols;
    BatchRequest attributes;
    parse({"--point-attributes", "--no-symbols"}, symbols, attributes);
    ASSERT_EQ(batchcli::IdleOptions(symbols, attributes).size(), 1U);
    EXPECT_EQ(batchcli::IdleOptions(symbols, attributes)[0].rfind("--point-attributes: ", 0), 0U);
    ExportSettings plain;
    BatchRequest none;
    parse({"--label", "height", "--label-layer", "height=H"}, plain, none);
    EXPECT_TRUE(batchcli::IdleOptions(plain, none).empty());

    // The settings' rows name the options that set them, every one is an option, and every
    // option reaches its row.
    const std::vector<batchcli::OptionForm> forms = batchcli::OptionForms();
    const auto rowNaming = [](const std::string& name) -> const settingschema::Setting* {
        for (const settingschema::Setting& row : settingschema::kSettings)
            for (const char* option : {row.option, row.offOption})
                if (option != nullptr && name == option)
                    return &row;
        return nullptr;
    };
    for (const settingschema::Setting& row : settingschema::kSettings)
        for (const char* option : {row.option, row.offOption})
            EXPECT_TRUE(option == nullptr ||
                        std::any_of(forms.begin(), forms.end(),
                                    [option](const auto& form) { return form.name == option; }))
                << option;
    for (const batchcli::OptionForm& form : forms) {
        ASSERT_NE(*form.name, '\0');
        const settingschema::Setting* row = rowNaming(form.name);
        ExportSettings given;
        BatchRequest unused;
        std::string error;
        const bool parsed = batchcli::ParseCommandLine({form.name, "2", "x.frt"}, given, unused, error);
        EXPECT_EQ(error.find("no setting has this option"), std::string::npos) << form.name;
        if (row == nullptr)
            continue;
        EXPECT_TRUE(parsed) << error;
        if (std::holds_alternative<float ExportSettings::*>(row->member))
            EXPECT_EQ(row->Field<float>(given), 2.0F) << form.name;
        else
            EXPECT_EQ(row->Field<int>(given), form.takesValue                         ? 2
                                              : form.name == std::string(row->option) ? 1
                                                                                      : 0)
                << form.name;
    }
    // The usage states the defaults the settings have, not ones of its own.
    const std::string usage = batchcli::Usage();
    for (const batchcli::OptionForm& form : forms)
        if (const settingschema::Setting* row = rowNaming(form.name); row != nullptr && form.takesValue) {
            const std::size_t line = usage.find("  " + std::string(form.name) + " ");
            const std::string stated = "(default " + row->Spelled(settingschema::Defaults()) + ")";
            EXPECT_LT(usage.find(stated, line), usage.find('\n', line)) << form.name << " says " << stated;
        }
}

// The forms people type: values in the same word, short options together, long options cut
// short where that is unambiguous, "--" before an input that begins with "-".
TEST(Batch, OptionsInTheirGetoptForms) {
    TempDir dir;
    const std::string input = dir.Write("site.frt", ReadFile(kExample));
    const std::string dashed = dir.Write("-site.frt", ReadFile(kExample));
    const std::string expected = dir.File("expected.dxf");
    ASSERT_EQ(
        Batch(dir, "-q --label point-id --no-symbols -o " + Quoted(expected) + " " + Quoted(input)).status,
        0);
    for (const std::string& form :
         {"-qj2 --label=point-id --no-sym -o" + Quoted(dir.File("a.dxf")),
          "-q -j 2 --label point-id --no-sym --output " + Quoted(dir.File("a.dxf")),
          "-j1 -q --label point-id --no-symbols --output=" + Quoted(dir.File("a.dxf"))}) {
        SCOPED_TRACE(form);
        const BatchRun run = Batch(dir, form + " " + Quoted(input));
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(run.out.empty()) << "-q taken inside a cluster";
        EXPECT_EQ(ReadFile(dir.File("a.dxf")), ReadFile(expected));
        fs::remove(dir.File("a.dxf"));
    }
    const BatchRun dash = Batch(dir, "-q -- -site.frt", "cd " + Quoted(dir.Path().string()) + " &&");
    EXPECT_EQ(dash.status, 0) << dash.err;
    EXPECT_TRUE(fs::exists(dir.File("-site.dxf")));

    const struct {
        const char* args;
        const char* message;
    } errors[] = {
        {"--la point-id x.frt",
         "option '--la' is ambiguous; possibilities: --layer-per-code --label --label-layer --label-colour"},
        {"-qx x.frt", "unknown option '-x'"},
        {"--quiet=1 x.frt", "--quiet: takes no value"},
        {"-qj", "-j: a value is missing"},
        {"-j0 x.frt", "-j: the number of jobs must be from 1 to 256, not '0'"},
    };
    for (const auto& e : errors) {
        const BatchRun run = Batch(dir, e.args);
        EXPECT_EQ(run.status, 2) << e.args;
        EXPECT_NE(run.err.find(e.message), std::string::npos) << e.args << "\n" << run.err;
    }
}

// The help text, the manual page and the shell completion offer exactly the options there are,
// and the completion offers any file after an option that names one.
TEST(Batch, HelpManualAndCompletionOfferEveryOption) {
    const std::string help = batchcli::Usage();
    // The manual's "\-" is a dash and its font changes ("\fB") end a word.
    const std::string raw = ReadFile(FRT2DXF_SOURCE_DIR "/packaging/linux/frt2dxf-batch.1");
    std::string manual;
    for (const char c : raw) {
        if (!manual.empty() && manual.back() == '\\' && c == '-')
            manual.back() = '-';
        else if (!manual.empty() && manual.back() == 'f' && manual.size() >= 2 &&
                 manual[manual.size() - 2] == '\\')
            manual.replace(manual.size() - 2, 2, "  ");
        else
            manual += c;
    }
    const std::string completionFile = FRT2DXF_SOURCE_DIR "/packaging/linux/frt2dxf-batch.bash";
    const std::string completion = ReadFile(completionFile);
    // Every word that begins with "-" or "--" and a letter or digit, after a blank or the like.
    const auto offered = [](const std::string& text) {
        const auto wordByte = [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
        };
        std::set<std::string> names;
        for (std::size_t at = 0; at < text.size(); ++at) {
            if (text[at] != '-' || (at > 0 && wordByte(text[at - 1])))
                continue;
            std::size_t end = at;
            while (end < text.size() && wordByte(text[end]))
                ++end;
            const std::string name = text.substr(at, end - at);
            const std::size_t dashes = name.rfind("--", 0) == 0 ? 2 : 1;
            if (name.size() > dashes && std::isalnum(static_cast<unsigned char>(name[dashes])))
                names.insert(name);
            at = end;
        }
        return names;
    };
    std::set<std::string> options;
    for (const batchcli::OptionForm& option : batchcli::OptionForms()) {
        options.insert(option.name);
        if (option.letter != 0)
            options.insert(std::string("-") + option.letter);
    }
    for (const auto& [what, text] :
         {std::pair{"--help", help}, {"the manual", manual}, {"the completion", completion}}) {
        std::set<std::string> found = offered(text);
        for (const char* notAnOption :
             {"-j2", "-qj2", "-oFILE", "-o-", "-x", "-W", "-f", "-X", "-d", "-S", "-F", "-qec"})
            found.erase(notAnOption);
        EXPECT_EQ(found, options) << what;
    }
    // The limits they state are the ones the options are checked against.
    const std::string nameLimit = "1 to " + std::to_string(settingschema::kMaxLayerName) + " bytes";
    const std::string smallest = numtext::FormatShortest(settingschema::kMinSymbolSize);
    const std::string largest = numtext::FormatShortest(settingschema::kMaxSymbolSize);
    std::string decimals = "0-";
    decimals.append(std::to_string(settingschema::kMaxDecimals)).append(" (default 3)");
    const std::string sizes = std::string(smallest).append("-").append(largest);
    const std::string sizesWritten = std::string(smallest).append(" to ").append(largest);
    for (const std::string& stated : {decimals, nameLimit, sizes})
        EXPECT_NE(help.find(stated), std::string::npos) << stated;
    for (const std::string& stated : {nameLimit, sizesWritten})
        EXPECT_NE(manual.find(stated), std::string::npos) << stated;

    TempDir dir;
    dir.Write("site.frt", "");
    dir.Write("notes.json", "");
    for (const char* option : {"--report", "--preview", "-o", "--label"}) {
        const std::string offers = Capture("cd " + Quoted(dir.Path().string()) + " && bash -c 'source " +
                                           completionFile + " && COMP_WORDS=(frt2dxf-batch " + option +
                                           " \"\") COMP_CWORD=2 && _frt2dxf_batch; "
                                           "echo \"${COMPREPLY[*]}\"'");
        EXPECT_EQ(offers.find("notes.json") != std::string::npos, std::string(option) != "--label")
            << option << ": " << offers;
    }
    const std::string colours =
        Capture("bash -c 'source " + completionFile +
                " && COMP_WORDS=(frt2dxf-batch --label-colour height = c) COMP_CWORD=4 "
                "&& _frt2dxf_batch; echo \"${COMPREPLY[*]}\"'");
    EXPECT_EQ(colours, "cyan\n") << "the colours after --label-colour height=";
}

// "-" reads standard input (kept in a private file until the end, as an input is read twice)
// and writes to standard output; the summary then goes to standard error.
TEST(Batch, StandardInputAndOutput) {
    TempDir dir;
    const std::string input = dir.Write("site.frt", ReadFile(kExample));
    const std::string expected = dir.File("expected.dxf");
    ASSERT_EQ(Batch(dir, "-q -o " + Quoted(expected) + " " + Quoted(input)).status, 0);
    const std::string tmp = "TMPDIR=" + Quoted(dir.Path().string());

    const BatchRun piped = Batch(dir, "- < " + Quoted(input), tmp);
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_TRUE(piped.out == ReadFile(expected)) << "the drawing on standard output";
    EXPECT_NE(piped.err.find("- -> -: 31 entities, 9 layers"), std::string::npos) << piped.err;

    const BatchRun toStdout = Batch(dir, "-o - " + Quoted(input));
    EXPECT_EQ(toStdout.status, 0) << toStdout.err;
    EXPECT_TRUE(toStdout.out == ReadFile(expected));

    const BatchRun toFile =
        Batch(dir, "-q -o " + Quoted(dir.File("from-stdin.dxf")) + " - < " + Quoted(input), tmp);
    EXPECT_EQ(toFile.status, 0) << toFile.err;
    EXPECT_EQ(ReadFile(dir.File("from-stdin.dxf")), ReadFile(expected));

    const BatchRun garbage = Batch(dir, "- < " + Quoted(dir.Write("junk.txt", "no survey")), tmp);
    EXPECT_EQ(garbage.status, 1);
    EXPECT_NE(garbage.err.find("-: not an FRT file"), std::string::npos) << garbage.err;
    EXPECT_TRUE(garbage.out.empty());

    // A stream that is no survey is not spooled to its end, however long it is.
    const BatchRun zeros = Batch(dir, "- < /dev/zero", tmp);
    EXPECT_EQ(zeros.status, 1);
    EXPECT_NE(
        zeros.err.find("-: not an FRT file for DXF export (no header with Format=Rev2Ezi in its first MiB)"),
        std::string::npos)
        << zeros.err;

    const BatchRun twice = Batch(dir, "- - < /dev/null", tmp);
    EXPECT_EQ(twice.status, 2);
    EXPECT_NE(twice.err.find("standard input can be read only once"), std::string::npos) << twice.err;
    // No copy of standard input stays behind.
    EXPECT_EQ(dir.Names(),
              (std::vector<std::string>{"expected.dxf", "from-stdin.dxf", "junk.txt", "site.frt"}));
}

// Standard streams that are files: fed at their position and in their mode like "-", compared
// with every input and output like any other file, and told apart from the summary.
TEST(Batch, StandardStreamsThatAreFilesAreFedAndCompared) {
    TempDir dir;
    const std::string input = dir.Write("site.frt", ReadFile(kExample));
    const std::string expected = dir.File("expected.dxf");
    ASSERT_EQ(Batch(dir, "-q -o " + Quoted(expected) + " " + Quoted(input)).status, 0);
    const std::string log = dir.Write("log.txt", "LOG\n");
    EXPECT_EQ(Batch(dir, "-q -o /dev/stdout " + Quoted(input) + " >> " + Quoted(log)).status, 0);
    EXPECT_TRUE(ReadFile(log) == "LOG\n" + ReadFile(expected)) << "appended, the log kept";
    const std::string all = dir.File("all.txt");
    const BatchRun loop = Batch(dir,
                                "-q -o /dev/fd/1 " + Quoted(input) + "; " + kBatch +
                                    " -q -o /proc/self/fd/1 " + Quoted(input) + "; } > " + Quoted(all),
                                "{");
    EXPECT_EQ(loop.status, 0) << loop.err;
    EXPECT_TRUE(ReadFile(all) == ReadFile(expected) + ReadFile(expected))
        << "both drawings, one after the other";

    // Standard input or output that is the input: refused, nothing written.
    const std::string survey = ReadFile(input);
    for (const std::string& args :
         {"- -o " + Quoted(input) + " < " + Quoted(input), "-o - " + Quoted(input) + " >> " + Quoted(input),
          "--report - " + Quoted(input) + " >> " + Quoted(input)}) {
        const BatchRun clash = Batch(dir, args);
        EXPECT_EQ(clash.status, 2) << args;
        EXPECT_NE(clash.err.find("would replace"), std::string::npos) << clash.err;
        EXPECT_TRUE(ReadFile(input) == survey) << args;
    }

    // Whatever carries data on standard output, the summary goes to standard error.
    const BatchRun report = Batch(dir, "--report - " + Quoted(input));
    EXPECT_EQ(report.status, 0);
    EXPECT_EQ(report.out.find("entities, 9 layers"), std::string::npos) << report.out;
    EXPECT_NE(report.err.find("entities, 9 layers"), std::string::npos) << report.err;
    // Also when standard output is a pipe, named by any of its paths: it is "-".
    for (const char* spelled : {"-o /dev/stdout ", "--report /dev/fd/1 ", "--preview /proc/self/fd/1 "}) {
        const BatchRun piped = Batch(dir, spelled + Quoted(input));
        EXPECT_EQ(piped.status, 0) << spelled << piped.err;
        EXPECT_EQ(piped.out.find("entities, 9 layers"), std::string::npos) << spelled << piped.out;
        EXPECT_NE(piped.err.find("entities, 9 layers"), std::string::npos) << spelled << piped.err;
    }
    // The report's extents are the numbers the drawing holds, not their binary neighbours.
    const std::string near = dir.Write("near.frt", "[Header]\nFormat=Rev2Ezi\n[Points]\n"
                                                   "PID=1;E=2605117.95;N=1204330.9200000001;HO=-0.0000001\n");
    EXPECT_NE(
        Batch(dir, "-q --report - " + Quoted(near))
            .out.find(
                R"("extents": {"min": [2605117.95, 1204330.92, 0], "max": [2605117.95, 1204330.92, 0]})"),
        std::string::npos);

    // A reader of the drawing on standard output that stops early (| head) ends the run quietly,
    // as GNU tools end then, with a failure status.
    std::string big = survey;
    for (int i = 0; i < 5000; ++i)
        big += "PID=" + std::to_string(10000 + i) + ";E=" + std::to_string(i) + ";N=1;HO=2\r\n";
    const std::string bigInput = dir.Write("big.frt", big);
    Capture("(" + kBatch + " -q -o - " + Quoted(bigInput) + " 2>" + Quoted(dir.File("err")) + "; echo $? > " +
            Quoted(dir.File("status")) + ") | head -c 1000 > /dev/null");
    EXPECT_EQ(ReadFile(dir.File("status")), "1\n");
    EXPECT_EQ(ReadFile(dir.File("err")), "");
}

// Characters that readers refuse in a layer name become underscores, wherever the name comes
// from, and each mended name is said once; other names stay byte for byte.
TEST(Batch, LayerNamesReadersRefuseAreMendedAndSaid) {
    TempDir dir;
    const std::string input =
        dir.Write("layers.frt", "[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\n"
                                "PID=1;E=1;N=1;HO=1;GROUP=GAS/WATER\r\nPID=2;E=2;N=2;HO=1;GROUP=A B\r\n"
                                "PID=3;E=3;N=3;HO=1;GROUP=GAS/WATER\r\nPID=4;E=4;N=4;HO=1;GROUP=<*=?>\x01\r\n"
                                "PID=5;E=5;N=5;HO=1;GROUP=Wall\r\n");
    const std::string output = dir.File("layers.dxf");
    const BatchRun run = Batch(dir, "-q --label point-id --label-layer 'point-id=Pt:Id' -o " +
                                        Quoted(output) + " " + Quoted(input));
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string said = run.err;
    EXPECT_NE(said.find("layer name 'GAS/WATER' written as 'GAS_WATER'"), std::string::npos) << said;
    EXPECT_EQ(said.find("GAS/WATER"), said.rfind("GAS/WATER")) << "once per file";
    EXPECT_NE(said.find("layer name 'Pt:Id' written as 'Pt_Id'"), std::string::npos) << said;
    EXPECT_NE(said.find("layer name '<*=?>?' written as '______'"), std::string::npos) << said;
    EXPECT_EQ(said.find("A B"), std::string::npos) << "blanks are made underscores as always, silently";
    const EzdxfReport read = RunEzdxf(output);
    ASSERT_TRUE(read.loaded) << read.raw;
    EXPECT_EQ(read.layers, (std::vector<std::string>{"A_B", "GAS_WATER", "Pt_Id", "Wall", "______", "0"}))
        << read.raw;
    EXPECT_TRUE(RunOgrinfo(output).errors.empty());

    // Names equal but for case are one layer, named as first met, on every entity.
    const std::string cased =
        dir.Write("case.frt", "[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\n"
                              "PID=1;E=1;N=1;HO=1;GROUP=TREE\r\nPID=2;E=2;N=2;HO=1;GROUP=tree\r\n"
                              "PID=3;E=3;N=3;HO=1;GROUP=pointid\r\n");
    ASSERT_EQ(Batch(dir, "-q --label point-id -o " + Quoted(output) + " " + Quoted(cased)).status, 0);
    const EzdxfReport once = RunEzdxf(output);
    EXPECT_EQ(once.layers, (std::vector<std::string>{"PointID", "TREE", "0"})) << once.raw;
    const std::string drawing = ReadFile(output);
    EXPECT_EQ(drawing.find("\r\n  8\r\ntree\r\n"), std::string::npos);
    EXPECT_EQ(drawing.find("\r\n  8\r\npointid\r\n"), std::string::npos);
}

// A UTF-8 survey's texts go into the drawing as a Windows-1252 survey's would, so that readers
// show them as typed; characters that page lacks are written "\U+XXXX". A Windows-1252 survey
// stays byte for byte as it was, and so does a UTF-8 label layer typed into the Linux dialog.
TEST(Batch, Utf8SurveysAreWrittenInTheDrawingsCodePage) {
    TempDir dir;
    const std::string head = "[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\n";
    const std::string windows =
        dir.Write("cp1252.frt", head + "PID=1;E=1;N=1;HO=1;GROUP=B\xe4ume;CODE=Stra\xdf"
                                       "e\r\n");
    const std::string utf8 =
        dir.Write("utf8.frt", head + "PID=1;E=1;N=1;HO=1;GROUP=B\xc3\xa4ume;CODE=Stra\xc3\x9f"
                                     "e\r\n");
    const std::string bom =
        dir.Write("bom.frt", "\xef\xbb\xbf" + head + "PID=1;E=1;N=1;HO=1;GROUP=Baum;CODE=\xd0\x96\r\n");
    const std::string options = "-q --label code --label height --label-layer 'height=H\xc3\xb6he' ";
    for (const std::string& input : {windows, utf8, bom})
        ASSERT_EQ(Batch(dir, options + Quoted(input)).status, 0) << input;
    const std::string drawing = ReadFile(dir.File("utf8.dxf"));
    EXPECT_TRUE(drawing == ReadFile(dir.File("cp1252.dxf"))) << "the same texts, the same bytes";
    EXPECT_NE(drawing.find("\r\n  8\r\nH\xf6he\r\n"), std::string::npos) << "the typed layer name";
    // A Cyrillic text chooses the page that holds it, and the drawing declares it.
    const std::string bomDrawing = ReadFile(dir.File("bom.dxf"));
    EXPECT_NE(bomDrawing.find("\r\n  1\r\n\xC6\r\n"), std::string::npos);
    EXPECT_NE(bomDrawing.find("$DWGCODEPAGE\r\n  3\r\nANSI_1251\r\n"), std::string::npos);
    EXPECT_EQ(drawing.find("$DWGCODEPAGE"), std::string::npos) << "Windows-1252 is not declared";
    EXPECT_EQ(DimeProblem(dir.File("bom.dxf")), "");
    // Each finding names its own characters: those the page lacks, those above U+FFFF.
    const std::string mixed =
        dir.Write("mixed.frt", head + "PID=1;E=1;N=1;HO=1;CODE=\xc3\xa4\xce\xa9\xf0\x9f\x98\x80\r\n");
    const BatchRun said = Batch(dir, "-q --label code " + Quoted(mixed));
    EXPECT_NE(said.err.find("1 character(s) that ANSI_1252 lacks written as \\U+XXXX, which not every reader "
                            "shows; U+03A9\n"),
              std::string::npos)
        << said.err;
    EXPECT_NE(said.err.find("written as U+FFFD; U+1F600\n"), std::string::npos) << said.err;
    const EzdxfReport read = RunEzdxf(dir.File("utf8.dxf"));
    EXPECT_NE(std::find(read.layers.begin(), read.layers.end(), "B\xc3\xa4ume"), read.layers.end())
        << read.raw;
    EXPECT_NE(
        Capture("ogrinfo -ro -q -sql \"SELECT Layer, Text FROM entities\" " + Quoted(dir.File("utf8.dxf")))
            .find("Text (String) = Stra\xc3\x9f"
                  "e"),
        std::string::npos);

    // A code page chosen for the drawing is declared, and the characters it has are its bytes.
    const std::string tree = "\xd0\x94\xd0\xb5\xd1\x80\xd0\xb5\xd0\xb2\xd0\xbe";
    const std::string cyrillic =
        dir.Write("cyrillic.frt", head + "PID=1;E=1;N=1;HO=1;GROUP=" + tree + ";CODE=\xd0\x96\r\n");
    ASSERT_EQ(Batch(dir, "-q --codepage ANSI_1251 --label code " + Quoted(cyrillic)).status, 0);
    const std::string declared = ReadFile(dir.File("cyrillic.dxf"));
    EXPECT_NE(declared.find("$DWGCODEPAGE\r\n  3\r\nANSI_1251\r\n"), std::string::npos);
    EXPECT_NE(declared.find("\r\n  8\r\n\xc4\xe5\xf0\xe5\xe2\xee\r\n"), std::string::npos);
    const EzdxfReport inPage = RunEzdxf(dir.File("cyrillic.dxf"));
    EXPECT_NE(std::find(inPage.layers.begin(), inPage.layers.end(), tree), inPage.layers.end()) << inPage.raw;
    EXPECT_NE(Capture("ogrinfo -ro -q -sql \"SELECT Layer, Text FROM entities\" " +
                      Quoted(dir.File("cyrillic.dxf")))
                  .find("Layer (String) = " + tree),
              std::string::npos);
    EXPECT_EQ(Batch(dir, "-q --codepage ANSI_1 " + Quoted(cyrillic)).status, 2);
    // The usual spellings name the page, and without the option the survey's characters choose it.
    for (const std::string chosen :
         {"--codepage 1251 ", "--codepage cp1251 ", "--codepage Windows-1251 ", ""}) {
        ASSERT_EQ(Batch(dir, "-q --label code " + chosen + Quoted(cyrillic)).status, 0) << chosen;
        EXPECT_TRUE(ReadFile(dir.File("cyrillic.dxf")) == declared) << chosen;
    }
}

// Coordinates near the largest number: the label says the same number in a form that fits, and a
// picture that cannot be drawn is said while the drawing is written all the same.
TEST(Batch, CoordinatesNearTheLargestNumber) {
    TempDir dir;
    const std::string input = dir.Write("huge.frt", "[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\n"
                                                    "PID=1;E=1e308;N=1;HO=1\r\nPID=2;E=-1e308;N=2;HO=1\r\n");
    const std::string output = dir.File("huge.dxf");
    const BatchRun run = Batch(dir, "--label east-north --preview " + Quoted(dir.File("huge.svg")) + " -o " +
                                        Quoted(output) + " " + Quoted(input));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("huge.svg: the drawing's extents are too large to draw"), std::string::npos)
        << run.err;
    EXPECT_FALSE(fs::exists(dir.File("huge.svg")));
    const std::string drawing = ReadFile(output);
    EXPECT_NE(drawing.find("\r\n  1\r\n1e+308;1.000\r\n"), std::string::npos) << "the same number, not cut";
    EXPECT_NE(drawing.find("\r\n  1\r\n-1e+308;2.000\r\n"), std::string::npos);
    EXPECT_TRUE(RunEzdxf(output).loaded);
}

// Several files at once on a terminal: one line for the whole run, taken away for each report.
TEST(Batch, ARunOfSeveralFilesShowsOneProgressLineOnATerminal) {
    TempDir dir;
    std::string inputs;
    for (const char* name : {"a.frt", "b.frt", "c.frt"})
        inputs += " " + Quoted(dir.Write(name, ReadFile(kExample)));
    const std::string command = std::string(kBatch) + " -j2" + inputs;
    // script(1) gives the program a terminal.
    const std::string shown = Capture("script -qec " + Quoted(command) + " /dev/null");
    EXPECT_NE(shown.find("\r1 of 3 files, 2.6 of 7.9 kB read\033[K"), std::string::npos) << shown;
    EXPECT_NE(shown.find("\r3 of 3 files, 7.9 of 7.9 kB read\033[K"), std::string::npos) << shown;
    EXPECT_NE(shown.find("\r\033[K"), std::string::npos) << "the line is taken away for the reports";
    // Without a terminal, or quiet, no progress at all.
    const BatchRun piped = Batch(dir, "-j2" + inputs);
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.err.find("of 3 files"), std::string::npos) << piped.err;
    const std::string quiet = Capture("script -qec " + Quoted(command + " -q") + " /dev/null");
    EXPECT_EQ(quiet.find("of 3 files"), std::string::npos) << quiet;
}

// --no-clobber keeps an existing output and skips its input, which is no failure; the others
// are written. --dry-run reads and checks every input and writes nothing but the report.
TEST(Batch, NoClobberSkipsAndDryRunWritesNothing) {
    TempDir dir;
    const std::string a = dir.Write("a.frt", ReadFile(kExample));
    const std::string b = dir.Write("b.frt", ReadFile(kExample));
    dir.Write("a.dxf", "keep me");
    for (const char* option : {"-n", "--no-clobber"}) {
        const BatchRun run = Batch(dir, std::string(option) + " " + Quoted(a) + " " + Quoted(b));
        EXPECT_EQ(run.status, 0) << option;
        EXPECT_EQ(run.err.find("skipped (--no-clobber)"), std::string::npos) << "only with -v: " << run.err;
        EXPECT_NE(run.err.find("2 input(s): 1 converted, 1 skipped, 0 failed"), std::string::npos) << run.err;
        EXPECT_EQ(ReadFile(dir.File("a.dxf")), "keep me");
        EXPECT_EQ(ReadFile(dir.File("b.dxf")).substr(0, 14), "  0\r\nSECTION\r\n");
        fs::remove(dir.File("b.dxf"));
    }

    fs::remove(dir.File("a.dxf"));
    const std::string bad = dir.Write("bad.frt", "[Header]\nFormat=Rev2Ezi\n[Points]\nPID=1;E=x;N=2\n");
    const BatchRun dry = Batch(dir, "--dry-run --report " + Quoted(dir.File("r.json")) + " " + Quoted(a) +
                                        " " + Quoted(bad) + " " + Quoted(dir.File("none.frt")));
    EXPECT_EQ(dry.status, 1) << "the missing input";
    EXPECT_NE(dry.out.find("a.frt (not written: --dry-run): "), std::string::npos) << dry.out;
    EXPECT_NE(dry.err.find("bad.frt:4: E"), std::string::npos) << "the findings: " << dry.err;
    EXPECT_NE(dry.err.find("3 input(s): 2 checked, 0 skipped, 1 failed"), std::string::npos) << dry.err;
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"a.frt", "b.frt", "bad.frt", "r.json"}));
    EXPECT_EQ(Batch(dir, "--dry-run --preview x.svg " + Quoted(a)).status, 2);
}

// A folder stands for its surveys (with -r, its subfolders' too), -t puts the drawings into a
// folder, -u converts only what changed, and a skip is said only with -v.
TEST(Batch, FoldersOutputFoldersAndNightlyRuns) {
    TempDir dir;
    fs::create_directories(dir.File("jobs/2026"));
    fs::create_directories(dir.File("out"));
    dir.Write("jobs/b.frt", ReadFile(kExample));
    dir.Write("jobs/A.FRT", ReadFile(kExample));
    dir.Write("jobs/notes.txt", "not a survey");
    dir.Write("jobs/2026/c.frt", ReadFile(kExample));
    const std::string jobs = Quoted(dir.File("jobs"));
    const std::string out = Quoted(dir.File("out"));
    const BatchRun flat = Batch(dir, "-t " + out + " " + jobs);
    EXPECT_EQ(flat.status, 0) << flat.err;
    EXPECT_LT(flat.out.find("A.FRT -> "), flat.out.find("b.frt -> ")) << "in name order: " << flat.out;
    EXPECT_EQ(dir.Names("out"), (std::vector<std::string>{"A.dxf", "b.dxf"}));
    EXPECT_EQ(ReadFile(dir.File("out/b.dxf")).substr(0, 14), "  0\r\nSECTION\r\n");

    // Drawings made later than their surveys: within one tick of the system's clock both would
    // have one time, and an equal time is no longer up to date.
    for (const char* drawing : {"out/A.dxf", "out/b.dxf"})
        fs::last_write_time(dir.File(drawing),
                            fs::last_write_time(dir.File("jobs/b.frt")) + std::chrono::seconds(5));
    const BatchRun tree = Batch(dir, "-r -u -t " + out + " " + jobs);
    EXPECT_EQ(tree.status, 0) << tree.err;
    EXPECT_EQ(dir.Names("out"), (std::vector<std::string>{"2026", "A.dxf", "b.dxf"}));
    EXPECT_EQ(dir.Names("out/2026"), (std::vector<std::string>{"c.dxf"})) << "the subfolder is kept";
    EXPECT_EQ(tree.err, "frt2dxf-batch: 3 input(s): 1 converted, 2 skipped, 0 failed\n") << "skips are quiet";
    // A re-exported survey is newer than its drawing: converted again, and only it.
    const auto later = fs::last_write_time(dir.File("out/b.dxf")) + std::chrono::seconds(5);
    fs::last_write_time(dir.File("jobs/b.frt"), later);
    const BatchRun nightly = Batch(dir, "-r -u -v -t " + out + " " + jobs);
    EXPECT_EQ(nightly.status, 0) << nightly.err;
    EXPECT_NE(nightly.out.find("b.frt -> "), std::string::npos) << nightly.out;
    EXPECT_NE(nightly.err.find("A.dxf: up to date with "), std::string::npos) << nightly.err;
    EXPECT_NE(nightly.err.find("3 input(s): 1 converted, 2 skipped, 0 failed"), std::string::npos);
    // On a coarse clock (exFAT's whole seconds, FAT's two) a drawing of the same second as its
    // survey, or of the next step, may be the older: only one clearly newer is up to date.
    const auto whole =
        std::chrono::time_point_cast<std::chrono::seconds>(fs::last_write_time(dir.File("jobs/b.frt")));
    const std::pair<int, bool> coarse[] = {{0, false}, {2, false}, {3, true}};
    for (const auto& [ahead, upToDate] : coarse) {
        fs::last_write_time(dir.File("jobs/b.frt"), whole);
        fs::last_write_time(dir.File("out/b.dxf"), whole + std::chrono::seconds(ahead));
        const BatchRun run = Batch(dir, "-u -t " + out + " " + Quoted(dir.File("jobs/b.frt")));
        EXPECT_EQ(run.out.find("b.frt -> ") == std::string::npos, upToDate) << ahead << " s ahead";
    }

    // A host writes one name in every job's folder: with -r they keep their folders below a new
    // output folder, made on the first run.
    fs::create_directories(dir.File("hosts/2025/job1"));
    fs::create_directories(dir.File("hosts/2026/job2"));
    dir.Write("hosts/2025/job1/EXPORT.frt", ReadFile(kExample));
    dir.Write("hosts/2026/job2/EXPORT.frt", ReadFile(kExample));
    const BatchRun exports =
        Batch(dir, "-r -v -t " + Quoted(dir.File("drawings/")) + " " + Quoted(dir.File("hosts")));
    EXPECT_EQ(exports.status, 0) << exports.err;
    EXPECT_NE(exports.err.find("drawings/: output folder made"), std::string::npos) << exports.err;
    EXPECT_TRUE(fs::exists(dir.File("drawings/2025/job1/EXPORT.dxf")));
    EXPECT_TRUE(fs::exists(dir.File("drawings/2026/job2/EXPORT.dxf")));

    const struct {
        std::string args;
        int status;
        std::string message;
    } refused[] = {
        {Quoted(dir.File("out")), 1, "out: no .frt file in this folder (-r looks in its subfolders)"},
        {"-t " + Quoted(dir.File("jobs/notes.txt")) + " " + jobs, 2,
         "--output-dir: " + dir.File("jobs/notes.txt") + " is no folder"},
        {"-t " + Quoted(dir.File("none/deeper")) + " " + jobs, 2,
         "--output-dir: " + dir.File("none/deeper") + " does not exist, nor does its folder " +
             dir.File("none")},
        {"-o " + out + " " + Quoted(dir.File("jobs/b.frt")), 2, "names a folder; -t DIR puts the drawings"},
        {"-o " + Quoted(dir.File("none/x.dxf")) + " " + Quoted(dir.File("jobs/b.frt")), 1,
         "x.dxf: the output's folder " + dir.File("none") + " does not exist"},
        {"-o x.dxf " + jobs, 2,
         "--output: only with one input file (-t DIR puts each drawing into a folder)"},
        {"--poins " + jobs, 2, "unknown option '--poins'; did you mean '--points'?"},
    };
    for (const auto& r : refused) {
        const BatchRun run = Batch(dir, r.args);
        EXPECT_EQ(run.status, r.status) << r.args;
        EXPECT_NE(run.err.find(r.message), std::string::npos) << r.args << "\n" << run.err;
    }
}

TEST(Batch, BadInputsAreReportedAndTheRestStillConverted) {
    TempDir dir;
    const std::string good = dir.Write("good.frt", ReadFile(kExample));
    const std::string shp =
        dir.Write("shape.frt", "[Header]\r\nFormat=Raz2Azi;Version=1\r\n[Points]\r\nPID=1\r\n");
    const std::string none = dir.Write("plain.frt", "just text\n");
    fs::create_directory(dir.File("folder.frt"));
    mkfifo(dir.File("pipe.frt").c_str(), 0600);
    const BatchRun run = Batch(dir, Quoted(dir.File("missing.frt")) + " " + Quoted(shp) + " " + Quoted(none) +
                                        " " + Quoted(dir.File("folder.frt")) + " " +
                                        Quoted(dir.File("pipe.frt")) + " " + Quoted(good));
    EXPECT_EQ(run.status, 1);
    const std::string prefix = "frt2dxf-batch: " + dir.Path().string() + "/";
    for (const std::string& expected : {
             prefix + "missing.frt: No such file or directory",
             prefix + "shape.frt: not an FRT file for DXF export (header names \"Raz2Azi\"",
             prefix + "plain.frt: not an FRT file for DXF export (header",
             prefix + "folder.frt: no .frt file in this folder (-r looks in its subfolders)",
             prefix + "pipe.frt: not a regular file",
         })
        EXPECT_NE(run.err.find(expected), std::string::npos) << expected << "\n" << run.err;
    EXPECT_TRUE(fs::exists(dir.File("good.dxf")));
    EXPECT_FALSE(fs::exists(dir.File("shape.dxf")));
    EXPECT_FALSE(fs::exists(dir.File("plain.dxf")));

    // In a folder, every entry that cannot be read is named, the rest still converts, and the run
    // fails: a link that leads nowhere, one that leads to itself.
    fs::create_directories(dir.File("tree/sub"));
    dir.Write("tree/sub/c.frt", ReadFile(kExample));
    fs::create_symlink(dir.File("tree/none.frt"), dir.File("tree/b.frt"));
    fs::create_symlink("loop.frt", dir.File("tree/loop.frt"));
    const BatchRun tree = Batch(dir, "-r " + Quoted(dir.File("tree")));
    EXPECT_EQ(tree.status, 1);
    EXPECT_NE(tree.err.find(prefix + "tree/b.frt: No such file or directory"), std::string::npos) << tree.err;
    EXPECT_NE(tree.err.find(prefix + "tree/loop.frt: Too many levels of symbolic links"), std::string::npos)
        << tree.err;
    EXPECT_TRUE(fs::exists(dir.File("tree/sub/c.dxf")));
}

// The host writes FRT files under any name, "site.dxf" included: no planned output may be an
// input or another output, however it is spelt, and a clash writes nothing at all.
TEST(Batch, AnOutputThatIsAnInputOrAnotherOutputIsRefusedBeforeAnythingIsWritten) {
    TempDir dir;
    const std::string a = dir.Write("a.frt", ReadFile(kExample));
    const std::string b = dir.Write("a.dxf", ReadFile(kExample)); // an FRT file named like a drawing
    fs::create_directory(dir.File("sub"));
    const std::string other = dir.Write("sub/other.frt", ReadFile(kExample));
    fs::create_hard_link(b, dir.File("linked.frt"));
    const struct {
        std::string args;
        std::string message;
    } cases[] = {
        {Quoted(a) + " " + Quoted(b), "a.dxf: the output of " + a + " would replace the input " + b},
        {Quoted(a) + " " + Quoted(dir.File("sub/../a.dxf")),
         "would replace the input " + dir.File("sub/../a.dxf")},
        {"-o " + Quoted(dir.File("linked.frt")) + " " + Quoted(b), "the output would replace its own input"},
        {"-o " + Quoted(a) + " " + Quoted(a), "the output would replace its own input"},
        {Quoted(other) + " " + Quoted(dir.File("sub/./other.frt")), "would both be written there"},
        // A link to a drawing another job is about to make, dangling until then, and a chain.
        {Quoted(dir.File("c.frt")) + " " + Quoted(dir.File("d.frt")), "would both be written there"},
        {Quoted(dir.File("c.frt")) + " " + Quoted(dir.File("e.frt")), "would both be written there"},
        // The report is a file the run writes too: never over an input or a drawing.
        {"--report " + Quoted(a) + " " + Quoted(a), "--report would replace the input " + a},
        {"--report " + Quoted(dir.File("linked.frt")) + " -o " + Quoted(dir.File("out.dxf")) + " " +
             Quoted(b),
         "--report would replace the input"},
        {"--report " + Quoted(dir.File("c.dxf")) + " " + Quoted(dir.File("c.frt")),
         "--report would replace the drawing of"},
        {"--preview " + Quoted(dir.File("survey.svg")) + " " + Quoted(dir.File("survey.svg")),
         "--preview would replace the input " + dir.File("survey.svg")},
        {"--preview " + Quoted(dir.File("r.svg")) + " --report " + Quoted(dir.File("./r.svg")) + " " +
             Quoted(a),
         "--preview would replace --report's file"},
        {"--report - -o - " + Quoted(a), "-: --report would replace the drawing of " + a},
        {"--preview - --report - " + Quoted(a), "-: --preview would replace --report's file"},
    };
    dir.Write("c.frt", ReadFile(kExample));
    dir.Write("survey.svg", ReadFile(kExample)); // a survey whatever its name
    dir.Write("d.frt", ReadFile(kExample));
    dir.Write("e.frt", ReadFile(kExample));
    fs::create_symlink("c.dxf", dir.File("d.dxf"));
    fs::create_symlink(dir.File("d.dxf"), dir.File("e.dxf"));
    for (const auto& c : cases) {
        const BatchRun run = Batch(dir, c.args);
        EXPECT_EQ(run.status, 2) << c.args;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << "\n" << run.err;
        EXPECT_NE(run.err.find("nothing was written"), std::string::npos) << run.err;
        EXPECT_EQ(ReadFile(b), ReadFile(kExample));
        EXPECT_EQ(ReadFile(a), ReadFile(kExample));
        EXPECT_FALSE(fs::exists(dir.File("sub/other.dxf")));
        EXPECT_FALSE(fs::exists(dir.File("c.dxf")));
    }
}

// Values that are converted with a fallback are reported with file, line and value, at most 20 per
// file; the drawing is the same as without the report, and --strict writes nothing.
TEST(Batch, QuestionableValuesAreWarnedAboutAndStrictRefusesThem) {
    TempDir dir;
    std::string text = "[Header]\r\nFormat=Rev2Ezi\r\n[Points]\r\n"
                       "PID=1;E=12,5;N=3;HO=-9999.99\r\n" // line 4
                       "PID=2;N=4;HO=abc\r\n"             // line 5
                       "PID=3;E=1;N=2;HO=5;HE=x\r\n"      // line 6: HE unused, no warning
                       "[Lines]\r\n"
                       "LID=L;E=1;N=2;LCOLOR=zz;LSTYLE=9 Weird\r\n" // line 8
                       "LID=L;E=2;N=0x1p3\r\n"                      // line 9: no hexadecimal
                       "[Areas]\r\n"
                       "LID=A;E=1;N=2;SSTYLE=Dots;AREA=1e999\r\n" // line 11
                       "LID=A;E=2;N=2\r\n"
                       "LID=A;E=3;N"; // line 13: what a writer that stopped half way leaves
    const std::string input = dir.Write("w.frt", text);
    const BatchRun run = Batch(dir, "-q " + Quoted(input));
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string prefix = "frt2dxf-batch: " + input;
    for (const char* expected :
         {":4: E=12,5: not a number; 12 used",
          ":4: HO=-9999.99: the height should be in HE, which is missing; 0 used", ":5: E: missing; 0 used",
          ":5: HO=abc: not a number; 0 used", ":8: LCOLOR=zz: not a hexadecimal colour; 0 used",
          ":8: LSTYLE=9 Weird: not one of", ":11: SSTYLE=Dots: not one of",
          ":9: N=0x1p3: not a number; 0 used", ":11: AREA=1e999: not a number; 0 used",
          ":13: N: missing in the last record, which has no line end: the file may be cut off; 0 used"})
        EXPECT_NE(run.err.find(prefix + expected), std::string::npos) << expected << "\n" << run.err;
    EXPECT_NE(run.err.find("frt2dxf-batch: 10 warning(s) in 1 file(s)"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find(":6:"), std::string::npos) << run.err;
    const std::string drawing = ReadFile(dir.File("w.dxf"));

    // The same content written cleanly gives the same drawing: the report changes nothing.
    std::string clean = text;
    for (const auto& [from, to] :
         std::vector<std::pair<std::string, std::string>>{{"E=12,5", "E=12"},
                                                          {"HO=-9999.99", "HO=0"},
                                                          {"PID=2;", "PID=2;E=0;"},
                                                          {"HO=abc", "HO=0"},
                                                          {"LCOLOR=zz;", ""},
                                                          {"N=0x1p3", "N=0"},
                                                          {"E=3;N", "E=3;N=0\r\n"},
                                                          {";LSTYLE=9 Weird", ""},
                                                          {"SSTYLE=Dots;AREA=1e999", "AREA=0"}})
        clean.replace(clean.find(from), from.size(), to);
    const std::string cleanInput = dir.Write("clean.frt", clean);
    const BatchRun cleanRun = Batch(dir, "-q " + Quoted(cleanInput));
    EXPECT_EQ(cleanRun.err, "");
    EXPECT_EQ(ReadFile(dir.File("clean.dxf")), drawing);

    dir.Write("w.dxf", "old");
    const BatchRun strict = Batch(dir, "-q --strict " + Quoted(input) + " " + Quoted(cleanInput));
    EXPECT_EQ(strict.status, 1);
    EXPECT_NE(strict.err.find(input + ": 10 questionable value(s) in the input; nothing was written"),
              std::string::npos)
        << strict.err;
    EXPECT_EQ(ReadFile(dir.File("w.dxf")), "old");

    // Many findings: 20 shown, then how many more.
    std::string many = "[Header]\nFormat=Rev2Ezi\n[Points]\n";
    for (int i = 0; i < 25; ++i)
        many += "PID=" + std::to_string(i) + ";E=x;N=1;HO=1\n";
    const std::string manyInput = dir.Write("many.frt", many);
    const BatchRun manyRun = Batch(dir, "-q " + Quoted(manyInput));
    EXPECT_EQ(std::count(manyRun.err.begin(), manyRun.err.end(), '\n'), 22) << manyRun.err;
    EXPECT_NE(manyRun.err.find(manyInput + ": 5 more warnings not shown"), std::string::npos) << manyRun.err;
    EXPECT_NE(manyRun.err.find("25 warning(s) in 1 file(s)"), std::string::npos) << manyRun.err;

    // In 3D a point without a height lies at 0 beside its neighbours: said, the drawing as before.
    const std::string heights =
        dir.Write("heights.frt", "[Header]\nFormat=Rev2Ezi\n[Points]\nPID=1;E=1;N=1;HO=400\nPID=2;E=2;N=2\n"
                                 "PID=3;E=3;N=3;HO=\n[Lines]\nLID=1;E=1;N=1\nLID=1;E=2;N=2\n");
    const BatchRun threeD = Batch(dir, "-q " + Quoted(heights));
    EXPECT_EQ(threeD.status, 0);
    EXPECT_NE(threeD.err.find("heights.frt:5: HO: no height; 0 used"), std::string::npos) << threeD.err;
    EXPECT_NE(threeD.err.find("heights.frt:6: HO: no height; 0 used"), std::string::npos) << threeD.err;
    EXPECT_NE(threeD.err.find("2 warning(s) in 1 file(s)"), std::string::npos) << "vertices are left alone";
    EXPECT_EQ(Batch(dir, "-q --2d " + Quoted(heights)).err, "");
}

TEST(Batch, AnOutputThatCannotBeWrittenLeavesNothingBehind) {
    TempDir dir;
    const std::string input = dir.Write("site.frt", ReadFile(kExample));
    const BatchRun missingDir = Batch(dir, "-o " + Quoted(dir.File("no/such/out.dxf")) + " " + Quoted(input));
    EXPECT_EQ(missingDir.status, 1);
    EXPECT_NE(missingDir.err.find("no/such/out.dxf: the output's folder " + dir.File("no/such") +
                                  " does not exist"),
              std::string::npos)
        << missingDir.err;
    const BatchRun full = Batch(dir, "-o /dev/full " + Quoted(input));
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("/dev/full: No space left on device"), std::string::npos) << full.err;
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"site.frt"}));
    // A loop of links stays a loop: it is not replaced by a file.
    fs::create_symlink("loop-b", dir.File("loop-a"));
    fs::create_symlink("loop-a", dir.File("loop-b"));
    const BatchRun loop = Batch(dir, "-o " + Quoted(dir.File("loop-a")) + " " + Quoted(input));
    EXPECT_EQ(loop.status, 1);
    EXPECT_NE(loop.err.find("loop-a: Too many levels of symbolic links"), std::string::npos) << loop.err;
    EXPECT_TRUE(fs::is_symlink(dir.File("loop-a")));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"loop-a", "loop-b", "site.frt"}));
}

TEST(Batch, LabelsComeInTheFixedOrderAndStoredSettingsCanStartIt) {
    TempDir dir;
    const std::string input =
        dir.Write("site.frt", "[Header]\nFormat=Rev2Ezi\n[Points]\nPID=7;E=1;N=2;HO=3;CODE=OAK\n");
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
              "[Dxf_Export]\nLabelPoint=1\nNamePointId=Stored "
              "Name\nColorPoint=5\nExportQVO=0\nSymbolSize=200.000000\n");
    ASSERT_EQ(Batch(dir, "--from-settings " + Quoted(input), "XDG_CONFIG_HOME=" + Quoted(config)).status, 0);
    const std::string stored = ReadFile(dir.File("site.dxf"));
    EXPECT_NE(stored.find("  0\r\nPOINT\r\n"), std::string::npos) << "symbols off from the store";
    EXPECT_NE(stored.find("  8\r\nStored_Name\r\n 62\r\n6\r\n"), std::string::npos);
    EXPECT_NE(stored.find("$LTSCALE\r\n 40\r\n0.100000\r\n"), std::string::npos);
    // An abbreviation of the switch is the switch, and so reads the store too.
    ASSERT_EQ(Batch(dir, "--from-set " + Quoted(input), "XDG_CONFIG_HOME=" + Quoted(config)).status, 0);
    EXPECT_EQ(ReadFile(dir.File("site.dxf")), stored);
    // Every stored choice can be switched back; of two forms the later one wins.
    ASSERT_EQ(Batch(dir, "--from-settings --no-symbols --symbols --no-labels " + Quoted(input),
                    "XDG_CONFIG_HOME=" + Quoted(config))
                  .status,
              0);
    const std::string back = ReadFile(dir.File("site.dxf"));
    EXPECT_NE(back.find("  0\r\nINSERT\r\n"), std::string::npos) << "symbols on again";
    EXPECT_EQ(back.find("Stored_Name"), std::string::npos) << "the stored label cleared";
    // Without the switch the store is not read.
    ASSERT_EQ(Batch(dir, Quoted(input), "XDG_CONFIG_HOME=" + Quoted(config)).status, 0);
    EXPECT_EQ(ReadFile(dir.File("site.dxf")).find("Stored_Name"), std::string::npos);
    const std::string ini = config + "/Halvora/QVO/PLVX/frt2dxf.ini";
    dir.Write("config/Halvora/QVO/PLVX/frt2dxf.ini", "[Dxf_Export]\nDecimalsEN=40\n");
    const BatchRun refused =
        Batch(dir, "--from-settings " + Quoted(input), "XDG_CONFIG_HOME=" + Quoted(config));
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find(ini + ": DecimalsEN=40: the number of decimals must be from 0 to 16"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(refused.err.find("--decimals-en"), std::string::npos) << "the user typed no option";
    // A number beyond any whole number's range is said as stored, not read as a valid 0.
    dir.Write("config/Halvora/QVO/PLVX/frt2dxf.ini", "[Dxf_Export]\nDecimalsEN=99999999999\n");
    const BatchRun huge = Batch(dir, "--from-settings " + Quoted(input), "XDG_CONFIG_HOME=" + Quoted(config));
    EXPECT_EQ(huge.status, 2);
    EXPECT_NE(huge.err.find(ini + ": DecimalsEN: the number 99999999999 is out of range"), std::string::npos)
        << huge.err;
    dir.Write("config/Halvora/QVO/PLVX/frt2dxf.ini", "[Dxf_Export]\nDecimalsEN=40\n");
    // An option given on the command line overrides the bad stored value.
    EXPECT_EQ(
        Batch(dir, "--from-settings --decimals-en 2 " + Quoted(input), "XDG_CONFIG_HOME=" + Quoted(config))
            .status,
        0);

    // QSettings writes a text that begins with "@" as "@@..."; it reads back as it was stored.
    dir.Write("config/Halvora/QVO/PLVX/frt2dxf.ini", "[Dxf_Export]\nLabelPoint=1\nNamePointId=@@Home\n");
    ASSERT_EQ(Batch(dir, "-q --from-settings " + Quoted(input), "XDG_CONFIG_HOME=" + Quoted(config)).status,
              0);
    EXPECT_NE(ReadFile(dir.File("site.dxf")).find("  8\r\n_Home\r\n"), std::string::npos)
        << "read as \"@Home\", then named by the rule";

    // Without a store the defaults are used, and the user is told which file was looked for.
    fs::remove(ini);
    const BatchRun missing =
        Batch(dir, "-q --from-settings " + Quoted(input), "XDG_CONFIG_HOME=" + Quoted(config));
    EXPECT_EQ(missing.status, 0);
    EXPECT_NE(missing.err.find(ini + ": no stored settings there; using the defaults"), std::string::npos)
        << missing.err;
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
    paths.reserve(combos.size());
    for (const Combo& c : combos)
        paths.push_back(c.path);
    const std::vector<EzdxfReport> reports = RunEzdxf(paths);

    // The example: 9 points, 5 lines with 12 vertices, 1 area with 4: 25 point entities.
    const std::vector<std::string> groups = {"BOUNDARY", "BUILDING_MAIN", "DRAIN", "FIX",      "KERB",
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
            entities["LINE"] = 11; // 7 for the lines, 4 for the area, which is closed
        if (c.labels)
            entities["TEXT"] = 100;
        EXPECT_EQ(report.entities, entities);
        EXPECT_EQ(report.vertices, c.polylines ? 16 : 0);
        EXPECT_EQ(report.blocks.size(), c.symbols ? 8U : 0U);

        std::vector<std::string> layers = c.perCode ? groups : std::vector<std::string>{};
        layers.emplace_back("0"); // ezdxf adds layer 0 when the table lacks it
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
        EXPECT_EQ(DimeProblem(c.path), "");
        layers.erase(std::remove(layers.begin(), layers.end(), "0"), layers.end());
        if (!c.perCode)
            layers.insert(layers.begin(), "0");
        std::sort(layers.begin(), layers.end());
        EXPECT_EQ(ogr.layers, layers);
    }
}

// Several inputs at once: the same drawings as one at a time, messages in input order, and the
// exit status of any failure.
TEST(Batch, ParallelJobsWriteTheSameDrawingsAndReportInInputOrder) {
    TempDir dir;
    std::string inputs;
    for (int i = 0; i < 12; ++i) {
        std::string content = ReadFile(kExample);
        if (i % 4 == 1)
            content = "[Header]\nFormat=Rev2Ezi\n[Points]\nPID=" + std::to_string(i) + ";HO=1;E=x" +
                      std::to_string(i) + ";N=1\n";
        if (i == 7)
            content = "not an FRT file\n";
        inputs += " " + Quoted(dir.Write("in" + std::to_string(10 + i) + ".frt", content));
    }
    const BatchRun parallel = Batch(dir, "-j 4" + inputs);
    EXPECT_EQ(parallel.status, 1);
    std::vector<std::string> drawings;
    drawings.reserve(12);
    for (int i = 0; i < 12; ++i)
        drawings.push_back(ReadFile(dir.File("in" + std::to_string(10 + i) + ".dxf")));
    const BatchRun serial = Batch(dir, "-j 1" + inputs);
    EXPECT_EQ(serial.status, 1);
    EXPECT_EQ(parallel.err, serial.err);
    EXPECT_EQ(parallel.out.substr(0, 40), serial.out.substr(0, 40));
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(drawings[static_cast<std::size_t>(i)],
                  ReadFile(dir.File("in" + std::to_string(10 + i) + ".dxf")))
            << i;
    // In input order: in11's warning before in17's failure before in19's warning.
    const std::size_t first = parallel.err.find("in11.frt:4: E=x1:");
    const std::size_t failed = parallel.err.find("in17.frt: not an FRT file");
    const std::size_t last = parallel.err.find("in19.frt:4: E=x9:");
    EXPECT_LT(first, failed) << parallel.err;
    EXPECT_LT(failed, last) << parallel.err;
    EXPECT_NE(last, std::string::npos);
    EXPECT_NE(parallel.err.find("3 warning(s) in 3 file(s)"), std::string::npos) << parallel.err;
    EXPECT_NE(Batch(dir, "-j 0 x.frt").err.find("-j: the number of jobs must be from 1 to 256"),
              std::string::npos);
}

// File names and values may hold terminal controls and be of any length: the messages show
// neither raw.
TEST(Batch, MessagesAreSafeForTheTerminal) {
    TempDir dir;
    const std::string value(20 << 10, 'v');
    const std::string input =
        dir.Write("esc\x1b[31mred\xc2\x9b.frt", "[Header]\nFormat=Rev2Ezi\n[Points]\nPID=1;E=1\x9b" + value +
                                                    ";N=2\nPID=2;E=x\x1b]0;title\x07;N=3\n");
    const BatchRun run = Batch(dir, Quoted(input));
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* raw : {"\x1b", "\x9b", "\x07"})
        EXPECT_EQ((run.out + run.err).find(raw), std::string::npos) << run.out << run.err;
    EXPECT_NE(run.err.find("esc?[31mred?.frt:4: E=1?vvvv"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("v...: "), std::string::npos) << "a long value is cut";
    EXPECT_LT(run.err.size(), 1000U);
    EXPECT_NE(run.out.find("esc?[31mred?.frt -> "), std::string::npos) << run.out;
}

// A drawing is private while it is written and then gets the target's permissions, or a new
// file's; a pipe or device as output is written straight into.
TEST(Batch, PermissionsAndOutputsThatAreNoFiles) {
    TempDir dir;
    const std::string input = dir.Write("site.frt", ReadFile(kExample));
    const std::string kept = dir.Write("kept.dxf", "old");
    chmod(kept.c_str(), 0640);
    ASSERT_EQ(Batch(dir, "-q -o " + Quoted(kept) + " " + Quoted(input)).status, 0);
    struct stat info {};
    stat(kept.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640U);
    ASSERT_EQ(Batch(dir, "-q " + Quoted(input), "umask 027;").status, 0);
    stat(dir.File("site.dxf").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640U) << "the umask's";
    const BatchRun piped = Batch(dir, "-q -o /dev/stdout " + Quoted(input) + " | cat");
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_NE(piped.out.find("ENTITIES"), std::string::npos);

    // In a folder with a default ACL a new drawing gets what any new file there gets, mask and all,
    // also when the ACL names more users than a small buffer holds.
    std::string crowd = "u::rwx,g::rwx,o::rx";
    for (int uid = 20000; uid < 20080; ++uid)
        crowd += ",u:" + std::to_string(uid) + ":rw";
    for (const auto& [name, entries] :
         {std::pair{"shared", std::string("u::rwx,g::rwx,o::rx,u:nobody:rw")}, std::pair{"crowded", crowd}}) {
        const std::string shared = dir.File(name);
        fs::create_directory(shared);
        int raw = 0;
        Capture("setfacl -d -m " + entries + " " + Quoted(shared) + " 2>&1", &raw);
        if (raw != 0) {
            ADD_FAILURE() << "setfacl is missing or the file system has no ACLs";
            return;
        }
        ASSERT_EQ(
            Batch(dir, "-q -o " + Quoted(shared + "/site.dxf") + " " + Quoted(input), "umask 022;").status,
            0);
        Capture("umask 022; touch " + Quoted(shared + "/touched"));
        const auto acl = [](const std::string& path) {
            return Capture("getfacl -p --omit-header " + Quoted(path));
        };
        EXPECT_EQ(acl(shared + "/site.dxf"), acl(shared + "/touched")) << name;
        EXPECT_NE(acl(shared + "/site.dxf").find("mask::rw-"), std::string::npos) << name;
    }
}

// A reader that goes away early (| head -1) ends the reporting, not the conversions: each is
// finished and no temporary file is left.
TEST(Batch, AClosedPipeEndsOnlyTheReport) {
    TempDir dir;
    std::string big = ReadFile(kExample);
    for (int i = 0; i < 2000; ++i)
        big += "PID=" + std::to_string(10000 + i) + ";E=" + std::to_string(i) + ";N=1;HO=2\r\n";
    std::string args;
    for (const char* name : {"a", "b", "c", "d"})
        args += " " + Quoted(dir.Write(std::string(name) + ".frt", big));
    int raw = 0;
    Capture("(" + kBatch + " -j 2" + args + "; echo $? > " + Quoted(dir.File("status")) + ") | true", &raw);
    EXPECT_EQ(ReadFile(dir.File("status")), "0\n");
    for (const char* name : {"a", "b", "c", "d"})
        EXPECT_NE(ReadFile(dir.File(std::string(name) + ".dxf")).find("EOF"), std::string::npos) << name;
    EXPECT_EQ(dir.Names().size(), 9U) << "four inputs, four drawings, the status";
}

// The stored settings file is only read when it is a small regular file; anything else is said,
// and the defaults are used.
TEST(Batch, AHostileSettingsFileIsRefusedAndTheDefaultsUsed) {
    TempDir dir;
    const std::string input = dir.Write("site.frt", ReadFile(kExample));
    const std::string folder = dir.File("cfg/Halvora/QVO/PLVX");
    fs::create_directories(folder);
    const std::string ini = folder + "/frt2dxf.ini";
    const std::string env = "XDG_CONFIG_HOME=" + Quoted(dir.File("cfg"));
    const auto run = [&] {
        return Batch(dir, "-q --from-settings " + Quoted(input), "timeout 20 env " + env);
    };

    mkfifo(ini.c_str(), 0600);
    BatchRun got = run();
    EXPECT_EQ(got.status, 0) << "a pipe does not hang it";
    EXPECT_NE(got.err.find(ini + ": not a regular file; using the defaults"), std::string::npos) << got.err;
    fs::remove(ini);

    fs::create_symlink("/dev/zero", ini);
    got = run();
    EXPECT_EQ(got.status, 0);
    EXPECT_NE(got.err.find("not a regular file; using the defaults"), std::string::npos) << got.err;
    fs::remove(ini);

    dir.Write("cfg/Halvora/QVO/PLVX/frt2dxf.ini", std::string((1 << 20) + 1, '#'));
    got = run();
    EXPECT_NE(got.err.find("too large to be a settings file; using the defaults"), std::string::npos)
        << got.err;
    fs::remove(ini);

    fs::create_directory(ini);
    got = run();
    EXPECT_NE(got.err.find(ini + ": Is a directory; using the defaults"), std::string::npos) << got.err;
    EXPECT_NE(ReadFile(dir.File("site.dxf")).find("EOF"), std::string::npos);
}
