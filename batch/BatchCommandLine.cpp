#include "batch/BatchCommandLine.h"

#include "common/Letters.h"
#include "common/NumberText.h"
#include "common/PendingFiles.h"
#include "export/SettingsSchema.h"

#include <algorithm>
#include <string_view>
#include <thread>
#include <vector>

#include <cstdint>

unsigned BatchRequest::DefaultJobs() {
    return std::max(1U, std::thread::hardware_concurrency());
}

namespace batchcli {

namespace {

using settingschema::Kind;
using settingschema::Setting;

} // namespace

namespace {

// The DXF colour number of a name of the dialog's list (any case; "white" is what number 7
// shows on a dark screen) or of a number from 0 to 7; -1 for anything else.
int ColourNumber(const std::string& text) {
    static constexpr const char* kNames[] = {"red", "yellow", "green", "cyan", "blue", "magenta", "black"};
    const std::string lower = letters::AsciiLower(text);
    for (std::size_t i = 0; i < std::size(kNames); ++i)
        if (lower == kNames[i])
            return static_cast<int>(i) + 1;
    if (lower == "white")
        return ExportSettings::kColourCount;
    int number = -1;
    if (!numtext::ParseWhole(text, &number) || number < 0 || number > ExportSettings::kColourCount)
        return -1;
    return number;
}

// What an option works on while the command line is read.
struct Parse {
    ExportSettings& s;
    BatchRequest& request;
    std::string& error;
    std::string option; // as the messages name the option being read: "-j", "--jobs"
    const struct Option* current = nullptr;

    bool Refuse(const std::string& text) {
        error = option + ": " + text;
        return false;
    }
    bool Path(const std::string& value, std::string& target, const char* what) {
        if (value.empty())
            return Refuse(std::string("the ") + what + " is empty");
        target = value;
        return true;
    }
    // KIND=REST of the label options, with the label's setting of that kind; false when KIND
    // names no label.
    bool LabelValue(const char* form, const std::string& value, Kind kind, const Setting*& setting,
                    std::string& rest) {
        const std::size_t eq = value.find('=');
        setting = eq != std::string::npos ? settingschema::LabelSetting(value.substr(0, eq), kind) : nullptr;
        if (setting == nullptr)
            return Refuse(std::string("expected ") + form + " with KIND " + settingschema::kLabelKinds +
                          ", not '" + value + "'");
        rest = value.substr(eq + 1);
        return true;
    }
};

// The options that switch on a request, whatever their value.
template <bool BatchRequest::*Field> bool SetFlag(Parse& p, const std::string& /*value*/) {
    p.request.*Field = true;
    return true;
}

struct Option {
    const char* name;  // null for a setting's option: its row in the settings table names it
    char letter;       // of the short form, or none
    const char* value; // what the option takes, as the usage names it, or null for none
    bool (*apply)(Parse& p, const std::string& value);
    // Its lines of the usage, or null for the second form of a choice, shown with the first
    // (for a setting's switch or choice: the form that sets it to 0).
    const char* help;
    const char* heading = nullptr; // a line of the usage before it
    Setting::Member setting{};     // the setting it sets, when `name` is null

