// Point export: the point entity and its labels.
#include "common/NumberText.h"
#include "convert/CFrtToDxf.h"
#include "dxf/CDxfInsert.h"
#include "dxf/CDxfPoint.h"
#include "dxf/CDxfText.h"
#include "dxf/DxfGroup.h"

#include <cmath>

void CFrtToDxf::ExportPoint(const CFrtPoint& point) {
    const FrtCoordinates& c = point.GetCoordinates();
    const double z = (m_options->flags & OPT_3D) != 0 ? c.GetHeight() : kNoZ;

    std::unique_ptr<CDxfEntity> entity;
    if ((m_options->flags & OPT_SYMBOLS) != 0)
        entity = std::make_unique<CDxfInsert>(point.GetClassName(), 0.0, 0.0, kNoZ);
    else
        entity = std::make_unique<CDxfPoint>(0.0, 0.0, kNoZ);
    entity->setPosition(DxfPoint3{c.GetEasting(), c.GetNorthing(), z});
    entity->attributes()->setLayer(ElementLayer(point)); // the other attributes keep their defaults
    m_document->addEntity(std::move(entity));

    for (std::size_t i = 0; i < m_options->labels.size(); ++i)
        ExportLabel(point, i, z);
}

void CFrtToDxf::ExportLabel(const CFrtPoint& point, std::size_t index, double z) {
    const LabelSpec& label = m_options->labels[index];
    const FrtCoordinates& c = point.GetCoordinates();
    const double s = m_options->symbolScale;
    double x = c.GetEasting();
    double y = c.GetNorthing();
    std::string text;
    std::int32_t horizontal = 0;
    std::int32_t vertical = 0;
    // A number always makes a text, so a document that only measures needs no digits.
    const bool digits = !m_document->measuresOnly();
    bool number = false;
    switch (label.kind) {
    case LABEL_POINT_ID: // upper left, ending at the insertion point
        x -= s;
        y += s;
        text = point.GetName();
        horizontal = dxfgroup::kAlignRight;
        break;
    case LABEL_EAST_NORTH: // upper right
        x += s;
        y += s;
        number = true;
        if (digits) {
            numtext::AppendFixed(text, c.GetEasting(), label.decimals);
            text += ';';
            numtext::AppendFixed(text, c.GetNorthing(), label.decimals);
        }
        break;
    case LABEL_HEIGHT: // lower right, hanging below the insertion point
        x += s;
        y -= s;
        number = true;
        if (digits)
            numtext::AppendFixed(text, c.GetHeight(), label.decimals);
        vertical = dxfgroup::kAlignTop;
        break;
    case LABEL_CODE: // lower left
        x -= s;
        y -= s;
        text = point.GetCode().GetCodeText();
        horizontal = dxfgroup::kAlignRight;
        vertical = dxfgroup::kAlignTop;
        break;
    default:
        return;
    }
    if (!number && (text.empty() || text == " "))
        return;
    auto entity = std::make_unique<CDxfText>(text, x, y, z);
    entity->horizontalAlign = horizontal;
    entity->verticalAlign = vertical;
    entity->setHeight(3.0 * s);
    DxfAttributes* attributes = entity->attributes();
    attributes->colour = static_cast<std::int16_t>(label.colour);
    attributes->setLayer(m_labelLayers[index]);
    m_document->addEntity(std::move(entity));
}

void CFrtToDxf::PrepareLabelLayers() {
    m_labelLayers.clear();
    for (const LabelSpec& spec : m_options->labels) {
        m_labelLayers.push_back(spec.layerName);
        BlanksToUnderscores(m_labelLayers.back());
    }
}
