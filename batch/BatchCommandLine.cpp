#include "batch/BatchCommandLine.h"

#include "common/NumberText.h"

#include <charconv>
#include <cstdint>
#include <functional>
#include <map>

const char* const kBatchUsage = R"(Usage: frt2dxf-batch [options] INPUT...
Converts FRT survey files to DXF R12 drawings. The input files are never changed.

  -o, --output FILE          output path (only with one INPUT); default: INPUT with its
                             extension replaced by .dxf
  --no-points --no-lines --no-areas
                             leave out a data kind (default: all three)
  --no-symbols               POINT entities instead of symbol inserts
  --2d                       2D output (default: 3D)
  --separate-lines           lines and areas as separate LINE entities (default: polylines)
  --single-layer             everything on layer 0 (default: one layer per code group)
  --label KIND               label points; repeatable; KIND is point-id, east-north, height
                             or code (default: none)
  --label-layer KIND=NAME    layer of a label kind, at most 32 bytes
                             (defaults PointID, Coords, Height, Code)
  --label-colour KIND=N      DXF colour number 0-7 of a label kind
                             (defaults point-id 2, east-north 3, height 4, code 5)
  --decimals-en N            decimals of easting/northing labels, 0-16 (default 3)
  --decimals-h N             decimals of height labels, 0-16 (default 3)
  --symbol-size MM           symbol size on the ground in millimetres, 1-999999 (default 100)
  --from-settings            start from the desktop program's stored settings
  --strict                   fail an input that has questionable values (each is
                             reported as a warning and converted with a fallback)
  -q, --quiet                no progress and no summary
  -h, --help                 show this text
  --version                  show the version
Exit status: 0 when every input was converted, 1 when any failed, 2 for usage errors.
)";

namespace {

constexpr std::size_t kMaxLayerName = 32;

// A whole decimal number, nothing before or after it.
bool WholeInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

bool WholeReal(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

struct LabelFields {
    int* flag;
    std::string* layer;
    int* colour;
};

bool LabelOf(ExportSettings& s, const std::string& kind, LabelFields& fields) {
    if (kind == "point-id")
        fields = {&s.m_bLabelPointId, &s.m_strLayerPointId, &s.m_nColourPointId};
    else if (kind == "east-north")
        fields = {&s.m_bLabelEastNorth, &s.m_strLayerEastNorth, &s.m_nColourEastNorth};
    else if (kind == "height")
        fields = {&s.m_bLabelHeight, &s.m_strLayerHeight, &s.m_nColourHeight};
    else if (kind == "code")
        fields = {&s.m_bLabelCode, &s.m_strLayerCode, &s.m_nColourCode};
    else
        return false;
    return true;
}

const char* const kKinds = "point-id, east-north, height or code";

} // namespace

bool WantsStoredSettings(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--")
            return false;
        if (arg == "--from-settings")
            return true;
    }
    return false;
}

std::string StoredValueProblem(const ExportSettings& s) {
    const std::pair<const char*, const std::string*> names[] = {{"NamePointId", &s.m_strLayerPointId},
                                                                {"NameEastNorth", &s.m_strLayerEastNorth},
                                                                {"NameHeight", &s.m_strLayerHeight},
                                                                {"NameCode", &s.m_strLayerCode}};
    for (const auto& [name, value] : names)
        if (value->size() > kMaxLayerName)
            return std::string(name) + "=" + *value + ": the layer name may have at most 32 bytes";
    if (s.m_nDecimalsEN < 0 || s.m_nDecimalsEN > 16)
        return "DecimalsEN=" + std::to_string(s.m_nDecimalsEN) +
               ": the number of decimals must be from 0 to 16";
    if (s.m_nDecimalsH < 0 || s.m_nDecimalsH > 16)
        return "DecimalsH=" + std::to_string(s.m_nDecimalsH) +
               ": the number of decimals must be from 0 to 16";
    if (!(s.m_fSymbolSize >= 1.0F && s.m_fSymbolSize <= 999999.0F))
        return "SymbolSize=" + numtext::FormatShortest(s.m_fSymbolSize) +
               ": the symbol size must be from 1 to 999999";
    return {};
}

