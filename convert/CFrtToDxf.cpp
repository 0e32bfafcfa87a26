#include "convert/CFrtToDxf.h"

#include <algorithm>

CFrtToDxf::CFrtToDxf(const ExportOptions* options, SymbolBlocks blocks) : m_options(options) {
    SetDocument(std::make_unique<CDxfDocument>());
    PrepareLabelLayers();
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

std::string& CFrtToDxf::BlanksToUnderscores(std::string& text) {
    std::replace(text.begin(), text.end(), ' ', '_');
    return text;
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
    return BlanksToUnderscores(room);
}
