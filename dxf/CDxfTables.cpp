#include "dxf/CDxfTables.h"

#include "common/TextStream.h"
#include "dxf/DxfGroup.h"
#include "dxf/DxfStructure.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

using namespace dxfstructure;
using namespace dxfgroup;

namespace {

constexpr double kLargest = std::numeric_limits<double>::max();
constexpr double kMargin = 10.0;

// The applications whose extended data the drawing may hold.
constexpr std::string_view kApplications[] = {"ACAD", "FRT2DXF"};

// The fixed line types, written as they stand: name, description, number of dash elements,
// pattern length (the sum of the elements' lengths) and the elements: a dash (positive), a dot
// (0) or a gap (negative). Every dot has a gap on each side, or readers draw the line solid.
struct LineType {
    std::string_view name;
    std::string_view description;
    std::string_view dashCount;
    std::string_view length;
    std::array<std::string_view, 6> dashes;
};
constexpr LineType kLineTypes[] = {
    {"Solid_Line", "Solid Line", "0", "0.0", {}},
    {"Dashed_Line", "Dashed Line", "2", "0.75", {"0.50", "-0.25"}},
    {"Dotted_Line", "Dotted Line", "2", "0.25", {"0.00", "-0.25"}},
    {"Dashdot_Line", "Dashdot Line", "4", "1.00", {"0.50", "-0.25", "0.00", "-0.25"}},
    // Line style 4 names this type; CAD programs reject a drawing that uses an undefined one.
    {"Dashdotdot_Line", "Dashdotdot Line", "6", "1.25", {"0.50", "-0.25", "0.00", "-0.25", "0.00", "-0.25"}},
};

// The header variables in their order. Most have a fixed value; the others are computed from the
// drawing and the settings when the header is written.
enum class Computed {
    None,
    ExtMin,
    ExtMax,
    LimMin,
    LimMax,
    LineTypeScale,
    TextSize,
    AngleBase,
    PointMode,
    PointSize
};
struct HeaderVariable {
    std::string_view name;
    std::string_view value;       // a fixed value
    dxfgroup::Code code = kStart; // of a fixed value
    Computed computed = Computed::None;
};
constexpr HeaderVariable kHeader[] = {
    {"$ACADVER", "AC1009", kText},
    {"$EXTMIN", "", kStart, Computed::ExtMin},
    {"$EXTMAX", "", kStart, Computed::ExtMax},
    {"$LIMMIN", "", kStart, Computed::LimMin},
    {"$LIMMAX", "", kStart, Computed::LimMax},
    {"$LTSCALE", "", kStart, Computed::LineTypeScale},
    {"$ATTMODE", "1", kFlags},
    {"$FILLMODE", "1", kFlags},
    {"$TEXTSIZE", "", kStart, Computed::TextSize},
    {"$TEXTSTYLE", "STANDARD", kTextStyle},
    {"$CELTYPE", "BYLAYER", kLineType},
    {"$PLINEGEN", "1", kFlags},
    {"$CECOLOR", "0", kColour},
    {"$LUNITS", "2", kFlags},
    {"$LUPREC", "3", kFlags},
    {"$AUPREC", "4", kFlags},
    {"$ANGBASE", "", kStart, Computed::AngleBase},
    {"$ANGDIR", "0", kFlags},
    {"$PDMODE", "", kStart, Computed::PointMode},
    {"$PDSIZE", "", kStart, Computed::PointSize},
    {"$PLINEGEN", "1", kFlags}, // a second time, as CAD programs have always read it
    {"$MEASUREMENT", "1", kFlags},
};

} // namespace

CDxfTables::CDxfTables()
    : m_extMin{kLargest, kLargest, kLargest}, m_extMax{-kLargest, -kLargest, -kLargest} {}

void CDxfTables::widenExtents(const DxfPoint3& p) {
    // Two independent tests per axis; a NaN fails both, so 2D points leave z alone.
    if (m_extMax.x < p.x)
        m_extMax.x = p.x;
    if (m_extMin.x > p.x)
        m_extMin.x = p.x;
    if (m_extMax.y < p.y)
        m_extMax.y = p.y;
    if (m_extMin.y > p.y)
        m_extMin.y = p.y;
    if (m_extMax.z < p.z)
        m_extMax.z = p.z;
    if (m_extMin.z > p.z)
        m_extMin.z = p.z;
}

void CDxfTables::merge(const CDxfTables& later) {
    m_extMin.x = std::min(m_extMin.x, later.m_extMin.x);
    m_extMin.y = std::min(m_extMin.y, later.m_extMin.y);
    m_extMin.z = std::min(m_extMin.z, later.m_extMin.z);
    m_extMax.x = std::max(m_extMax.x, later.m_extMax.x);
    m_extMax.y = std::max(m_extMax.y, later.m_extMax.y);
    m_extMax.z = std::max(m_extMax.z, later.m_extMax.z);
    m_layers.merge(later.m_layers);
}

bool CDxfTables::addBlock(CDxfBlock&& block) {
    if (m_blocks.count(block.name) != 0)
        return false;
    std::string name = block.name;
    m_blocks.emplace(std::move(name), std::move(block));
    return true;
}

