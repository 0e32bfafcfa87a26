#include "export/SettingsSchema.h"

#include "common/NumberText.h"

#include <cmath>
#include <cstring>

namespace settingschema {

namespace {

using S = ExportSettings;

// A switch or choice: the option sets it to 1, the off option to 0.
struct Options {
    const char* on;
    const char* off;
};

constexpr Setting Switch(const char* stored, int S::*member, int control, Options options) {
    return {stored, member, nullptr, nullptr, Kind::Switch, control, 0, options.on, options.off};
}

constexpr Setting LabelSwitch(const char* stored, int S::*member, int control, const char* labelKind) {
    return {stored, member, nullptr, labelKind, Kind::Switch, control, 0, nullptr, nullptr};
}

constexpr Setting Choice(const char* stored, int S::*member, int zero, int one, Options options) {
    return {stored, member, nullptr, nullptr, Kind::Choice, zero, one, options.on, options.off};
}

constexpr Setting LayerName(const char* stored, std::string S::*member, const char* languageKey, int control,
                            const char* labelKind) {
    return {stored, member, languageKey, labelKind, Kind::LayerName, control, 0, nullptr, nullptr};
}

constexpr Setting Decimals(const char* stored, int S::*member, int control, const char* option) {
    return {stored, member, nullptr, nullptr, Kind::Decimals, control, 0, option, nullptr};
}

constexpr Setting Colour(const char* stored, int S::*member, int control, const char* labelKind) {
    return {stored, member, nullptr, labelKind, Kind::Colour, control, 0, nullptr, nullptr};
}

constexpr Setting SymbolSize(const char* stored, float S::*member, int control, const char* option) {
    return {stored, member, nullptr, nullptr, Kind::SymbolSize, control, 0, option, nullptr};
}

// A spacing is never on the dialog.
constexpr Setting Spacing(const char* stored, float S::*member, const char* option) {
    return {stored, member, nullptr, nullptr, Kind::Spacing, Setting::kNotOnDialog, 0, option, nullptr};
}

constexpr int kOff = Setting::kNotOnDialog;

// In the order they are stored. "ExportPoinst" is the name the stored settings have always had.
const Setting kRows[] = {
    Switch("ExportPoinst", &S::m_bExportPoints, id::kPoints, {"--points", "--no-points"}),
    Switch("ExportLines", &S::m_bExportLines, id::kLines, {"--lines", "--no-lines"}),
    Switch("ExportAreas", &S::m_bExportAreas, id::kAreas, {"--areas", "--no-areas"}),
    Switch("ExportQVO", &S::m_bExportSymbols, id::kSymbols, {"--symbols", "--no-symbols"}),
    Choice("Dimension", &S::m_nDimension, id::k2d, id::k3d, {"--3d", "--2d"}),
    Choice("ExportAsPolylines", &S::m_nLineExport, id::kDxfLines, id::kDxfPolylines,
           {"--polylines", "--separate-lines"}),
    Switch(nullptr, &S::m_bLayerPerCode, id::kLayerPerCode, {"--layer-per-code", "--single-layer"}),
    LayerName("NamePointId", &S::m_strLayerPointId, "POINT_ID_NAME", id::kLayerPointId, "point-id"),
    LayerName("NameEastNorth", &S::m_strLayerEastNorth, "E_N_NAME", id::kLayerEastNorth, "east-north"),
    LayerName("NameHeight", &S::m_strLayerHeight, "H_NAME", id::kLayerHeight, "height"),
    LayerName("NameCode", &S::m_strLayerCode, "CODE_NAME", id::kLayerCode, "code"),
    LabelSwitch("LabelPoint", &S::m_bLabelPointId, id::kLabelPointId, "point-id"),
    LabelSwitch("LabelLines", &S::m_bLabelEastNorth, id::kLabelEastNorth, "east-north"),
    LabelSwitch("LabelAreas", &S::m_bLabelHeight, id::kLabelHeight, "height"),
    LabelSwitch("LabelQVOSymbol", &S::m_bLabelCode, id::kLabelCode, "code"),
    Decimals("DecimalsEN", &S::m_nDecimalsEN, id::kDecimalsEastNorth, "--decimals-en"),
    Decimals("DecimalsH", &S::m_nDecimalsH, id::kDecimalsHeight, "--decimals-h"),
    Colour("ColorPoint", &S::m_nColourPointId, id::kColourPointId, "point-id"),
    Colour("ColorEN", &S::m_nColourEastNorth, id::kColourEastNorth, "east-north"),
    Colour("ColorH", &S::m_nColourHeight, id::kColourHeight, "height"),
    Colour("ColorCode", &S::m_nColourCode, id::kColourCode, "code"),
    SymbolSize("SymbolSize", &S::m_fSymbolSize, id::kSymbolSize, "--symbol-size"),
    // Not on the dialog.
    Switch("PointAttributes", &S::m_bPointAttributes, kOff, {"--point-attributes", "--no-point-attributes"}),
    Switch("AsciiNames", &S::m_bAsciiNames, kOff, {"--ascii-names", "--no-ascii-names"}),
    Switch("Hatch", &S::m_bHatch, kOff, {"--hatch", "--no-hatch"}),
    Spacing("HatchSpacing", &S::m_fHatchSpacing, "--hatch-spacing"),
    Switch("XData", &S::m_bXData, kOff, {"--xdata", "--no-xdata"}),
    LabelSwitch("LabelAreaValue", &S::m_bLabelAreaValue, kOff, "area"),
    LabelSwitch("LabelLineName", &S::m_bLabelLineName, kOff, "line-name"),
    LayerName("NameAreaValue", &S::m_strLayerAreaValue, nullptr, kOff, "area"),
    LayerName("NameLineName", &S::m_strLayerLineName, nullptr, kOff, "line-name"),
    Colour("ColorAreaValue", &S::m_nColourAreaValue, kOff, "area"),
    Colour("ColorLineName", &S::m_nColourLineName, kOff, "line-name"),
};

} // namespace

const SettingRows kSettings{std::begin(kRows), std::end(kRows)};

const char* const kLabelKinds = "point-id, east-north, height, code, area or line-name";

const ExportSettings& Defaults() {
    static const ExportSettings defaults;
    return defaults;
}

std::string DefaultText(const Setting& setting, const LanguageText& language) {
    const auto& fallback = setting.Field<std::string>(Defaults());
    if (setting.languageKey == nullptr || !language)
        return fallback;
    return language(setting.languageKey, fallback.c_str());
}

bool DecimalsInRange(double value) {
    return value >= 0 && value <= kMaxDecimals && value == std::floor(value);
}

bool SymbolSizeInRange(double value) {
    return value >= kMinSymbolSize && value <= kMaxSymbolSize;
}

bool HatchSpacingInRange(double value) {
    return value == 0 || (value >= kMinHatchSpacing && value <= kMaxHatchSpacing);
}

bool ReadDecimals(const std::string& text, int& value) {
    double number = -1;
    if (!numtext::ParseWhole(text, &number) || !DecimalsInRange(number))
        return false;
    value = static_cast<int>(number);
    return true;
}

bool ReadSymbolSize(const std::string& text, float& value) {
    double number = 0;
    if (!numtext::ParseWhole(text, &number) || !SymbolSizeInRange(number))
        return false;
    value = static_cast<float>(number);
    return true;
}

namespace {

std::string LayerNameProblem(const std::string& name) {
    if (name.empty())
        return "the layer name is empty";
    if (name.size() > kMaxLayerName)
        return "the layer name may have at most " + std::to_string(kMaxLayerName) + " bytes";
    return {};
}

// Why a number of that kind is refused.
std::string RangeProblem(Kind kind) {
    if (kind == Kind::Decimals)
        return "the number of decimals must be from 0 to " + std::to_string(kMaxDecimals);
    if (kind == Kind::Spacing)
        return "the hatch spacing must be 0 (ten symbol sizes) or from " +
               numtext::FormatShortest(kMinHatchSpacing) + " to " + numtext::FormatShortest(kMaxHatchSpacing);
    return "the symbol size must be from " + numtext::FormatShortest(kMinSymbolSize) + " to " +
           numtext::FormatShortest(kMaxSymbolSize);
}

} // namespace

std::string Setting::Check(const ExportSettings& settings) const {
    switch (kind) {
    case Kind::LayerName:
        return LayerNameProblem(Field<std::string>(settings));
    case Kind::Decimals:
        return DecimalsInRange(Field<int>(settings)) ? std::string() : RangeProblem(kind);
    case Kind::SymbolSize:
        return SymbolSizeInRange(Field<float>(settings)) ? std::string() : RangeProblem(kind);
    case Kind::Spacing:
        return HatchSpacingInRange(Field<float>(settings)) ? std::string() : RangeProblem(kind);
    case Kind::Switch:
    case Kind::Choice:
    case Kind::Colour:
        break; // any stored number is taken: non-zero is on, a colour outside the list is none
    }
    return {};
}

std::string Setting::Spelled(const ExportSettings& settings) const {
    switch (kind) {
    case Kind::LayerName:
        return Field<std::string>(settings);
    case Kind::SymbolSize:
    case Kind::Spacing:
        return numtext::FormatShortest(Field<float>(settings));
    case Kind::Switch:
    case Kind::Choice:
    case Kind::Decimals:
    case Kind::Colour:
        break;
    }
    return std::to_string(Field<int>(settings));
}

std::string Setting::Take(const std::string& text, ExportSettings& settings) const {
    switch (kind) {
    case Kind::LayerName: {
        std::string problem = LayerNameProblem(text);
        if (problem.empty())
            Field<std::string>(settings) = text;
        return problem;
    }
    case Kind::Decimals:
        return ReadDecimals(text, Field<int>(settings)) ? std::string() : RangeProblem(kind);
    case Kind::SymbolSize:
        return ReadSymbolSize(text, Field<float>(settings)) ? std::string() : RangeProblem(kind);
    case Kind::Spacing: {
        double number = -1;
        if (!numtext::ParseWhole(text, &number) || !HatchSpacingInRange(number))
            return RangeProblem(kind);
        Field<float>(settings) = static_cast<float>(number);
        return {};
    }
    case Kind::Switch:
    case Kind::Choice:
    case Kind::Colour:
        break;
    }
    return "takes no text";
}

std::string Problem(const ExportSettings& settings) {
    for (const Setting& setting : kSettings)
        if (const std::string problem = setting.Check(settings); !problem.empty())
            return std::string(setting.stored != nullptr ? setting.stored : "") + "=" +
                   setting.Spelled(settings) + ": " + problem;
    return {};
}

const Setting* RowOf(const Setting::Member& member) {
    for (const Setting& setting : kSettings)
        if (setting.member == member)
            return &setting;
    return nullptr;
}

const Setting* LabelSetting(const std::string& labelKind, Kind kind) {
    for (const Setting& setting : kSettings)
        if (setting.kind == kind && setting.labelKind != nullptr && labelKind == setting.labelKind)
            return &setting;
    return nullptr;
}

} // namespace settingschema

