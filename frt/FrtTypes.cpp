#include "frt/FrtTypes.h"

#include <array>

namespace frttypes {

namespace {

constexpr std::array<std::string_view, 8> kPointClassNames = {
    "Control", "Adjusted", "Reference", "Averaged", "Measured", "Navigated", "Estimated", "Indefinited",
};

constexpr std::array<std::string_view, 5> kLineStyleTexts = {
    "0 Solid", "1 Dash", "2 Dot", "3 DashDot", "4 DashDotDot",
};

constexpr std::array<std::string_view, 5> kLineTypeNames = {
    "Solid_Line", "Dashed_Line", "Dotted_Line", "Dashdot_Line", "Dashdotdot_Line",
};

constexpr std::array<std::string_view, 6> kHatchStyleTexts = {
    "0 Horizontal", "1 Vertical", "2 FDiagonal", "3 BDiagonal", "4 Cross", "5 Diacross",
};

} // namespace

std::string_view PointClassName(std::int32_t pointClass) {
    if (pointClass < POINT_CLASS_CONTROL || pointClass > POINT_CLASS_INDEFINITED)
        return {};
    return kPointClassNames[static_cast<std::size_t>(pointClass - 1)];
}

PointClass PointClassFromText(std::string_view pclass) {
    if (pclass == "MEAS")
        return POINT_CLASS_MEASURED;
    if (pclass == "MEAN")
        return POINT_CLASS_AVERAGED;
    if (pclass == "CTRL")
        return POINT_CLASS_CONTROL;
    if (pclass == "NAV")
        return POINT_CLASS_NAVIGATED;
    return POINT_CLASS_ESTIMATED;
}

std::string_view LineTypeName(std::int32_t style) {
    if (style < LINE_STYLE_SOLID || style > LINE_STYLE_DASHDOTDOT)
        return {};
    return kLineTypeNames[static_cast<std::size_t>(style)];
}

bool LineStyleFromText(std::string_view lstyle, LineStyle& style) {
    for (std::size_t i = 0; i < kLineStyleTexts.size(); ++i) {
        if (lstyle == kLineStyleTexts[i]) {
            style = static_cast<LineStyle>(i);
            return true;
        }
    }
    return false;
}

std::string_view HatchStyleText(std::int32_t style) {
    if (style < 1 || style > static_cast<std::int32_t>(kHatchStyleTexts.size()))
        return {};
    return kHatchStyleTexts[static_cast<std::size_t>(style - 1)];
}

HatchStyle HatchStyleFromText(std::string_view sstyle) {
    for (std::size_t i = 0; i < kHatchStyleTexts.size(); ++i) {
        if (sstyle == kHatchStyleTexts[i])
            return static_cast<HatchStyle>(i + 1);
    }
    return HATCH_STYLE_NONE;
}

} // namespace frttypes
