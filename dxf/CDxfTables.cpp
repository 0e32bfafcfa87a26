#include "dxf/CDxfTables.h"

#include "common/TextStream.h"
#include "dxf/DxfStructure.h"
#include "dxf/DxfTextGroup.h"

#include <algorithm>
#include <array>
#include <string_view>

using namespace dxfstructure;

namespace {

constexpr double kLargest = std::numeric_limits<double>::max();
constexpr double kMargin = 10.0;

// The fixed line types, written as they stand: (code, value) pairs after "  0", "LTYPE".
using LineTypeText = std::array<std::string_view, 20>;
constexpr std::array<LineTypeText, 5> kLineTypes = {{
    {"  2", "Solid_Line", " 70", "0", "  3", "Solid Line", " 72", "65", " 73", "0", " 40", "0.0"},
    {"  2", "Dashed_Line", " 70", "0", "  3", "Dashed Line", " 72", "65", " 73", "2", " 40", "0.75", " 49",
     "0.50", " 49", "-0.25"},
    {"  2", "Dotted_Line", " 70", "0", "  3", "Dotted Line", " 72", "65", " 73", "2", " 40", "0.25", " 49",
     "0.00", " 49", "-0.25"},
    {"  2", "Dashdot_Line", " 70", "0", "  3", "Dashdot Line", " 72", "65", " 73", "2", " 40", "0.75", " 49",
     "0.50", " 49", "0.00"},
    // Line style 4 names this type; CAD programs reject a drawing that uses an undefined one.
    {"  2", "Dashdotdot_Line",
     " 70", "0",
     "  3", "Dashdotdot Line",
     " 72", "65",
     " 73", "4",
     " 40", "1.00",
     " 49", "0.50",
     " 49", "-0.25",
     " 49", "0.00",
     " 49", "-0.25"},
}};

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
    std::string_view code; // of a fixed value
    std::string_view value;
    Computed computed = Computed::None;
};
constexpr HeaderVariable kHeader[] = {
    {"$ACADVER", "  1", "AC1009"},
    {"$EXTMIN", "", "", Computed::ExtMin},
    {"$EXTMAX", "", "", Computed::ExtMax},
    {"$LIMMIN", "", "", Computed::LimMin},
    {"$LIMMAX", "", "", Computed::LimMax},
    {"$LTSCALE", "", "", Computed::LineTypeScale},
    {"$ATTMODE", " 70", "1"},
    {"$FILLMODE", " 70", "1"},
    {"$TEXTSIZE", "", "", Computed::TextSize},
    {"$TEXTSTYLE", "  7", "STANDARD"},
    {"$CELTYPE", "  6", "BYLAYER"},
    {"$PLINEGEN", " 70", "1"},
    {"$CECOLOR", " 62", "0"},
    {"$LUNITS", " 70", "2"},
    {"$LUPREC", " 70", "3"},
    {"$AUPREC", " 70", "4"},
    {"$ANGBASE", "", "", Computed::AngleBase},
    {"$ANGDIR", " 70", "0"},
    {"$PDMODE", "", "", Computed::PointMode},
    {"$PDSIZE", "", "", Computed::PointSize},
    {"$PLINEGEN", " 70", "1"},
    {"$MEASUREMENT", " 70", "1"},
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

void CDxfTables::recordLayer(std::string_view name, std::string_view lineType, std::int32_t colour) {
    if (m_layers.find(name) == m_layers.end())
        m_layers.insert(CDxfLayer{std::string(name), std::string(lineType), colour});
}

void CDxfTables::merge(const CDxfTables& later) {
    m_extMin.x = std::min(m_extMin.x, later.m_extMin.x);
    m_extMin.y = std::min(m_extMin.y, later.m_extMin.y);
    m_extMin.z = std::min(m_extMin.z, later.m_extMin.z);
    m_extMax.x = std::max(m_extMax.x, later.m_extMax.x);
    m_extMax.y = std::max(m_extMax.y, later.m_extMax.y);
    m_extMax.z = std::max(m_extMax.z, later.m_extMax.z);
    for (const CDxfLayer& layer : later.m_layers)
        recordLayer(layer.name, layer.lineType, layer.colour);
}

bool CDxfTables::addBlock(CDxfBlock&& block) {
    if (m_blocks.count(block.name) != 0)
        return false;
    std::string name = block.name;
    m_blocks.emplace(std::move(name), std::move(block));
    return true;
}

void CDxfTables::writePrologue(TextStream& stream, const DxfWriteSettings& settings) const {
    writeHeader(stream, settings);
    writeTables(stream);
    writeBlocks(stream);
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
    const double scale = settings.symbolScale;

    BeginSection(stream, "HEADER");
    for (const HeaderVariable& variable : kHeader) {
        Variable(stream, variable.name);
        switch (variable.computed) {
        case Computed::None:
            stream.GroupText(variable.code, variable.value);
            break;
        case Computed::ExtMin:
            low.writePoint(stream, 0);
            break;
        case Computed::ExtMax:
            high.writePoint(stream, 0);
            break;
        case Computed::LimMin:
            stream.GroupReal(" 10", low.x);
            stream.GroupReal(" 20", low.y);
            break;
        case Computed::LimMax:
            stream.GroupReal(" 10", high.x);
            stream.GroupReal(" 20", high.y);
            break;
        case Computed::LineTypeScale:
        case Computed::PointSize:
            stream.GroupReal(" 40", scale);
            break;
        case Computed::TextSize:
            stream.GroupReal(" 40", scale + scale);
            break;
        case Computed::AngleBase:
            stream.GroupReal(" 50", 0.0);
            break;
        case Computed::PointMode:
            stream.GroupInt(" 70", settings.pointMode);
            break;
        }
    }
    EndSection(stream);
}

void CDxfTables::writeTables(TextStream& stream) const {
    BeginSection(stream, "TABLES");
    BeginTable(stream, "LTYPE", 1);
    for (const LineTypeText& type : kLineTypes) {
        stream.GroupText("  0", "LTYPE");
        for (std::size_t i = 0; i + 1 < type.size() && !type[i].empty(); i += 2)
            stream.GroupText(type[i], type[i + 1]);
    }
    EndTable(stream);

    BeginTable(stream, "LAYER", static_cast<std::int64_t>(m_layers.size()));
    for (const CDxfLayer& layer : m_layers) {
        stream.GroupText("  0", "LAYER");
        dxftext::WriteTextGroup(stream, "  2", layer.name);
        stream.GroupInt(" 70", 0);
        stream.GroupInt(" 62", layer.colour != 0 ? layer.colour : 7);
        stream.GroupText("  6", layer.lineType.empty() ? std::string_view("Solid_Line") : layer.lineType);
    }
    EndTable(stream);
    EndSection(stream);
}

void CDxfTables::writeBlocks(TextStream& stream) const {
    BeginSection(stream, "BLOCKS");
    const DxfPoint3 base{0.0, 0.0, 0.0};
    for (const auto& [name, block] : m_blocks) {
        stream.GroupText("  0", "BLOCK");
        stream.GroupText("  2", name);
        stream.GroupInt(" 70", 64);
        base.writePoint(stream, 0);
        stream.GroupText("  3", name);
        for (const auto& entity : block.entities)
            entity->write(stream);
        stream.GroupText("  0", "ENDBLK");
    }
    EndSection(stream);
}
