#pragma once

#include "export/SettingsSchema.h"

// The "DXF Export" dialog's template: every control with its id, kind, text and rectangle in
// dialog units, in tab order. Each platform's dialog is built from it.
namespace exportdlg {

namespace id = settingschema::id;

enum class ControlKind { Check, Group, Radio, Edit, List, Label, Button };

struct ControlSpec {
    int id;
    ControlKind kind;
    const char* text;
    int x, y, width, height;
};

constexpr int kWidth = 304;
constexpr int kHeight = 261;
constexpr const char* kVersion = "v" FRT2DXF_VERSION;

constexpr ControlSpec kControls[] = {
    {id::kPoints, ControlKind::Check, "Points", 23, 30, 84, 10},
    {id::kLines, ControlKind::Check, "Lines", 23, 46, 84, 10},
    {id::kAreas, ControlKind::Check, "Areas", 23, 62, 84, 10},
    {id::kSymbols, ControlKind::Check, "QVO Symbols", 23, 78, 84, 10},
    {id::kOptionsGroup, ControlKind::Group, "Export Options", 120, 6, 176, 100},
    {id::kDimensionsGroup, ControlKind::Group, "Dimensions", 124, 18, 64, 40},
    {id::k2d, ControlKind::Radio, "2D", 140, 30, 39, 10},
    {id::k3d, ControlKind::Radio, "3D", 140, 42, 39, 10},
    {id::kSizeGroup, ControlKind::Group, "Symbol Size (ground)", 192, 18, 100, 40},
    {id::kSymbolSize, ControlKind::Edit, "", 212, 38, 32, 12},
    {id::kLineExportGroup, ControlKind::Group, "Export Lines and Areas as", 124, 62, 168, 40},
    {id::kDxfLines, ControlKind::Radio, "DXF Lines", 140, 74, 84, 10},
    {id::kDxfPolylines, ControlKind::Radio, "DXF Polylines", 140, 86, 84, 10},
    {id::kLayersGroup, ControlKind::Group, "Layers", 8, 110, 288, 116},
    {id::kLayerPerCode, ControlKind::Check, "Create a DXF layer for each code group", 52, 122, 232, 10},
    {id::kLabelPointId, ControlKind::Check, "Point ID", 18, 150, 79, 10},
    {id::kLayerPointId, ControlKind::Edit, "", 97, 150, 91, 14},
    {id::kColourPointId, ControlKind::List, "", 190, 150, 58, 41},
    {id::kLabelEastNorth, ControlKind::Check, "Easting/Northing", 18, 166, 79, 10},
    {id::kLayerEastNorth, ControlKind::Edit, "", 97, 166, 91, 14},
    {id::kColourEastNorth, ControlKind::List, "", 190, 166, 58, 34},
    {id::kDecimalsEastNorth, ControlKind::Edit, "", 251, 166, 25, 14},
    {id::kLabelHeight, ControlKind::Check, "Height", 18, 182, 79, 10},
    {id::kLayerHeight, ControlKind::Edit, "", 97, 182, 91, 14},
    {id::kColourHeight, ControlKind::List, "", 190, 182, 58, 48},
    {id::kDecimalsHeight, ControlKind::Edit, "", 251, 182, 25, 14},
    {id::kLabelCode, ControlKind::Check, "Point Code", 18, 198, 79, 10},
    {id::kLayerCode, ControlKind::Edit, "", 97, 198, 91, 14},
    {id::kColourCode, ControlKind::List, "", 190, 198, 58, 48},
    {id::kOk, ControlKind::Button, "OK", 97, 228, 50, 16},
    {id::kCancel, ControlKind::Button, "Cancel", 156, 228, 50, 16},
    {id::kLabelsGroup, ControlKind::Group, "Labels", 13, 133, 273, 85},
    {id::kDataGroup, ControlKind::Group, "Data to Export", 7, 6, 105, 100},
    {id::kLayerNameHeading, ControlKind::Label, "Layer Name", 97, 141, 90, 8},
    {id::kColourHeading, ControlKind::Label, "Colour", 192, 141, 53, 8},
    {id::kDecimalsHeading, ControlKind::Label, "Decimals", 253, 141, 31, 8},
    {id::kSizeUnits, ControlKind::Label, "mm", 246, 38, 38, 8},
    {id::kVersion, ControlKind::Label, kVersion, 0, 248, 296, 13},
};

// The language keys of the control texts, in the order they are applied, with their control ids.
struct TextKey {
    const char* key;
    int id;
};
constexpr TextKey kTextKeys[] = {
    {"DATA_TO_EXPORT", id::kDataGroup},
    {"POINTS", id::kPoints},
    {"LINES", id::kLines},
    {"AREAS", id::kAreas},
    {"QVO_SYMBOLS", id::kSymbols},
    {"EXPORT_OPTIONS", id::kOptionsGroup},
    {"DIMENSIONS", id::kDimensionsGroup},
    {"DIM_2D", 1009},
    {"DIM_3D", 1010},
    {"LINE_EXPORT", id::kLineExportGroup},
    {"DXF_LINES", id::kDxfLines},
    {"DXF_POLYS", id::kDxfPolylines},
    {"SIZE", id::kSizeGroup},
    {"SIZE_UNITS", id::kSizeUnits},
    {"LAYERS", id::kLayersGroup},
    {"LAYER_PER_CODE", id::kLayerPerCode},
    {"LABELS", id::kLabelsGroup},
    {"LAYER_NAME", id::kLayerNameHeading},
    {"COLOUR", id::kColourHeading},
    {"DECIMALS", id::kDecimalsHeading},
    {"POINT_ID", id::kLabelPointId},
    {"E_N", id::kLabelEastNorth},
    {"H", id::kLabelHeight},
    {"CODE", id::kLabelCode},
    {"OK", id::kOk},
    {"CANCEL", id::kCancel},
};

// The colour names' keys and fallbacks, in list order.
struct ColourName {
    const char* key;
    const char* fallback;
};
constexpr ColourName kColours[] = {
    {"RED", "Red"},   {"YELLOW", "Yellow"},   {"GREEN", "Green"}, {"CYAN", "Cyan"},
    {"BLUE", "Blue"}, {"MAGENTA", "Magenta"}, {"BLACK", "Black"},
};

} // namespace exportdlg
