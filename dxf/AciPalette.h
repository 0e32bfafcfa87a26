#pragma once

#include <cstdint>

// AutoCAD's colour index (ACI): the colour numbers 1 to 255 that a drawing of release 12 can
// give an entity.
namespace acipalette {

struct Rgb {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};

// What colour number `index` (1 to 255) shows; 7 as white.
Rgb ColourOf(int index);
// The number whose colour is nearest (in RGB) to the given one.
int Nearest(Rgb colour);

} // namespace acipalette
