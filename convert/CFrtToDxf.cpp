#include "convert/CFrtToDxf.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace {

// A name's slot in a small cache of the few dozen code groups a drawing has: length and end
// bytes tell them apart well enough, at a fraction of a full hash's cost.
std::size_t NameSlot(std::string_view name, std::size_t slots) {
    if (name.empty())
        return 0;
    return (name.size() * 31U + std::size_t{static_cast<unsigned char>(name.front())} * 7U +
            std::size_t{static_cast<unsigned char>(name.back())}) %
           slots;
}

} // namespace

CFrtToDxf::CFrtToDxf(const ExportOptions* options, SymbolBlocks blocks, LayerNaming naming)
    : m_options(options), m_document(std::make_unique<CDxfDocument>()), m_naming(naming),
      m_ownNames(codepage::DrawingPage(options->codePage), (options->flags & OPT_ASCII_NAMES) != 0) {
    PrepareLabelLayers();
    PrepareInsert();
    if ((m_options->flags & OPT_SYMBOLS) != 0 && blocks == SymbolBlocks::Build)
        BuildSymbolBlocks();
}

void CFrtToDxf::Process(std::unique_ptr<CFrtElement> element) {
    if (!element)
        return;
    switch (element->GetType()) {
    case FRT_ELEMENT_POINT:
        ExportPoint(static_cast<const CFrtPoint&>(*element));
        break;
    case FRT_ELEMENT_LINE: {
        const auto& line = static_cast<const CFrtLine&>(*element);
        const CFrtLine::Part part = line.GetPiece().part;
        if (part != CFrtLine::Part::Points)
            ExportLine(line);
        if (part != CFrtLine::Part::Chain)
            for (const auto& vertex : line.GetVertices())
                ExportPoint(*vertex);
        break;
    }
    case FRT_ELEMENT_AREA: {
        const auto& area = static_cast<const CFrtArea&>(*element);
        const CFrtLine* boundary = area.GetBoundary();
        const CFrtLine::Part part = boundary != nullptr ? boundary->GetPiece().part : CFrtLine::Part::Whole;
        if (part != CFrtLine::Part::Points)
            ExportArea(area);
        if (boundary != nullptr && part != CFrtLine::Part::Chain)
            for (const auto& vertex : boundary->GetVertices())
                ExportPoint(*vertex);
        break;
    }
    }
    // The element, with its vertices, goes here.
}

DxfPoint3 CFrtToDxf::PositionOf(const FrtCoordinates& c, bool threeD) const {
    // The spellings are views into the element: the entity is written, if at all, before it goes.
    DxfPoint3 position{c.GetEasting(), c.GetNorthing(), threeD ? c.GetHeight() : kNoZ};
    position.spelled = {c.Spelled(FrtCoordinates::kEasting), c.Spelled(FrtCoordinates::kNorthing),
                        c.Spelled(FrtCoordinates::kHeight)};
    return position;
}

std::string CFrtToDxf::ElementLayer(const CFrtElement& element) {
    return GroupLayer(element).name;
}

std::string CFrtToDxf::LayerNamed(std::string_view given) {
    std::string key = LayerNames::Key(given);
    if (m_naming.asGiven)
        return key;
    if (m_naming.table != nullptr)
        if (const std::string* written = m_naming.table->Find(key))
            return *written;
    // Unknown to the table only when the input changed since it was measured, which the run
    // notices: named here all the same, so that the drawing never holds a name readers refuse.
    return m_ownNames.Add(key, LayerNames::LooksUtf8(key));
}

CFrtToDxf::LayerRef& CFrtToDxf::GroupLayer(const CFrtElement& element) {
    const std::string& group = element.GetCode().GetGroup();
    if ((m_options->flags & OPT_LAYER_PER_CODE) == 0 || group.empty() || group == " ")
        return m_zeroLayer;
    GroupSlot& slot = m_groupLayers[NameSlot(group, m_groupLayers.size())];
    if (!slot.known || slot.group != group) {
        slot.layer = {LayerNamed(group)};
        slot.group.assign(group);
        slot.known = true;
    }
    return slot.layer;
}

void CFrtToDxf::PutOn(LayerRef& layer, DxfAttributes& attributes) {
    if (layer.id == kNoLayerId)
        layer.id = m_document->layerId(layer.name);
    attributes.setLayer(layer.name, layer.id);
}
