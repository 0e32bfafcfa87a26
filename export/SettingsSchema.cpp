#include "export/SettingsSchema.h"

#include "common/NumberText.h"

#include <cmath>
#include <cstring>

namespace settingschema {

namespace {

using S = ExportSettings;

constexpr Setting Switch(const char* stored, int S::*member, int defaultValue, int control,
                         const char* labelKind = nullptr) {
    return {stored, member, "", nullptr, labelKind, Kind::Switch, defaultValue, control, 0};
}

constexpr Setting Choice(const char* stored, int S::*member, int defaultValue, int zero, int one) {
    return {stored, member, "", nullptr, nullptr, Kind::Choice, defaultValue, zero, one};
}

constexpr Setting LayerName(const char* stored, std::string S::*member, const char* languageKey,
                            const char* fallback, int control, const char* labelKind) {
    return {stored, member, fallback, languageKey, labelKind, Kind::LayerName, 0, control, 0};
}

constexpr Setting Decimals(const char* stored, int S::*member, int control) {
    return {stored, member, "", nullptr, nullptr, Kind::Decimals, 3, control, 0};
}

constexpr Setting Colour(const char* stored, int S::*member, int defaultValue, int control,
                         const char* labelKind) {
    return {stored, member, "", nullptr, labelKind, Kind::Colour, defaultValue, control, 0};
}

constexpr Setting SymbolSize(const char* stored, float S::*member, int control) {
    return {stored, member, "", nullptr, nullptr, Kind::SymbolSize, 100, control, 0};
}

std::string Quoted(const Setting& setting, const std::string& value) {
    return std::string(setting.stored != nullptr ? setting.stored : "") + "=" + value;
}

} // namespace

// In the order they are stored. "ExportPoinst" is the name the stored settings have always had.
const Setting kSettings[22] = {
    Switch("ExportPoinst", &S::m_bExportPoints, 1, id::kPoints),
    Switch("ExportLines", &S::m_bExportLines, 1, id::kLines),
    Switch("ExportAreas", &S::m_bExportAreas, 1, id::kAreas),
    Switch("ExportQVO", &S::m_bExportSymbols, 1, id::kSymbols),
    Choice("Dimension", &S::m_nDimension, 1, id::k2d, id::k3d),
    Choice("ExportAsPolylines", &S::m_nLineExport, 1, id::kDxfLines, id::kDxfPolylines),
    Switch(nullptr, &S::m_bLayerPerCode, 1, id::kLayerPerCode),
    LayerName("NamePointId", &S::m_strLayerPointId, "POINT_ID_NAME", "PointID", id::kLayerPointId,
              "point-id"),
    LayerName("NameEastNorth", &S::m_strLayerEastNorth, "E_N_NAME", "Coords", id::kLayerEastNorth,
              "east-north"),
    LayerName("NameHeight", &S::m_strLayerHeight, "H_NAME", "Height", id::kLayerHeight, "height"),
    LayerName("NameCode", &S::m_strLayerCode, "CODE_NAME", "Code", id::kLayerCode, "code"),
    Switch("LabelPoint", &S::m_bLabelPointId, 0, id::kLabelPointId, "point-id"),
    Switch("LabelLines", &S::m_bLabelEastNorth, 0, id::kLabelEastNorth, "east-north"),
    Switch("LabelAreas", &S::m_bLabelHeight, 0, id::kLabelHeight, "height"),
    Switch("LabelQVOSymbol", &S::m_bLabelCode, 0, id::kLabelCode, "code"),
    Decimals("DecimalsEN", &S::m_nDecimalsEN, id::kDecimalsEastNorth),
    Decimals("DecimalsH", &S::m_nDecimalsH, id::kDecimalsHeight),
    Colour("ColorPoint", &S::m_nColourPointId, 1, id::kColourPointId, "point-id"),
    Colour("ColorEN", &S::m_nColourEastNorth, 2, id::kColourEastNorth, "east-north"),
    Colour("ColorH", &S::m_nColourHeight, 3, id::kColourHeight, "height"),
    Colour("ColorCode", &S::m_nColourCode, 4, id::kColourCode, "code"),
    SymbolSize("SymbolSize", &S::m_fSymbolSize, id::kSymbolSize),
};

const char* const kLabelKinds = "point-id, east-north, height or code";

std::string DefaultText(const Setting& setting, const LanguageText& language) {
    if (setting.languageKey == nullptr || !language)
        return setting.defaultText;
    return language(setting.languageKey, setting.defaultText);
}

bool DecimalsInRange(double value) {
    return value >= 0 && value <= kMaxDecimals && value == std::floor(value);
}

bool SymbolSizeInRange(double value) {
    return value >= kMinSymbolSize && value <= kMaxSymbolSize;
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

std::string LayerNameProblem(const std::string& name) {
    if (name.empty())
        return "the layer name is empty";
    if (name.size() > kMaxLayerName)
        return "the layer name may have at most " + std::to_string(kMaxLayerName) + " bytes";
    return {};
}
std::string DecimalsOutOfRange() {
    return "the number of decimals must be from 0 to " + std::to_string(kMaxDecimals);
}
std::string SymbolSizeOutOfRange() {
    return "the symbol size must be from " + numtext::FormatShortest(kMinSymbolSize) + " to " +
           numtext::FormatShortest(kMaxSymbolSize);
}

std::string Problem(const ExportSettings& settings) {
    for (const Setting& setting : kSettings) {
        switch (setting.kind) {
        case Kind::LayerName:
            if (const std::string problem = LayerNameProblem(setting.Field<std::string>(settings));
                !problem.empty())
                return Quoted(setting, setting.Field<std::string>(settings)) + ": " + problem;
            break;
        case Kind::Decimals: {
            const int value = setting.Field<int>(settings);
            if (!DecimalsInRange(value))
                return Quoted(setting, std::to_string(value)) + ": " + DecimalsOutOfRange();
            break;
        }
        case Kind::SymbolSize: {
            const float value = setting.Field<float>(settings);
            if (!SymbolSizeInRange(value))
                return Quoted(setting, numtext::FormatShortest(value)) + ": " + SymbolSizeOutOfRange();
            break;
        }
        case Kind::Switch:
        case Kind::Choice:
        case Kind::Colour:
            break; // any stored number is taken: non-zero is on, a colour outside the list is none
        }
    }
    return {};
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

namespace {

// A colour selection index (0..6, else -1) from a stored value.
int ColourSelection(int stored) {
    return stored >= 0 && stored < ExportSettings::kColourCount ? stored : -1;
}

} // namespace

void ExportSettings::Load(ISettingsStore& store, const LanguageText& language) {
    for (const Setting& setting : settingschema::kSettings) {
        if (setting.stored == nullptr)
            continue;
        switch (setting.kind) {
        case Kind::Switch:
        case Kind::Choice:
        case Kind::Decimals:
            setting.Field<int>(*this) = store.ReadInt(kSection, setting.stored, setting.defaultNumber);
            break;
        case Kind::Colour:
            setting.Field<int>(*this) =
                ColourSelection(store.ReadInt(kSection, setting.stored, setting.defaultNumber));
            break;
        case Kind::LayerName:
            setting.Field<std::string>(*this) =
                store.ReadText(kSection, setting.stored, settingschema::DefaultText(setting, language));
            break;
        case Kind::SymbolSize: {
            // Read whole: "50mm" is no size of 50.
            const std::string text =
                store.ReadText(kSection, setting.stored, std::to_string(setting.defaultNumber));
            double size = setting.defaultNumber;
            if (!numtext::ParseWhole(text, &size)) {
                store.NoteBadValue(setting.stored, "'" + text + "' is not a number");
                size = setting.defaultNumber;
            }
            setting.Field<float>(*this) = static_cast<float>(size);
            break;
        }
        }
    }
    m_bPointAttributes = store.ReadInt(kSection, kPointAttributes, 0) != 0 ? 1 : 0;
    m_bAsciiNames = store.ReadInt(kSection, kAsciiNames, 0) != 0 ? 1 : 0;
}

void ExportSettings::Store(ISettingsStore& store) const {
    for (const Setting& setting : settingschema::kSettings) {
        if (setting.stored == nullptr)
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
            store.WriteText(kSection, setting.stored,
                            numtext::FormatFixed(setting.Field<float>(*this), 6)); // as "%f"
            break;
        }
    }
    // Written only when on: the stored values of a default setup stay the ones the host knows.
    if (m_bPointAttributes != 0)
        store.WriteInt(kSection, kPointAttributes, m_bPointAttributes);
    if (m_bAsciiNames != 0)
        store.WriteInt(kSection, kAsciiNames, m_bAsciiNames);
}
