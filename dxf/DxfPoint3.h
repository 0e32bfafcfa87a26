#pragma once

#include "common/NumberText.h"

#include <array>
#include <cmath>
#include <limits>

class TextStream;

// The z of a two-dimensional point.
constexpr double kNoZ = std::numeric_limits<double>::quiet_NaN();

// A point of the drawing. A NaN z makes it two-dimensional.
struct DxfPoint3 {
    double x = 0.0;
    double y = 0.0;
    double z = kNoZ;
    // How the input spelled x, y and z, so that they are copied rather than formatted; empty
    // for a computed number. Views: only for a point written before its spellings go.
    std::array<numtext::Spelling, 3> spelled{};

    [[nodiscard]] bool Is3D() const { return !std::isnan(z); }
    // The same point without the input's spellings, to be kept after they go.
    [[nodiscard]] DxfPoint3 unspelled() const {
        DxfPoint3 point = *this;
        point.spelled = {};
        return point;
    }
    // Groups 10/20/30 (index 0) or 11/21/31 (index 1); z only when set.
    void writePoint(TextStream& stream, int index) const;
};
