// What an area holds besides its outline: its hatch and its label.
#include "common/NumberText.h"
#include "convert/CFrtToDxf.h"
#include "convert/PoleOfInaccessibility.h"
#include "dxf/AciPalette.h"
#include "dxf/DxfGroup.h"
#include "frt/CFrtReader.h"

#include <cmath>
#include <limits>
#include <string>

namespace {

// The angles of each hatch style's lines, in degrees; NaN: no second set.
struct Angles {
    double first;
    double second;
};

Angles AnglesOf(std::int32_t style) {
    constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    switch (style) {
    case HATCH_STYLE_HORIZONTAL:
        return {0.0, kNone};
    case HATCH_STYLE_VERTICAL:
        return {90.0, kNone};
    case HATCH_STYLE_FDIAGONAL:
        return {45.0, kNone};
    case HATCH_STYLE_BDIAGONAL:
        return {135.0, kNone};
    case HATCH_STYLE_CROSS:
        return {0.0, 90.0};
    case HATCH_STYLE_DIACROSS:
        return {45.0, 135.0};
    default:
        return {kNone, kNone};
    }
}

// No fill colour: the area's own.
std::int16_t HatchColour(std::int32_t fill, std::int16_t areaColour) {
    return fill == 0 ? areaColour : static_cast<std::int16_t>(acipalette::Nearest(CFrtToDxf::RgbOf(fill)));
}

// An anonymous block's name, "*U" and a number: the area's line, the same in every pass and
// for any number of threads, and no other area's.
std::string HatchBlockName(const CFrtArea& area) {
    return "*U" + std::to_string(area.GetLine());
}

// Whether the outline's box is small enough for its turned lines to keep finite coordinates.
bool Hatchable(const std::vector<HatchLines::Point>& outline) {
    double low[2] = {outline.front().x, outline.front().y};
    double high[2] = {low[0], low[1]};
    for (const HatchLines::Point& p : outline) {
        low[0] = std::min(low[0], p.x);
        high[0] = std::max(high[0], p.x);
        low[1] = std::min(low[1], p.y);
        high[1] = std::max(high[1], p.y);
    }
    return high[0] - low[0] < 1e300 && high[1] - low[1] < 1e300;
}

} // namespace

void CFrtToDxf::TakeOutline(const CFrtLine& boundary) {
    m_outline.clear();
    for (const auto& vertex : boundary.GetVertices())
        m_outline.push_back({vertex->GetCoordinates().GetEasting(), vertex->GetCoordinates().GetNorthing()});
}

void CFrtToDxf::ExportAreaExtras(const CFrtArea& area) {
    const bool hatch = (m_options->flags & OPT_HATCH) != 0 && area.GetHatchStyle() != HATCH_STYLE_NONE;
    const std::size_t label = LabelIndex(LABEL_AREA);
    const CFrtLine& boundary = *area.GetBoundary();
    if (!hatch && label == std::string::npos)
        return;
    if (boundary.GetPiece().part != CFrtLine::Part::Whole) {
        if (boundary.GetPiece().first) {
            const std::string limit =
                "more than " + std::to_string(FrtReadPass::kPieceVertices) + " vertices; ";
            if (hatch)
                Report(area, "SSTYLE", limit + "no hatch drawn");
            if (label != std::string::npos)
                Report(area, "AREA", limit + "no area label drawn");
        }
        return;
    }
    TakeOutline(boundary);
    if (hatch && CutHatch(area)) {
        PutOn(GroupLayer(area), m_hatchInsert.attrs);
        m_hatchInsert.setPosition(
            PositionOf(boundary.GetVertices().front()->GetCoordinates(), (m_options->flags & OPT_3D) != 0)
                .unspelled());
        m_document->add(m_hatchInsert,
                        [&area](CDxfInsert& insert) { insert.setBlockName(HatchBlockName(area)); });
    }
    if (label != std::string::npos)
        ExportAreaLabel(area, label);
}

