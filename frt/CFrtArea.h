#pragma once

#include "frt/CFrtElement.h"
#include "frt/CFrtLine.h"

#include <cstdint>
#include <memory>

// An area: a boundary line that it owns.
class CFrtArea : public CFrtElement {
public:
    CFrtArea() : CFrtElement(FRT_ELEMENT_AREA) {}

    void SetBoundary(std::unique_ptr<CFrtLine> boundary) { m_boundary = std::move(boundary); }
    CFrtLine* GetBoundary() const { return m_boundary.get(); }
    void SetHatchStyle(HatchStyle style) { m_hatchStyle = style; }
    std::int32_t GetHatchStyle() const { return m_hatchStyle; }
    void SetFillColour(std::int32_t colour) { m_fillColour = colour; }
    std::int32_t GetFillColour() const { return m_fillColour; }
    void SetArea(double area) { m_area = area; }
    double GetArea() const { return m_area; }

private:
    std::unique_ptr<CFrtLine> m_boundary;
    std::int32_t m_hatchStyle = HATCH_STYLE_NONE;
    std::int32_t m_fillColour = 0;
    double m_area = 0.0;
};
