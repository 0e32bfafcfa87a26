#include "convert/CFrtToDxf.h"

#include "dxf/CDxfLayer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

CFrtToDxf::CFrtToDxf(const ExportOptions* options, SymbolBlocks blocks) : m_options(options) {
    SetDocument(std::make_unique<CDxfDocument>());
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
        ExportLine(line);
        for (const auto& vertex : line.GetVertices())
            ExportPoint(*vertex);
        break;
    }
    case FRT_ELEMENT_AREA: {
        const auto& area = static_cast<const CFrtArea&>(*element);
        ExportArea(area);
        if (const CFrtLine* boundary = area.GetBoundary())
            for (const auto& vertex : boundary->GetVertices())
                ExportPoint(*vertex);
        break;
    }
    }
    // The element, with its vertices, goes here.
}

DxfPoint3 CFrtToDxf::PositionOf(const FrtCoordinates& c, bool threeD) const {
    DxfPoint3 position{c.GetEasting(), c.GetNorthing(), threeD ? c.GetHeight() : kNoZ};
    // The spellings are views into the element, which is gone when a kept entity is written.
    if (m_document->streams())
        position.spelled = {c.Spelled(FrtCoordinates::kEasting), c.Spelled(FrtCoordinates::kNorthing),
                            c.Spelled(FrtCoordinates::kHeight)};
    return position;
}

std::string& CFrtToDxf::BlanksToUnderscores(std::string& text) {
    std::replace(text.begin(), text.end(), ' ', '_');
    return text;
}

namespace {

// What becomes of each byte in a layer name: kept, a blank made an underscore as always, or a
// byte that readers refuse made one. A table, as every element's layer passes through it.
enum class LayerByte : std::uint8_t { Keep, Blank, Refused };

constexpr std::array<LayerByte, 256> MakeLayerBytes() {
    std::array<LayerByte, 256> table{};
    for (int c = 0; c < 0x20; ++c)
        table[static_cast<std::size_t>(c)] = LayerByte::Refused;
    table[0x7F] = LayerByte::Refused;
    for (const char c : std::string_view("<>/\\\":;?*|=`"))
        table[static_cast<unsigned char>(c)] = LayerByte::Refused;
    table[' '] = LayerByte::Blank;
    return table;
}

constexpr std::array<LayerByte, 256> kLayerBytes = MakeLayerBytes();

} // namespace

bool CFrtToDxf::MendLayerName(std::string& text) {
    bool mended = false;
    for (char& c : text) {
        const LayerByte kind = kLayerBytes[static_cast<unsigned char>(c)];
        if (kind != LayerByte::Keep) {
            mended = mended || kind == LayerByte::Refused;
            c = '_';
        }
    }
    return mended;
}

void CFrtToDxf::NoteMended(std::string_view given, const std::string& written) const {
    for (const auto& [before, after] : m_mendedLayers)
        if (before == given)
            return;
    m_mendedLayers.emplace_back(given, written);
}

std::string CFrtToDxf::ElementLayer(const CFrtElement& element) const {
    std::string layer;
    return std::string(LayerOf(element, layer));
}

std::string_view CFrtToDxf::LayerOf(const CFrtElement& element, std::string& room) const {
    const std::string& group = element.GetCode().GetGroup();
    if ((m_options->flags & OPT_LAYER_PER_CODE) == 0 || group.empty() || group == " ")
        return "0";
    room.assign(group);
    if (MendLayerName(room))
        NoteMended(group, room);
    Respell(room);
    return room;
}

std::string_view CFrtToDxf::PointLayer(const CFrtPoint& point) {
    const std::string& group = point.GetCode().GetGroup();
    GroupLayer& slot = m_groupLayers[NameSlot(group, m_groupLayers.size())];
    if (!slot.known || slot.group != group) {
        std::string room;
        slot.layer.assign(LayerOf(point, room));
        slot.group.assign(group);
        slot.known = true;
    }
    return slot.layer;
}

void CFrtToDxf::UseLayerSpellings(const CDxfTables* spellings) {
    m_spellings = spellings;
    m_groupLayers = {};
    PrepareLabelLayers();
}

void CFrtToDxf::Respell(std::string& name) const {
    if (m_spellings == nullptr)
        return;
    if (const CDxfLayer* layer = m_spellings->findLayer(name); layer != nullptr && layer->name != name)
        name.assign(layer->name);
}
