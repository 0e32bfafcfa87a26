#pragma once

#include "export/ExportSettings.h"

#include <cstddef>
#include <string>
#include <variant>

// Every value the options dialog edits, written down once: its name in the store, its kind,
// default and limits, the control that shows it, the batch options that set it and, for the
// label settings, the label kind the batch options name. Loading, storing, checking, both dialogs
// and the batch options loop over this table.
namespace settingschema {

// The controls of the "DXF Export" dialog, by their template ids.
namespace id {
enum Control : int {
    kOk = 1,
    kCancel = 2,
    kPoints = 1000,
    kSymbols = 1001,
    kLines = 1002,
    kAreas = 1003,
    kDataGroup = 1004,
    kDimensionsGroup = 1005,
    kLineExportGroup = 1006,
    kLayersGroup = 1007,
    kLabelsGroup = 1008,
    k2d = 1009,
    k3d = 1010,
    kDxfLines = 1011,
    kLayerPerCode = 1012,
    kDxfPolylines = 1013,
    kLabelPointId = 1014,
    kLabelEastNorth = 1015,
    kLabelHeight = 1016,
    kLabelCode = 1017,
    kLayerPointId = 1018,
    kLayerHeight = 1019,
    kLayerEastNorth = 1020,
    kLayerCode = 1021,
    kColourEastNorth = 1022,
    kColourPointId = 1024,
    kColourHeight = 1025,
    kColourCode = 1026,
    kDecimalsEastNorth = 1027,
    kDecimalsHeight = 1028,
    kLayerNameHeading = 1030,
    kColourHeading = 1031,
    kDecimalsHeading = 1032,
    kSymbolSize = 1033,
    kSizeUnits = 1035,
    kOptionsGroup = 1036,
    kSizeGroup = 1037,
    kVersion = 1038,
};
} // namespace id

// The limits of the values.
constexpr std::size_t kMaxLayerName = 32; // bytes, as the drawing holds the name
constexpr int kMaxDecimals = 16;
constexpr double kMinSymbolSize = 1;
constexpr double kMaxSymbolSize = 999999;
// Hatch line spacing in drawing units; 0 is ten symbol sizes.
constexpr double kMinHatchSpacing = 0.01;
constexpr double kMaxHatchSpacing = 100000;

enum class Kind {
    Switch,     // a check box, 0 or 1
    Choice,     // two radio buttons, 0 or 1
    LayerName,  // an edit, 1 to kMaxLayerName bytes
    Decimals,   // an edit, 0 to kMaxDecimals
    SymbolSize, // an edit, kMinSymbolSize to kMaxSymbolSize
    Colour,     // a list of the seven colours; -1 is no selection
    Spacing,    // not on the dialog: 0, or kMinHatchSpacing to kMaxHatchSpacing
};

struct Setting {
    // The value's member: an int for Switch, Choice, Decimals and Colour, a text for LayerName, a
    // float for SymbolSize and Spacing.
    using Member =
        std::variant<int ExportSettings::*, std::string ExportSettings::*, float ExportSettings::*>;

    // The value in `settings`, of the member's type.
    template <class T> T& Field(ExportSettings& settings) const {
        return settings.*std::get<T ExportSettings::*>(member);
    }
    template <class T> [[nodiscard]] const T& Field(const ExportSettings& settings) const {
        return settings.*std::get<T ExportSettings::*>(member);
    }

    // Why the value in `settings` is outside its limits, or empty: the stored values and the
    // batch options are put to it; the dialog reads its numbers with Read* below, which test the
    // same limits.
    [[nodiscard]] std::string Check(const ExportSettings& settings) const;
    // The value as the store and the messages spell it.
    [[nodiscard]] std::string Spelled(const ExportSettings& settings) const;
    // Takes a value given as text (Decimals, SymbolSize, LayerName) whole, as the dialog does
    // ("3mm" is no number): empty when taken, else why not (Check's words).
    [[nodiscard]] std::string Take(const std::string& text, ExportSettings& settings) const;

    // Whether the dialog shows it; those it does not are stored only when not at their defaults.
    [[nodiscard]] bool OnDialog() const { return control != kNotOnDialog; }
    static constexpr int kNotOnDialog = 0;

    const char* stored;      // null for the one that is not stored (on at every start)
    Member member;           // its default is the member's in ExportSettings{}
    const char* languageKey; // LayerName: the language text that is its default
    const char* labelKind;   // the label's settings: its kind in the batch options
    Kind kind;
    int control;       // Choice: the button of 0; kNotOnDialog for a setting the dialog lacks
    int secondControl; // Choice: the button of 1
    // The batch option that sets it: to 1 for Switch and Choice, to its value for the others;
    // null for the label settings, which --label and the like set by their kind.
    const char* option;
    const char* offOption; // Switch and Choice: the option that sets it to 0
};

// The rows, to loop over.
struct SettingRows {
    const Setting* first;
    const Setting* last;
    [[nodiscard]] const Setting* begin() const { return first; }
    [[nodiscard]] const Setting* end() const { return last; }
};
extern const SettingRows kSettings;

// The row of the setting, or null.
const Setting* RowOf(const Setting::Member& member);

using LanguageText = ExportSettings::LanguageText;

// The one test of each number's limits, which the dialog, the batch options and the stored
// values all ask: a number of decimals is whole, from 0 to kMaxDecimals; a symbol size from
// kMinSymbolSize to kMaxSymbolSize. Read* take the text whole ("3mm" is no number) and give the
// value only when it passes.
[[nodiscard]] bool DecimalsInRange(double value);
[[nodiscard]] bool SymbolSizeInRange(double value);
[[nodiscard]] bool HatchSpacingInRange(double value);
[[nodiscard]] bool ReadDecimals(const std::string& text, int& value);
[[nodiscard]] bool ReadSymbolSize(const std::string& text, float& value);

// Every value's default, as ExportSettings gives it.
const ExportSettings& Defaults();

// The default of a layer name: the language's text for it, else the English default.
std::string DefaultText(const Setting& setting, const LanguageText& language);

// The first value outside its limits, as "Name=value: reason" with its stored name; empty when
// every value is inside them.
std::string Problem(const ExportSettings& settings);

// The label setting of that kind (point-id, east-north, height, code, area, line-name), or null.
const Setting* LabelSetting(const std::string& labelKind, Kind kind);

// The kinds' names for messages: "point-id, east-north, height, code, area or line-name".
extern const char* const kLabelKinds;

} // namespace settingschema