    [[nodiscard]] const char* Name() const {
        if (name != nullptr)
            return name;
        const Setting* row = settingschema::RowOf(setting);
        return row == nullptr ? "" : help == nullptr ? row->offOption : row->option;
    }
};

// An option of a row of the settings table, which says what it sets.
bool SetFromTable(Parse& p, const std::string& value) {
    const Setting* row = settingschema::RowOf(p.current->setting);
    if (row == nullptr) // a slip between the two tables, which a test looks for
        return p.Refuse("no setting has this option");
    const Setting& setting = *row;
    if (setting.kind == Kind::Switch || setting.kind == Kind::Choice) {
        setting.Field<int>(p.s) = p.current->help == nullptr ? 0 : 1;
        return true;
    }
    if (const std::string problem = setting.Take(value, p.s); !problem.empty())
        return p.Refuse(problem + ", not '" + value + "'");
    return true;
}

// The options of the settings table's rows, named by their rows.
constexpr Option On(Setting::Member setting, const char* help, const char* heading = nullptr) {
    return {nullptr, 0, nullptr, SetFromTable, help, heading, setting};
}
constexpr Option Off(Setting::Member setting) {
    return {nullptr, 0, nullptr, SetFromTable, nullptr, nullptr, setting};
}
constexpr Option Value(Setting::Member setting, const char* value, const char* help) {
    return {nullptr, 0, value, SetFromTable, help, nullptr, setting};
}

using S = ExportSettings;

// Every option, in the order the usage shows them, with what it does. Switches ignore the value.
const Option kOptions[] = {
    {"--output", 'o', "FILE",
     [](Parse& p, const std::string& value) { return p.Path(value, p.request.output, "output path"); },
     "output path (only with one INPUT), \"-\" for standard output;\n"
     "default: INPUT with its extension replaced by .dxf"},
    {"--output-dir", 't', "DIR",
     [](Parse& p, const std::string& value) { return p.Path(value, p.request.outputDir, "output folder"); },
     "put each drawing into the folder DIR as NAME.dxf (made if missing); with -r the\n"
     "drawings keep the subfolders their surveys were found in"},
    {"--recursive", 'r', nullptr, SetFlag<&BatchRequest::recursive>,
     "a folder given as INPUT: also the .frt files of its subfolders"},
    On(&S::m_bExportPoints, "take or leave out the points (default: take)",
       "Each choice has two forms; the later one on the command line wins."),
    Off(&S::m_bExportPoints),
    On(&S::m_bExportLines, "take or leave out the lines (default: take)"),
    Off(&S::m_bExportLines),
    On(&S::m_bExportAreas, "take or leave out the areas (default: take)"),
    Off(&S::m_bExportAreas),
    On(&S::m_bExportSymbols, "points as symbol inserts (default) or as POINT entities"),
    Off(&S::m_bExportSymbols),
    On(&S::m_bPointAttributes, "symbol inserts carry the point's PID, HEIGHT (with the height\n"
                               "label's decimals), CODE and CLASS as attributes, or not (default);\n"
                               "points without symbols stay POINTs and carry none"),
    Off(&S::m_bPointAttributes),
    On(&S::m_nDimension, "3D (default) or 2D output"),
    Off(&S::m_nDimension),
    On(&S::m_nLineExport, "lines and areas as polylines (default) or as separate LINE entities"),
    Off(&S::m_nLineExport),
    On(&S::m_bLayerPerCode, "one layer per code group (default) or everything on layer 0"),
    Off(&S::m_bLayerPerCode),
    {"--label", 0, "KIND",
     [](Parse& p, const std::string& kind) {
         const Setting* label = settingschema::LabelSetting(kind, Kind::Switch);
         if (label == nullptr)
             return p.Refuse("unknown label kind '" + kind + "'; use " + settingschema::kLabelKinds);
         label->Field<int>(p.s) = 1;
         return true;
     },
     "label points; repeatable; KIND is point-id, east-north, height\n"
     "or code; area labels each area with its stated size (AREA, in\n"
     "m2, with the height label's decimals) at the point inside it\n"
     "farthest from its edge; line-name labels each line with its\n"
     "name at the middle of its length (default: none)"},
    {"--no-labels", 0, nullptr,
     [](Parse& p, const std::string& /*value*/) {
         for (const Setting& setting : settingschema::kSettings)
             if (setting.kind == Kind::Switch && setting.labelKind != nullptr)
                 setting.Field<int>(p.s) = 0;
         return true;
     },
     "no labels, also none of the stored ones"},
    {"--label-layer", 0, "KIND=NAME",
     [](Parse& p, const std::string& value) {
         const Setting* layer = nullptr;
         std::string name;
         if (!p.LabelValue("KIND=NAME", value, Kind::LayerName, layer, name))
             return false;
         if (const std::string problem = layer->Take(name, p.s); !problem.empty())
             return p.Refuse(problem);
         p.request.givenLabelOptions.emplace_back("--label-layer", layer->labelKind);
         return true;
     },
     "layer of a label kind, 1 to 32 bytes\n"
     "(defaults PointID, Coords, Height, Code, AreaValue, LineName)"},
    On(&S::m_bAsciiNames, "layer names of ASCII only, Latin letters with marks as their\n"
                          "base letters (\"ae\" for a-umlaut), or keep the letters the code\n"
                          "page holds (default); other characters are \"_\" either way"),
    Off(&S::m_bAsciiNames),
    {"--label-colour", 0, "KIND=COLOUR",
     [](Parse& p, const std::string& value) {
         const Setting* colour = nullptr;
         std::string text;
         if (!p.LabelValue("KIND=COLOUR", value, Kind::Colour, colour, text))
             return false;
         const int number = ColourNumber(text);
         if (number < 0)
             return p.Refuse("the colour must be one of red, yellow, green, cyan, blue, magenta, black or a "
                             "number from 0 to " +
                             std::to_string(ExportSettings::kColourCount) + ", not '" + text + "'");
         colour->Field<int>(p.s) = number - 1; // the list index; 0 is no selection
         p.request.givenLabelOptions.emplace_back("--label-colour", colour->labelKind);
         return true;
     },
     "colour of a label kind, by name (any case) or DXF number:\n"
     "red 1, yellow 2, green 3, cyan 4, blue 5, magenta 6,\n"
     "black 7 (white on a dark screen), 0 none of its own\n"
     "(defaults point-id yellow, east-north green, height cyan,\n"
     "code blue, area magenta, line-name red)"},
    Value(&S::m_nDecimalsEN, "N", "decimals of easting/northing labels, 0-16 (default 3)"),
    Value(&S::m_nDecimalsH, "N", "decimals of height labels, 0-16 (default 3)"),
    Value(&S::m_fSymbolSize, "MM", "symbol size on the ground in millimetres, 1-999999 (default 100)"),
    On(&S::m_bHatch, "areas with a hatch style (SSTYLE) get their hatch lines, in the\n"
                     "fill colour (SCOLOR), as a block inserted on the area's layer;\n"
                     "or none (default)"),
    Off(&S::m_bHatch),
    Value(&S::m_fHatchSpacing, "UNITS",
          "between hatch lines, 0.01-100000 drawing units (default 0);\n"
          "0 is ten symbol sizes, 1 at 100 mm"),
    On(&S::m_bXData, "each element's entity carries its type, name, group, code,\n"
                     "class, hatch, fill and area and its typed attributes as\n"
                     "extended data (application FRT2DXF), or none (default)"),
    Off(&S::m_bXData),
    {"--codepage", 0, "PAGE",
     [](Parse& p, const std::string& value) {
         p.request.codePage = codepage::FindSpelled(value);
         if (p.request.codePage == nullptr)
             return p.Refuse("the code page must be one of 1250 to 1258 (as 1251, cp1251, windows-1251 or "
                             "ANSI_1251), not '" +
                             value + "'");
         return true;
     },
     "the drawings' code page, 1250 to 1258 (also as cp1251,\n"
     "windows-1251 or ANSI_1251), declared in them; a UTF-8 input's\n"
     "texts are written in it, a file in an 8-bit code page keeps its\n"
     "bytes (default: for UTF-8, the page that holds its texts,\n"
     "declared unless 1252; else none declared, read as 1252)"},
    {"--from-settings", 0, nullptr, SetFlag<&BatchRequest::fromSettings>,
     "start from the desktop program's stored settings"},
    {"--strict", 0, nullptr, SetFlag<&BatchRequest::strict>,
     "fail an input that has questionable values (each is\n"
     "reported as a warning and converted with a fallback)"},
    {"--no-clobber", 'n', nullptr, SetFlag<&BatchRequest::noClobber>,
     "keep an existing output: its input is skipped, which is no\n"
     "failure"},
    {"--update", 'u', nullptr, SetFlag<&BatchRequest::update>,
     "convert only an input that is newer than its drawing (or has\n"
     "none), as cp -u copies; the others are skipped"},
    {"--verbose", 'v', nullptr, SetFlag<&BatchRequest::verbose>,
     "also say each input that was skipped (-n, -u)"},
    {"--no-sync", 0, nullptr, SetFlag<&BatchRequest::noSync>,
     "put each output in place without waiting until it is on the disk:\n"
     "faster, but a power cut soon after may lose it (for scratch\n"
     "output; by default every output is on the disk before exit)"},
    {"--lock-wait", 0, "SECONDS",
     [](Parse& p, const std::string& value) {
         if (!numtext::ParseWhole(value, &p.request.lockWaitSeconds) || p.request.lockWaitSeconds < 0 ||
             p.request.lockWaitSeconds > 86400)
             return p.Refuse("the seconds to wait must be from 0 to 86400, not '" + value + "'");
         return true;
     },
     "how long to wait for another program writing an output that gets\n"
     "the drawing in place (default 30); said after a second"},
    {"--dry-run", 0, nullptr, SetFlag<&BatchRequest::dryRun>,
     "read and check every input and say what it holds, but write no\n"
     "drawing (the report is written when asked for)"},
    {"--report", 0, "FILE",
     [](Parse& p, const std::string& value) { return p.Path(value, p.request.report, "report path"); },
     "write what each input gave as JSON to FILE: paths, status,\n"
     "elements read, entities by kind and layer, extents, every\n"
     "warning with its line, bytes and seconds"},
    {"--preview", 0, "FILE.svg",
     [](Parse& p, const std::string& value) { return p.Path(value, p.request.preview, "picture's path"); },
     "draw the drawing as an SVG picture too, 1600 pixels on its longer\n"
     "side: points as marks, lines and areas in their colours and\n"
     "dashes; more than 200000 elements are thinned (one input only)"},
    {"--preview-labels", 0, nullptr, SetFlag<&BatchRequest::previewLabels>,
     "the picture shows the labels too"},
    {"--jobs", 'j', "N",
     [](Parse& p, const std::string& value) {
         constexpr int kMostJobs = 256;
         // Every job's temporary drawing must be known to the interrupt handler.
         static_assert(kMostJobs + 8 <= pendingfiles::kCapacity, "room for every job's temporary file");
         int count = 0;
         if (!numtext::ParseWhole(value, &count) || count < 1 || count > kMostJobs)
             return p.Refuse("the number of jobs must be from 1 to " + std::to_string(kMostJobs) + ", not '" +
                             value + "'");
         p.request.jobs = static_cast<unsigned>(count);
         return true;
     },
     "use N threads (default: the number of cores): N inputs\n"
     "at once, or a single large input in parts on all N;\n"
     "messages still come in input order"},
    {"--quiet", 'q', nullptr, SetFlag<&BatchRequest::quiet>, "no progress and no summary"},
    {"--help", 'h', nullptr, SetFlag<&BatchRequest::help>, "show this text"},
    {"--version", 0, nullptr, SetFlag<&BatchRequest::version>, "show the version"},
};

// The usage's line of an option and its second form, with its help beside it from column 30.
void AppendUsage(std::string& usage, const Option& option, const Option* second) {
    constexpr std::size_t kHelpColumn = 29;
    if (option.heading != nullptr)
        usage.append(option.heading).append("\n");
    std::string forms = "  ";
    if (option.letter != 0)
        forms.append(1, '-').append(1, option.letter).append(", ");
    forms += option.Name();
    if (second != nullptr)
        forms.append(", ").append(second->Name());
    if (option.value != nullptr)
        forms.append(" ").append(option.value);
    usage += forms;
    if (forms.size() < kHelpColumn)
        usage.append(kHelpColumn - forms.size(), ' ');
    else
        usage.append("\n").append(kHelpColumn, ' ');
    for (const char* at = option.help; *at != '\0'; ++at) {
        usage += *at;
        if (*at == '\n')
            usage.append(kHelpColumn, ' ');
    }
    usage += '\n';
}

// How many letters must be put in, left out or changed to make one text the other.
std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The option a mistyped name most likely meant (at most two letters off), or empty.
std::string Nearest(const std::string& name) {
    std::string nearest;
    std::size_t best = 3;
    for (const Option& option : kOptions)
        if (const std::size_t distance = EditDistance(name, option.Name()); distance < best) {
            best = distance;
            nearest = option.Name();
        }
    return nearest;
}

// The long option of that name, or of which the name is an unambiguous beginning; null with
// `error` set when there is none or more than one.
const Option* FindLong(const std::string& name, std::string& error) {
    const Option* found = nullptr;
    std::string candidates;
    for (const Option& option : kOptions) {
        const std::string_view full = option.Name();
        if (full == name)
            return &option;
        if (full.rfind(name, 0) == 0) {
            found = found == nullptr ? &option : found;
            candidates += " " + std::string(full);
        }
    }
    if (found == nullptr) {
        error = "unknown option '" + name + "'";
        if (const std::string nearest = Nearest(name); !nearest.empty())
            error += "; did you mean '" + nearest + "'?";
    } else if (candidates.find(' ', 1) != std::string::npos)
        error = "option '" + name + "' is ambiguous; possibilities:" + candidates;
    else
        return found;
    return nullptr;
}

const Option* FindShort(char letter) {
    for (const Option& option : kOptions)
        if (option.letter == letter)
            return &option;
    return nullptr;
}

// Reads one argument that begins with "-": a long option with its value in the same word
// ("--output=FILE") or the next, or a cluster of short ones ("-qj2", "-oFILE", "-j 2"). `i` moves
// on past a value taken from the next argument.
bool ParseOption(Parse& parse, const std::vector<std::string>& args, std::size_t& i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) == 0) {
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        const Option* option = FindLong(name, parse.error);
        if (option == nullptr)
            return false;
        parse.option = option->Name();
        parse.current = option;
        if (!(option->value != nullptr) && eq != std::string::npos)
            return parse.Refuse("takes no value");
        std::string value;
        if (eq != std::string::npos)
            value = arg.substr(eq + 1);
        else if ((option->value != nullptr) && i + 1 >= args.size())
            return parse.Refuse("a value is missing");
        else if ((option->value != nullptr))
            value = args[++i];
        return option->apply(parse, value);
    }
    for (std::size_t at = 1; at < arg.size(); ++at) {
        const Option* option = FindShort(arg[at]);
        parse.option = "-" + std::string(1, arg[at]);
        parse.current = option;
        if (option == nullptr) {
            parse.error = "unknown option '" + parse.option + "'";
            return false;
        }
        if (!(option->value != nullptr)) {
            if (!option->apply(parse, {}))
                return false;
            continue;
        }
        std::string value = arg.substr(at + 1);
        if (value.empty() && at + 1 == arg.size()) {
            if (i + 1 >= args.size())
                return parse.Refuse("a value is missing");
            value = args[++i];
        }
        return option->apply(parse, value);
    }
    return true;
}

} // namespace

