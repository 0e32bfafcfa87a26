#pragma once

#include "frt/CFrtElement.h"
#include "frt/FrtCoordinates.h"

#include <cstdint>
#include <string_view>

// A point record, or one vertex of a line or an area boundary.
class CFrtPoint : public CFrtElement {
public:
    CFrtPoint(double easting, double northing, double height)
        : CFrtElement(FRT_ELEMENT_POINT), m_coordinates(easting, northing, height) {}

    void SetCoordinates(const FrtCoordinates& coordinates) { m_coordinates = coordinates; }
    const FrtCoordinates& GetCoordinates() const { return m_coordinates; }
    FrtCoordinates& Coordinates() { return m_coordinates; }
    void SetPointClass(PointClass pointClass) { m_pointClass = pointClass; }
    std::int32_t GetPointClass() const { return m_pointClass; }
    // The class's name, or empty for a value outside the table.
    std::string_view GetClassName() const { return frttypes::PointClassName(m_pointClass); }

private:
    FrtCoordinates m_coordinates;
    std::int32_t m_pointClass = POINT_CLASS_ESTIMATED;
};
