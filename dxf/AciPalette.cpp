#include "dxf/AciPalette.h"

#include <array>

namespace acipalette {

namespace {

// 1 to 9 are named; 10 to 249 run through 24 hues 15 degrees apart, each in five shades of
// value (255, 204, 153, 127, 76) at full and at half saturation; 250 to 255 are greys.
std::array<Rgb, 256> MakeTable() {
    std::array<Rgb, 256> table{};
    const Rgb named[] = {{0, 0, 0},   {255, 0, 0},   {255, 255, 0},   {0, 255, 0},     {0, 255, 255},
                         {0, 0, 255}, {255, 0, 255}, {255, 255, 255}, {128, 128, 128}, {192, 192, 192}};
    for (int i = 0; i < 10; ++i)
        table[i] = named[i];
    constexpr double kValues[] = {255, 204, 153, 127, 76};
    for (int index = 10; index < 250; ++index) {
        const int hue = (index - 10) / 10 * 15;
        const int shade = (index - 10) % 10;
        const double value = kValues[shade / 2];
        const double low = shade % 2 == 0 ? 0.0 : value * 0.5;
        // The usual hue-saturation-value sextants, each channel rounded down.
        const double rising = low + (value - low) * (hue % 60) / 60.0;
        const double falling = value - (value - low) * (hue % 60) / 60.0;
        double rgb[3] = {};
        switch (hue / 60) {
        case 0:
            rgb[0] = value, rgb[1] = rising, rgb[2] = low;
            break;
        case 1:
            rgb[0] = falling, rgb[1] = value, rgb[2] = low;
            break;
        case 2:
            rgb[0] = low, rgb[1] = value, rgb[2] = rising;
            break;
        case 3:
            rgb[0] = low, rgb[1] = falling, rgb[2] = value;
            break;
        case 4:
            rgb[0] = rising, rgb[1] = low, rgb[2] = value;
            break;
        default:
            rgb[0] = value, rgb[1] = low, rgb[2] = falling;
            break;
        }
        table[index] = {static_cast<std::uint8_t>(rgb[0]), static_cast<std::uint8_t>(rgb[1]),
                        static_cast<std::uint8_t>(rgb[2])};
    }
    constexpr std::uint8_t kGreys[] = {51, 91, 132, 173, 214, 255};
    for (int i = 0; i < 6; ++i)
        table[250 + i] = {kGreys[i], kGreys[i], kGreys[i]};
    return table;
}

const std::array<Rgb, 256>& Table() {
    static const std::array<Rgb, 256> table = MakeTable();
    return table;
}

} // namespace

Rgb ColourOf(int index) {
    return Table()[static_cast<std::size_t>(index < 1 || index > 255 ? 7 : index)];
}

int Nearest(Rgb colour) {
    int best = 7;
    long bestDistance = -1;
    for (int index = 1; index < 256; ++index) {
        const Rgb& c = Table()[static_cast<std::size_t>(index)];
        const long dr = long{c.red} - colour.red;
        const long dg = long{c.green} - colour.green;
        const long db = long{c.blue} - colour.blue;
        const long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            best = index;
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace acipalette