bool ParseCommandLine(const std::vector<std::string>& args, ExportSettings& s, BatchRequest& request,
                      std::string& error) {
    const std::map<std::string, std::function<void()>> switches = {
        {"--no-points", [&s] { s.m_bExportPoints = 0; }},
        {"--no-lines", [&s] { s.m_bExportLines = 0; }},
        {"--no-areas", [&s] { s.m_bExportAreas = 0; }},
        {"--no-symbols", [&s] { s.m_bExportSymbols = 0; }},
        {"--2d", [&s] { s.m_nDimension = 0; }},
        {"--separate-lines", [&s] { s.m_nLineExport = 0; }},
        {"--single-layer", [&s] { s.m_bLayerPerCode = 0; }},
        {"--from-settings", [&request] { request.fromSettings = true; }},
        {"-q", [&request] { request.quiet = true; }},
        {"--quiet", [&request] { request.quiet = true; }},
        {"--strict", [&request] { request.strict = true; }},
        {"-h", [&request] { request.help = true; }},
        {"--help", [&request] { request.help = true; }},
        {"--version", [&request] { request.version = true; }},
    };
    using Handler = std::function<bool(const std::string&)>;
    const auto decimals = [&error](const char* option, int& target) -> Handler {
        return [&error, &target, option](const std::string& value) {
            if (!WholeInt(value, target) || target < 0 || target > 16) {
                error = std::string(option) + ": the number of decimals must be from 0 to 16, not '" + value +
                        "'";
                return false;
            }
            return true;
        };
    };
    const std::map<std::string, Handler> valued = {
        {"-o",
         [&request](const std::string& v) {
             request.output = v;
             return true;
         }},
        {"--output",
         [&request](const std::string& v) {
             request.output = v;
             return true;
         }},
        {"--label",
         [&s, &error](const std::string& kind) {
             LabelFields f{};
             if (!LabelOf(s, kind, f)) {
                 error = "--label: unknown label kind '" + kind + "'; use " + kKinds;
                 return false;
             }
             *f.flag = 1;
             return true;
         }},
        {"--label-layer",
         [&s, &error](const std::string& value) {
             const std::size_t eq = value.find('=');
             LabelFields f{};
             if (eq == std::string::npos || !LabelOf(s, value.substr(0, eq), f)) {
                 error = "--label-layer: expected KIND=NAME with KIND " + std::string(kKinds) + ", not '" +
                         value + "'";
                 return false;
             }
             *f.layer = value.substr(eq + 1);
             if (f.layer->size() > kMaxLayerName) {
                 error = "--label-layer: the layer name may have at most 32 bytes";
                 return false;
             }
             return true;
         }},
        {"--label-colour",
         [&s, &error](const std::string& value) {
             const std::size_t eq = value.find('=');
             LabelFields f{};
             int number = -1;
             if (eq == std::string::npos || !LabelOf(s, value.substr(0, eq), f)) {
                 error = "--label-colour: expected KIND=N with KIND " + std::string(kKinds) + ", not '" +
                         value + "'";
                 return false;
             }
             if (!WholeInt(value.substr(eq + 1), number) || number < 0 || number > 7) {
                 error = "--label-colour: the colour number must be from 0 to 7, not '" +
                         value.substr(eq + 1) + "'";
                 return false;
             }
             *f.colour = number - 1; // the list index; 0 is no selection
             return true;
         }},
        {"--decimals-en", decimals("--decimals-en", s.m_nDecimalsEN)},
        {"--decimals-h", decimals("--decimals-h", s.m_nDecimalsH)},
        {"--symbol-size",
         [&s, &error](const std::string& value) {
             double size = 0;
             if (!WholeReal(value, size) || size < 1 || size > 999999) {
                 error = "--symbol-size: the symbol size must be from 1 to 999999, not '" + value + "'";
                 return false;
             }
             s.m_fSymbolSize = static_cast<float>(size);
             return true;
         }},
    };

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
        if (const auto sw = switches.find(arg); sw != switches.end()) {
            sw->second();
            continue;
        }
        std::string name = arg;
        std::string value;
        bool hasValue = false;
        if (const std::size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            hasValue = true;
        }
        const auto handler = valued.find(name);
        if (handler == valued.end()) {
            error = "unknown option '" + arg + "'";
            return false;
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) {
                error = name + ": a value is missing";
                return false;
            }
            value = args[++i];
        }
        if (!handler->second(value))
            return false;
    }
    if (request.help || request.version)
        return true;
    if (request.inputs.empty()) {
        error = "no input file given";
        return false;
    }
    if (!request.output.empty() && request.inputs.size() != 1) {
        error = "--output: only with one input file";
        return false;
    }
    return true;
}