std::vector<OptionForm> OptionForms() {
    std::vector<OptionForm> forms;
    for (const Option& option : kOptions)
        forms.push_back({option.Name(), option.letter, option.value != nullptr});
    return forms;
}

std::string Usage() {
    std::string usage = R"(Usage: frt2dxf-batch [options] INPUT...
Converts FRT survey files to DXF R12 drawings. The input files are never changed.
INPUT "-" is standard input; its drawing goes to standard output unless -o says otherwise.

INPUT may be a folder: its .frt files, in name order (with -r, those of its subfolders too).

)";
    for (const Option& option : kOptions) {
        if (option.help == nullptr)
            continue;
        const Option* second = &option + 1;
        AppendUsage(usage, option,
                    second != std::end(kOptions) && second->help == nullptr ? second : nullptr);
    }
    usage += "Exit status: 0 when every input was converted or skipped, 1 when any failed, 2 for usage\n"
             "errors.\n";
    return usage;
}

std::vector<std::string> IdleOptions(const ExportSettings& s, const BatchRequest& request) {
    std::vector<std::string> idle;
    if (s.m_bExportPoints == 0 && s.m_bExportLines == 0 && s.m_bExportAreas == 0)
        idle.emplace_back(
            "--no-points, --no-lines and --no-areas leave out every element: the drawings are empty");
    if (s.m_bPointAttributes != 0 && s.m_bExportSymbols == 0 && s.m_bExportPoints != 0)
        idle.emplace_back(
            "--point-attributes: the points are no symbol inserts (--no-symbols), so they carry "
            "no attributes");
    if (s.m_bHatch != 0 && s.m_bExportAreas == 0)
        idle.emplace_back("--hatch: the areas are left out (--no-areas), so nothing is hatched");
    if (s.m_fHatchSpacing != 0 && s.m_bHatch == 0)
        idle.emplace_back("--hatch-spacing: no hatch is drawn (--hatch draws them)");
    for (const auto& [option, kind] : request.givenLabelOptions) {
        const Setting* label = settingschema::LabelSetting(kind, Kind::Switch);
        if (label != nullptr && label->Field<int>(s) == 0)
            idle.push_back(std::string(option) + " " + kind + ": no " + kind + " label is drawn (--label " +
                           kind + " draws it)");
    }
    return idle;
}

