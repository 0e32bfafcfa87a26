// Point export: the point entity and its labels.
#include "common/CodePage.h"
#include "common/NumberText.h"
#include "convert/CFrtToDxf.h"
#include "dxf/CDxfInsert.h"
#include "dxf/CDxfPoint.h"
#include "dxf/CDxfText.h"
#include "dxf/DxfGroup.h"

#include <cmath>
#include <iterator>
#include <string>

// Fixed, as always; from 1e100 on, whose fixed form would not fit a text of 256 characters (two
// of them in "E;N"), the shortest form that reads back as the same number.
void CFrtToDxf::AppendLabelNumber(std::string& text, double value, int decimals,
                                  const numtext::Spelling& spelled) {
    if (std::fabs(value) < 1e100)
        numtext::AppendFixed(text, value, decimals, &spelled);
    else
        text += numtext::FormatShortest(value);
}

void CFrtToDxf::ExportPoint(const CFrtPoint& point) {
    const FrtCoordinates& c = point.GetCoordinates();
    const DxfPoint3 position = PositionOf(c, (m_options->flags & OPT_3D) != 0);
    const double z = position.z;
    const bool symbols = (m_options->flags & OPT_SYMBOLS) != 0;
    const bool values = symbols && (m_options->flags & OPT_POINT_ATTRIBUTES) != 0;
    CDxfLocatedEntity& entity = symbols ? static_cast<CDxfLocatedEntity&>(m_insert) : m_point;
    // The other attributes keep their defaults.
    PutOn(GroupLayer(point), entity.attrs);
    entity.setPosition(position);
    AttachXData(point, entity);
    if (symbols) {
        m_document->add(m_insert, [this, &point, values](CDxfInsert& insert) {
            insert.setBlockName(point.GetClassName());
            if (values)
                SetAttributeValues(point, insert);
        });
    } else {
        m_document->add(m_point);
    }
    for (std::size_t i = 0; i < m_options->labels.size(); ++i)
        ExportLabel(point, i, z);
}

void CFrtToDxf::ExportLabel(const CFrtPoint& point, std::size_t index, double z) {
    const LabelSpec& label = m_options->labels[index];
    const FrtCoordinates& c = point.GetCoordinates();
    const double s = m_options->symbolScale;
    double x = c.GetEasting();
    double y = c.GetNorthing();
    std::string_view given; // the point's own text, for the name and the code
    std::int32_t horizontal = 0;
    std::int32_t vertical = 0;
    switch (label.kind) {
    case LABEL_POINT_ID: // upper left, ending at the insertion point
        x -= s;
        y += s;
        given = point.GetName();
        horizontal = dxfgroup::kAlignRight;
        break;
    case LABEL_EAST_NORTH: // upper right
        x += s;
        y += s;
        break;
    case LABEL_HEIGHT: // lower right, hanging below the insertion point
        x += s;
        y -= s;
        vertical = dxfgroup::kAlignTop;
        break;
    case LABEL_CODE: // lower left
        x -= s;
        y -= s;
        given = point.GetCode().GetCodeText();
        horizontal = dxfgroup::kAlignRight;
        vertical = dxfgroup::kAlignTop;
        break;
    default:
        return;
    }
    // A number always makes a text; a name or a code only when it says something.
    const bool number = label.kind == LABEL_EAST_NORTH || label.kind == LABEL_HEIGHT;
    if (!number && (given.empty() || given == " "))
        return;
    CDxfText& entity = m_labels[index];
    if (LayerRef& layer = m_labelLayers[index]; layer.id == kNoLayerId)
        PutOn(layer, entity.attrs);
    entity.setPosition(DxfPoint3{x, y, z});
    entity.horizontalAlign = horizontal;
    entity.verticalAlign = vertical;
    m_document->add(entity, [this, &label, &c, given](CDxfText& made) {
        std::string& text = m_labelText;
        text.clear();
        if (label.kind == LABEL_EAST_NORTH) {
            AppendLabelNumber(text, c.GetEasting(), label.decimals, c.Spelled(FrtCoordinates::kEasting));
            text += ';';
            AppendLabelNumber(text, c.GetNorthing(), label.decimals, c.Spelled(FrtCoordinates::kNorthing));
        } else if (label.kind == LABEL_HEIGHT) {
            AppendLabelNumber(text, c.GetHeight(), label.decimals, c.Spelled(FrtCoordinates::kHeight));
        } else {
            text.assign(given);
        }
        made.setText(text);
    });
}

void CFrtToDxf::PrepareInsert() {
    // The reused insert gets its attributes once; each point only gives them its values.
    m_insert.clearAttributeValues();
    if ((m_options->flags & OPT_SYMBOLS) == 0 || (m_options->flags & OPT_POINT_ATTRIBUTES) == 0)
        return;
    for (const char* tag : kAttributeTags) {
        auto value = std::make_unique<CDxfAttrib>(tag, "", 0.0, 0.0, kNoZ);
        value->height = 3.0 * m_options->symbolScale;
        value->attributeFlags = dxfgroup::kAttributeInvisible;
        m_insert.addAttributeValue(std::move(value));
    }
}

void CFrtToDxf::SetAttributeValues(const CFrtPoint& point, CDxfInsert& insert) {
    std::string& height = m_labelText; // free until the labels
    height.clear();
    const FrtCoordinates& c = point.GetCoordinates();
    const numtext::Spelling spelled = c.Spelled(FrtCoordinates::kHeight);
    AppendLabelNumber(height, c.GetHeight(), m_options->heightDecimals, spelled);
    const std::string_view values[] = {point.GetName(), height, point.GetCode().GetCodeText(),
                                       point.GetClassName()};
    static_assert(std::size(values) == std::size(kAttributeTags));
    for (std::size_t i = 0; i < std::size(values); ++i) {
        CDxfAttrib& value = *insert.attributeValues()[i];
        value.setValue(values[i]);
        value.setPosition(insert.location);
        value.setAttributes(insert.attrs);
    }
}

void CFrtToDxf::PrepareLabelLayers() {
    m_labels.clear();
    m_labelLayers.clear();
    for (const LabelSpec& spec : m_options->labels) {
        CDxfText& label = m_labels.emplace_back("", 0.0, 0.0, kNoZ);
        label.attrs.setLayer(m_labelLayers.emplace_back(LayerRef{LayerNamed(spec.layerName)}).name);
        label.attrs.colour = static_cast<std::int16_t>(spec.colour);
        label.setHeight(3.0 * m_options->symbolScale);
    }
}
