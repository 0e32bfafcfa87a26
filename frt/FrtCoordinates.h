#pragma once

class FrtCoordinates {
public:
    FrtCoordinates() = default;
    FrtCoordinates(double easting, double northing, double height)
        : m_easting(easting), m_northing(northing), m_height(height) {}

    void SetEasting(double value) { m_easting = value; }
    void SetNorthing(double value) { m_northing = value; }
    void SetHeight(double value) { m_height = value; }
    [[nodiscard]] double GetEasting() const { return m_easting; }
    [[nodiscard]] double GetNorthing() const { return m_northing; }
    [[nodiscard]] double GetHeight() const { return m_height; }

private:
    double m_easting = 0.0;
    double m_northing = 0.0;
    double m_height = 0.0;
};
