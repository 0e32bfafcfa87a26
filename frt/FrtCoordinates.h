#pragma once

#include "common/ByteCopy.h"
#include "common/NumberText.h"

#include <array>
#include <cstdint>
#include <cstring>

class FrtCoordinates {
public:
    // Easting, northing and height, in the order of Spelled.
    enum Axis : std::size_t { kEasting, kNorthing, kHeight };

    FrtCoordinates() = default;
    FrtCoordinates(double easting, double northing, double height)
        : m_easting(easting), m_northing(northing), m_height(height) {}

    void SetEasting(double value) {
        m_easting = value;
        m_sizes[kEasting] = 0;
    }
    void SetNorthing(double value) {
        m_northing = value;
        m_sizes[kNorthing] = 0;
    }
    void SetHeight(double value) {
        m_height = value;
        m_sizes[kHeight] = 0;
    }
    // Keeps a copy of how the input spelled the number of that axis (numtext::Spell), for
    // writing it again; the record it came from may be gone by then.
    void KeepSpelling(Axis axis, const numtext::Spelling& spelled) {
        bytecopy::Copy(m_texts[axis].data(), spelled.text, spelled.size);
        m_sizes[axis] = spelled.size;
        m_decimals[axis] = spelled.decimals;
    }
    // The kept spelling, valid as long as these coordinates are; empty when none was kept.
    [[nodiscard]] numtext::Spelling Spelled(Axis axis) const {
        return {m_texts[axis].data(), m_sizes[axis], m_decimals[axis]};
    }
    [[nodiscard]] double GetEasting() const { return m_easting; }
    [[nodiscard]] double GetNorthing() const { return m_northing; }
    [[nodiscard]] double GetHeight() const { return m_height; }

private:
    double m_easting = 0.0;
    double m_northing = 0.0;
    double m_height = 0.0;
    // Only the first m_sizes bytes are read: left unset, as points are made by the million.
    std::array<std::array<char, numtext::Spelling::kLongest>, 3> m_texts; // NOLINT
    std::array<std::uint8_t, 3> m_sizes{};
    std::array<std::uint8_t, 3> m_decimals{};
};