void CDxfTables::writeHeader(TextStream& stream, const DxfWriteSettings& settings) const {
    // The margin goes on copies: writing the same document twice gives the same file.
    DxfPoint3 low = m_extMin;
    low.x -= kMargin;
    low.y -= kMargin;
    if (low.z == kLargest)
        low.z = std::numeric_limits<double>::quiet_NaN();
    DxfPoint3 high = m_extMax;
    high.x += kMargin;
    high.y += kMargin;
    if (high.z == -kLargest)
        high.z = std::numeric_limits<double>::quiet_NaN();
    // Nothing widened them: an empty box at the origin, not the initial values, whose minimum
    // exceeds the maximum and whose 309 digits readers take as a broken header.
    if (isEmpty()) {
        low = DxfPoint3{0.0, 0.0, std::numeric_limits<double>::quiet_NaN()};
        high = low;
    }
    const double scale = settings.symbolScale;

    BeginSection(stream, "HEADER");
    for (const HeaderVariable& variable : kHeader) {
        Variable(stream, variable.name);
        switch (variable.computed) {
        case Computed::None:
            dxfgroup::Text(stream, variable.code, variable.value);
            break;
        case Computed::ExtMin:
            low.writePoint(stream, 0);
            break;
        case Computed::ExtMax:
            high.writePoint(stream, 0);
            break;
        case Computed::LimMin:
            dxfgroup::Real(stream, dxfgroup::kX, low.x);
            dxfgroup::Real(stream, dxfgroup::kY, low.y);
            break;
        case Computed::LimMax:
            dxfgroup::Real(stream, dxfgroup::kX, high.x);
            dxfgroup::Real(stream, dxfgroup::kY, high.y);
            break;
        case Computed::LineTypeScale:
        case Computed::PointSize:
            dxfgroup::Real(stream, dxfgroup::kSize, scale);
            break;
        case Computed::TextSize:
            dxfgroup::Real(stream, dxfgroup::kSize, scale + scale);
            break;
        case Computed::AngleBase:
            dxfgroup::Real(stream, dxfgroup::kAngle, 0.0);
            break;
        case Computed::PointMode:
            dxfgroup::Int(stream, dxfgroup::kFlags, settings.pointMode);
            break;
        }
        // Declared only when chosen, so that a drawing without it stays as it always was.
        if (variable.name == "$ACADVER" && settings.codePage != nullptr) {
            Variable(stream, "$DWGCODEPAGE");
            dxfgroup::Text(stream, dxfgroup::kDescription, settings.codePage->name);
        }
    }
    EndSection(stream);
}

void CDxfTables::writeTables(TextStream& stream, const DxfWriteSettings& settings) const {
    BeginSection(stream, "TABLES");
    BeginTable(stream, "LTYPE", static_cast<std::int64_t>(std::size(kLineTypes)));
    for (const LineType& type : kLineTypes) {
        dxfgroup::Text(stream, dxfgroup::kStart, "LTYPE");
        dxfgroup::Text(stream, dxfgroup::kName, type.name);
        dxfgroup::Text(stream, dxfgroup::kFlags, "0");
        dxfgroup::Text(stream, dxfgroup::kDescription, type.description);
        dxfgroup::Text(stream, dxfgroup::kHorizontalAlign, "65"); // the alignment code, always "A"
        dxfgroup::Text(stream, dxfgroup::kVerticalAlign, type.dashCount);
        dxfgroup::Text(stream, dxfgroup::kSize, type.length);
        for (const std::string_view dash : type.dashes)
            if (!dash.empty())
                dxfgroup::Text(stream, dxfgroup::kDashLength, dash);
    }
    EndTable(stream);

    BeginTable(stream, "LAYER", static_cast<std::int64_t>(m_layers.size()));
    for (const CDxfLayer& layer : m_layers) {
        dxfgroup::Text(stream, dxfgroup::kStart, "LAYER");
        dxfgroup::Text(stream, dxfgroup::kName, layer.name); // named by the rule: nothing to encode
        dxfgroup::Int(stream, dxfgroup::kFlags, 0);
        dxfgroup::Int(stream, dxfgroup::kColour, layer.colour != 0 ? layer.colour : 7);
        dxfgroup::Text(stream, dxfgroup::kLineType,
                       layer.lineType.empty() ? std::string_view("Solid_Line") : layer.lineType);
    }
    EndTable(stream);
    // Readers take extended data only of an application registered here; ACAD always is.
    if (settings.extendedData) {
        BeginTable(stream, "APPID", static_cast<std::int64_t>(std::size(kApplications)));
        for (const std::string_view application : kApplications) {
            dxfgroup::Text(stream, dxfgroup::kStart, "APPID");
            dxfgroup::Text(stream, dxfgroup::kName, application);
            dxfgroup::Int(stream, dxfgroup::kFlags, 0);
        }
        EndTable(stream);
    }
    EndSection(stream);
}

void CDxfTables::writeBlocks(TextStream& stream) const {
    const DxfPoint3 base{0.0, 0.0, 0.0};
    for (const auto& [name, block] : m_blocks) {
        const bool attributes =
            std::any_of(block.entities.begin(), block.entities.end(),
                        [](const auto& entity) { return entity->entityType() == DXF_ENTITY_ATTDEF; });
        BeginBlock(stream, name,
                   dxfgroup::kBlockReferenced | (attributes ? dxfgroup::kBlockHasAttributes : 0), base);
        for (const auto& entity : block.entities)
            entity->write(stream);
        EndBlock(stream);
    }
}
