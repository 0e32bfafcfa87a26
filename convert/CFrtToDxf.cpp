#include "convert/CFrtToDxf.h"

#include "common/NumberText.h"

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
      m_ownNames(codepage::DrawingPage(options->codePage), (options->flags & OPT_ASCII_NAMES) != 0),
      m_hatch(options->hatchSpacing, kMaxHatchLines) {
    PrepareLabelLayers();
    PrepareInsert();
    if ((m_options->flags & OPT_SYMBOLS) != 0 && blocks == SymbolBlocks::Build)
        BuildSymbolBlocks();
}

void CFrtToDxf::Process(std::unique_ptr<CFrtElement> element) {
    if (!element)
        return;
    if (m_hatchBlocksOnly) {
        if (element->GetType() == FRT_ELEMENT_AREA)
            ExportHatchBlock(static_cast<const CFrtArea&>(*element));
        return;
    }
    switch (element->GetType()) {
    case FRT_ELEMENT_POINT:
        ExportPoint(static_cast<const CFrtPoint&>(*element));
        break;
    case FRT_ELEMENT_LINE: {
        const auto& line = static_cast<const CFrtLine&>(*element);
        const CFrtLine::Part part = line.GetPiece().part;
        if (part != CFrtLine::Part::Points)
            ExportLine(line);
        if (part != CFrtLine::Part::Chain) {
            for (const auto& vertex : line.GetVertices())
                ExportPoint(*vertex);
            PlaceLineName(line);
        }
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

std::size_t CFrtToDxf::LabelIndex(std::int32_t kind) const {
    for (std::size_t i = 0; i < m_options->labels.size(); ++i)
        if (m_options->labels[i].kind == kind)
            return i;
    return std::string::npos;
}

void CFrtToDxf::Report(const CFrtElement& element, std::string_view key, std::string_view problem) {
    if (m_diagnostics != nullptr)
        m_diagnostics->Warn(element.GetLine(), key, {}, problem);
}

void CFrtToDxf::AttachXData(const CFrtElement& element, CDxfEntity& entity) {
    entity.xdata = nullptr;
    if ((m_options->flags & OPT_XDATA) == 0 || !m_document->streams())
        return;
    static constexpr std::string_view kTypes[] = {"POINT", "LINE", "AREA"};
    static constexpr char kLetters[] = {'P', 'L', 'A'};
    const std::size_t type = element.GetType() == FRT_ELEMENT_POINT  ? 0
                             : element.GetType() == FRT_ELEMENT_LINE ? 1
                                                                     : 2;
    m_xdata.clear("FRT2DXF");
    m_xdata.add("TYPE", kTypes[type]);
    m_xdata.add("NAME", element.GetName());
    m_xdata.add("GROUP", element.GetCode().GetGroup());
    m_xdata.add("CODE", element.GetCode().GetCodeText());
    std::string& text = m_labelText; // free until the labels
    if (element.GetType() == FRT_ELEMENT_POINT)
        m_xdata.add("CLASS", static_cast<const CFrtPoint&>(element).GetClassName());
    if (element.GetType() == FRT_ELEMENT_AREA) {
        const auto& area = static_cast<const CFrtArea&>(element);
        m_xdata.add("SSTYLE", frttypes::HatchStyleText(area.GetHatchStyle()));
        m_xdata.add("SCOLOR", std::to_string(area.GetFillColour()));
        m_xdata.add("AREA", numtext::FormatShortest(area.GetArea()));
    }
    // As the survey keys them: "_" and the kind's and the element's letters before the name.
    for (std::size_t i = 0; i < element.Size(); ++i) {
        const AttributeKind kind = element.KindAt(i);
        text.assign(1, '_');
        text += kind == AttributeKind::Int ? 'I' : kind == AttributeKind::Double ? 'D' : 'S';
        text += kLetters[type];
        text += element.KeyAt(i);
        if (kind == AttributeKind::Double)
            m_xdata.add(text, numtext::FormatShortest(element.DoubleAt(i)));
        else if (kind == AttributeKind::Int)
            m_xdata.add(text, std::to_string(element.IntAt(i)));
        else
            m_xdata.add(text, element.TextAt(i));
    }
    entity.xdata = &m_xdata;
}
