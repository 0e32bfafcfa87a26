#pragma once

#include "common/NumberText.h"

#include <array>

class FrtCoordinates {
public:
    FrtCoordinates() = default;
    FrtCoordinates(double easting, double northing, double height)
        : m_easting(easting), m_northing(northing), m_height(height) {}

    void SetEasting(double value) {
        m_easting = value;
        m_spelled[0] = {};
    }
    void SetNorthing(double value) {
        m_northing = value;
        m_spelled[1] = {};
    }
    void SetHeight(double value) {
        m_height = value;
        m_spelled[2] = {};
    }
    // How the input spelled easting, northing and height (numtext::Spell), for writing them again.
    void SetSpellings(const std::array<numtext::Spelling, 3>& spelled) { m_spelled = spelled; }
    [[nodiscard]] const std::array<numtext::Spelling, 3>& Spellings() const { return m_spelled; }
    [[nodiscard]] double GetEasting() const { return m_easting; }
    [[nodiscard]] double GetNorthing() const { return m_northing; }
    [[nodiscard]] double GetHeight() const { return m_height; }

private:
    double m_easting = 0.0;
    double m_northing = 0.0;
    double m_height = 0.0;
    std::array<numtext::Spelling, 3> m_spelled{};
};
