// The eight point-class symbol blocks, drawn at the run's symbol size around the origin.
#include "convert/CFrtToDxf.h"
#include "dxf/CDxfAttdef.h"
#include "dxf/CDxfCircle.h"
#include "dxf/CDxfLine.h"
#include "dxf/CDxfPoint.h"
#include "dxf/DxfGroup.h"

#include <iterator>

namespace {

class BlockBuilder {
public:
    BlockBuilder(std::string name, const DxfAttributes& attributes) : m_attributes(attributes) {
        m_block.name = std::move(name);
    }
    BlockBuilder& Point() {
        m_block.addEntity(std::make_unique<CDxfPoint>(0.0, 0.0, kNoZ));
        return *this;
    }
    BlockBuilder& Circle(double radius) {
        auto circle = std::make_unique<CDxfCircle>(radius, 0.0, 0.0, kNoZ);
        circle->setAttributes(m_attributes);
        m_block.addEntity(std::move(circle));
        return *this;
    }
    // The definitions of the point attributes, invisible, at the insertion point.
    BlockBuilder& Attributes(double height) {
        static constexpr const char* kPrompts[] = {"Point ID", "Height", "Code", "Point class"};
        static_assert(std::size(kPrompts) == std::size(CFrtToDxf::kAttributeTags));
        for (std::size_t i = 0; i < std::size(kPrompts); ++i) {
            auto definition =
                std::make_unique<CDxfAttdef>(CFrtToDxf::kAttributeTags[i], kPrompts[i], 0.0, 0.0, kNoZ);
            definition->height = height;
            definition->attributeFlags = dxfgroup::kAttributeInvisible;
            m_block.addEntity(std::move(definition));
        }
        return *this;
    }
    BlockBuilder& Line(double x1, double y1, double x2, double y2) {
        auto line = std::make_unique<CDxfLine>(DxfPoint3{x1, y1, kNoZ}, DxfPoint3{x2, y2, kNoZ});
        line->setAttributes(m_attributes);
        m_block.addEntity(std::move(line));
        return *this;
    }
    CDxfBlock&& Take() { return std::move(m_block); }

private:
    const DxfAttributes& m_attributes;
    CDxfBlock m_block;
};

} // namespace

void CFrtToDxf::BuildSymbolBlocks() {
    const double s = m_options->symbolScale;
    DxfAttributes symbolAttributes;
    symbolAttributes.setLineType("Solid_Line");
    symbolAttributes.colour = 7;
    // The factors are these decimals exactly, not roots of two.
    const double a = 0.706 * s;
    const double r = 0.355 * s;
    const double half = 0.5 * s;
    const double m = -1 * s;
    const bool attributes = (m_options->flags & OPT_POINT_ATTRIBUTES) != 0;
    const auto add = [this, attributes, s](BlockBuilder& builder) {
        if (attributes)
            builder.Attributes(3.0 * s);
        m_document->addBlock(builder.Take());
    };

    BlockBuilder measured("Measured", symbolAttributes);
    add(measured.Point().Circle(s));
    BlockBuilder estimated("Estimated", symbolAttributes);
    add(estimated.Line(m, 0, s, 0).Line(0, m, 0, s));
    BlockBuilder averaged("Averaged", symbolAttributes);
    add(averaged.Point().Circle(s).Circle(half));
    BlockBuilder control("Control", symbolAttributes);
    add(control.Line(0, s, s, m).Line(s, m, m, m).Line(m, m, 0, s));
    BlockBuilder adjusted("Adjusted", symbolAttributes);
    add(adjusted.Line(0, s, a, -a).Line(a, -a, -a, -a).Line(-a, -a, 0, s).Circle(s));
    BlockBuilder reference("Reference", symbolAttributes);
    add(reference.Line(0, m, s, s).Line(s, s, m, s).Line(m, s, 0, m));
    BlockBuilder navigated("Navigated", symbolAttributes);
    add(navigated.Point().Line(m, s, s, s).Line(s, s, s, m).Line(s, m, m, m).Line(m, m, m, s));
    BlockBuilder indefinited("Indefinited", symbolAttributes);
    add(indefinited.Circle(half).Line(r, r, s, s).Line(r, -r, s, m).Line(-r, -r, m, m).Line(-r, r, m, s));
}
