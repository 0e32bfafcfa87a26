#pragma once

// The "DXF Export" dialog's template: every control with its id, kind, text and rectangle in
// dialog units, in tab order. Each platform's dialog is built from it.
namespace exportdlg {

enum class ControlKind { Check, Group, Radio, Edit, List, Label, Button };

struct ControlSpec {
    int id;
    ControlKind kind;
    const char* text;
    int x, y, width, height;
};

constexpr int kWidth = 304;
constexpr int kHeight = 261;
constexpr const char* kVersion = "v1.02";

constexpr ControlSpec kControls[] = {
    {1000, ControlKind::Check, "Points", 23, 30, 84, 10},
    {1002, ControlKind::Check, "Lines", 23, 46, 84, 10},
    {1003, ControlKind::Check, "Areas", 23, 62, 84, 10},
    {1001, ControlKind::Check, "QVO Symbols", 23, 78, 84, 10},
    {1036, ControlKind::Group, "Export Options", 120, 6, 176, 100},
    {1005, ControlKind::Group, "Dimensions", 124, 18, 64, 40},
    {1009, ControlKind::Radio, "2D", 140, 30, 39, 10},
    {1010, ControlKind::Radio, "3D", 140, 42, 39, 10},
    {1037, ControlKind::Group, "Symbol Size (ground)", 192, 18, 100, 40},
    {1033, ControlKind::Edit, "", 212, 38, 32, 12},
    {1006, ControlKind::Group, "Export Lines and Areas as", 124, 62, 168, 40},
    {1011, ControlKind::Radio, "DXF Lines", 140, 74, 84, 10},
    {1013, ControlKind::Radio, "DXF Polylines", 140, 86, 84, 10},
    {1007, ControlKind::Group, "Layers", 8, 110, 288, 116},
    {1012, ControlKind::Check, "Create a DXF layer for each code group", 52, 122, 232, 10},
    {1014, ControlKind::Check, "Point ID", 18, 150, 79, 10},
    {1018, ControlKind::Edit, "", 97, 150, 91, 14},
    {1024, ControlKind::List, "", 190, 150, 58, 41},
    {1015, ControlKind::Check, "Easting/Northing", 18, 166, 79, 10},
    {1020, ControlKind::Edit, "", 97, 166, 91, 14},
    {1022, ControlKind::List, "", 190, 166, 58, 34},
    {1027, ControlKind::Edit, "", 251, 166, 25, 14},
    {1016, ControlKind::Check, "Height", 18, 182, 79, 10},
    {1019, ControlKind::Edit, "", 97, 182, 91, 14},
    {1025, ControlKind::List, "", 190, 182, 58, 48},
    {1028, ControlKind::Edit, "", 251, 182, 25, 14},
    {1017, ControlKind::Check, "Point Code", 18, 198, 79, 10},
    {1021, ControlKind::Edit, "", 97, 198, 91, 14},
    {1026, ControlKind::List, "", 190, 198, 58, 48},
    {1, ControlKind::Button, "OK", 97, 228, 50, 16},
    {2, ControlKind::Button, "Cancel", 156, 228, 50, 16},
    {1008, ControlKind::Group, "Labels", 13, 133, 273, 85},
    {1004, ControlKind::Group, "Data to Export", 7, 6, 105, 100},
    {1030, ControlKind::Label, "Layer Name", 97, 141, 90, 8},
    {1031, ControlKind::Label, "Colour", 192, 141, 53, 8},
    {1032, ControlKind::Label, "Decimals", 253, 141, 31, 8},
    {1035, ControlKind::Label, "mm", 246, 38, 38, 8},
    {1038, ControlKind::Label, kVersion, 0, 248, 304, 13},
};

// The language keys of the control texts, in the order they are applied, with their control ids.
struct TextKey {
    const char* key;
    int id;
};
constexpr TextKey kTextKeys[] = {
    {"DATA_TO_EXPORT", 1004},
    {"POINTS", 1000},
    {"LINES", 1002},
    {"AREAS", 1003},
    {"QVO_SYMBOLS", 1001},
    {"EXPORT_OPTIONS", 1036},
    {"DIMENSIONS", 1005},
    {"DIM_2D", 1009},
    {"DIM_3D", 1010},
    {"LINE_EXPORT", 1006},
    {"DXF_LINES", 1011},
    {"DXF_POLYS", 1013},
    {"SIZE", 1037},
    {"SIZE_UNITS", 1035},
    {"LAYERS", 1007},
    {"LAYER_PER_CODE", 1012},
    {"LABELS", 1008},
    {"LAYER_NAME", 1030},
    {"COLOUR", 1031},
    {"DECIMALS", 1032},
    {"POINT_ID", 1014},
    {"E_N", 1015},
    {"H", 1016},
    {"CODE", 1017},
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

// The label rows, in the order of the label kinds: check box, layer edit, colour list.
constexpr int kLabelRows[4][3] = {
    {1014, 1018, 1024}, {1015, 1020, 1022}, {1016, 1019, 1025}, {1017, 1021, 1026}};

} // namespace exportdlg