std::string OneInputProblem(const BatchRequest& request, std::size_t inputs) {
    if (inputs <= 1)
        return {};
    if (!request.output.empty())
        return "--output: only with one input file (-t DIR puts each drawing into a folder)";
    if (!request.preview.empty())
        return "--preview: only with one input file";
    return {};
}

bool ParseCommandLine(const std::vector<std::string>& args, ExportSettings& s, BatchRequest& request,
                      std::string& error) {
    Parse parse{s, request, error, {}};
    bool optionsDone = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsDone || arg.empty() || arg[0] != '-' || arg == "-") {
            request.inputs.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsDone = true;
            continue;
        }
        if (!ParseOption(parse, args, i))
            return false;
    }
    if (request.help || request.version)
        return true;
    const auto fail = [&error](const char* text) {
        error = text;
        return false;
    };
    if (request.inputs.empty())
        return fail("no input file given");
    if (!request.output.empty() && !request.outputDir.empty())
        return fail("--output-dir: not with --output, which names the one drawing");
    if (const std::string problem = OneInputProblem(request, request.inputs.size()); !problem.empty()) {
        error = problem;
        return false;
    }
    if (request.previewLabels && request.preview.empty())
        return fail("--preview-labels: only with --preview");
    // The picture is SVG whatever it is called: a name that says another format is a slip.
    if (const std::size_t dot = request.preview.find_last_of("./\\");
        dot != std::string::npos && request.preview[dot] == '.' && dot + 1 < request.preview.size()) {
        if (letters::AsciiLower(request.preview.substr(dot + 1)) != "svg") {
            error = "--preview: the picture is an SVG file; name it with .svg, not '" + request.preview + "'";
            return false;
        }
    }
    if (request.dryRun && !request.preview.empty())
        return fail("--preview: not with --dry-run, which writes no drawing");
    return true;
}

} // namespace batchcli