// Stored and read by the table, in its order: the table is where each setting is written down.
using settingschema::Kind;
using settingschema::Setting;

void ExportSettings::Load(ISettingsStore& store, const LanguageText& language) {
    for (const Setting& setting : settingschema::kSettings) {
        if (setting.stored == nullptr)
            continue;
        switch (setting.kind) {
        case Kind::Switch:
        case Kind::Choice:
        case Kind::Decimals:
            setting.Field<int>(*this) =
                store.ReadInt(kSection, setting.stored, setting.Field<int>(settingschema::Defaults()));
            break;
        case Kind::Colour: {
            // One outside the list selects none (the label gets colour 0), and is said as any
            // other bad value is.
            int colour =
                store.ReadInt(kSection, setting.stored, setting.Field<int>(settingschema::Defaults()));
            if (colour < 0 || colour >= kColourCount) {
                store.NoteBadValue(setting.stored, std::to_string(colour) +
                                                       " is not one of the colours 0 to " +
                                                       std::to_string(kColourCount - 1));
                colour = -1;
            }
            setting.Field<int>(*this) = colour;
            break;
        }
        case Kind::LayerName:
            setting.Field<std::string>(*this) =
                store.ReadText(kSection, setting.stored, settingschema::DefaultText(setting, language));
            break;
        case Kind::SymbolSize:
        case Kind::Spacing: {
            // Read whole: "50mm" is no size of 50.
            const double fallback = setting.Field<float>(settingschema::Defaults());
            const std::string text =
                store.ReadText(kSection, setting.stored, setting.Spelled(settingschema::Defaults()));
            double size = fallback;
            if (!numtext::ParseWhole(text, &size)) {
                store.NoteBadValue(setting.stored, "'" + text + "' is not a number");
                size = fallback;
            }
            setting.Field<float>(*this) = static_cast<float>(size);
            break;
        }
        }
    }
}

void ExportSettings::Store(ISettingsStore& store) const {
    for (const Setting& setting : settingschema::kSettings) {
        // A default setup stores only what the host's dialog knows.
        if (setting.stored == nullptr ||
            (!setting.OnDialog() && setting.Spelled(*this) == setting.Spelled(settingschema::Defaults())))
            continue;
        switch (setting.kind) {
        case Kind::Switch:
        case Kind::Choice:
        case Kind::Decimals:
        case Kind::Colour:
            store.WriteInt(kSection, setting.stored, setting.Field<int>(*this));
            break;
        case Kind::LayerName:
            store.WriteText(kSection, setting.stored, setting.Field<std::string>(*this));
            break;
        case Kind::SymbolSize:
        case Kind::Spacing:
            store.WriteText(kSection, setting.stored,
                            numtext::FormatFixed(setting.Field<float>(*this), 6)); // as "%f"
            break;
        }
    }
}