bool CFrtToDxf::CutHatch(const CFrtArea& area) {
    m_hatchPieces.clear();
    if (!Hatchable(m_outline)) {
        Report(area, "SSTYLE", "an area beyond any drawing's size; no hatch drawn");
        return false;
    }
    const Angles angles = AnglesOf(area.GetHatchStyle());
    // Doubled, the lines stay on the pattern of the spacing asked, which neighbours share.
    double spacing = m_options->hatchSpacing;
    for (;; spacing *= 2) {
        m_hatch.SetSpacing(spacing);
        m_hatchPieces.clear();
        const bool fits = m_hatch.Cut(m_outline, angles.first, m_hatchPieces) &&
                          (std::isnan(angles.second) || m_hatch.Cut(m_outline, angles.second, m_hatchPieces));
        if (fits || !std::isfinite(spacing * 2))
            break;
    }
    if (spacing != m_options->hatchSpacing)
        Report(area, "SSTYLE",
               "more than " + std::to_string(kMaxHatchLines) + " hatch lines at a spacing of " +
                   numtext::FormatShortest(m_options->hatchSpacing) + "; drawn " +
                   numtext::FormatShortest(spacing) + " apart");
    return !m_hatchPieces.empty();
}

void CFrtToDxf::ExportHatchBlock(const CFrtArea& area) {
    const CFrtLine* boundary = area.GetBoundary();
    if ((m_options->flags & OPT_HATCH) == 0 || area.GetHatchStyle() == HATCH_STYLE_NONE ||
        boundary == nullptr || boundary->GetPiece().part != CFrtLine::Part::Whole)
        return;
    TakeOutline(*boundary);
    if (!CutHatch(area))
        return;
    // The block's base is the insert's point, so the lines keep the survey's coordinates.
    DxfPoint3 base = PositionOf(boundary->GetVertices().front()->GetCoordinates(), false).unspelled();
    base.z = 0.0;
    m_document->beginBlock(HatchBlockName(area), dxfgroup::kBlockAnonymous, base);
    m_hatchLine.attrs.colour = HatchColour(area.GetFillColour(), ChainAttributes(*boundary).colour);
    m_hatchLine.attrs.setLayer("0");
    for (const HatchLines::Segment& piece : m_hatchPieces) {
        m_hatchLine.setStart(DxfPoint3{piece.from.x, piece.from.y, kNoZ});
        m_hatchLine.setEnd(DxfPoint3{piece.to.x, piece.to.y, kNoZ});
        m_document->add(m_hatchLine);
    }
    m_document->endBlock();
}

void CFrtToDxf::ExportAreaLabel(const CFrtArea& area, std::size_t index) {
    const LabelSpec& label = m_options->labels[index];
    CDxfText& entity = m_labels[index];
    if (LayerRef& layer = m_labelLayers[index]; layer.id == kNoLayerId)
        PutOn(layer, entity.attrs);
    // A measuring pass need not search: the point lies inside the outline's box, as the first
    // vertex does, so the extents are the same.
    DxfPoint3 position = PositionOf(area.GetBoundary()->GetVertices().front()->GetCoordinates(),
                                    (m_options->flags & OPT_3D) != 0)
                             .unspelled();
    if (m_document->streams()) {
        const HatchLines::Point pole = PoleOfInaccessibility(m_outline, 0.01);
        if (std::isfinite(pole.x) && std::isfinite(pole.y)) {
            position.x = pole.x;
            position.y = pole.y;
        }
    }
    entity.setPosition(position);
    entity.horizontalAlign = dxfgroup::kAlignCentre;
    entity.verticalAlign = dxfgroup::kAlignMiddle;
    m_document->add(entity, [this, &area, &label](CDxfText& made) {
        m_labelText.clear();
        AppendLabelNumber(m_labelText, area.GetArea(), label.decimals, {});
        m_labelText += " m2";
        made.setText(m_labelText);
    });
}
