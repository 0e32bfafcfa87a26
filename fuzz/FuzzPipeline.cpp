// The real conversion path: FRT bytes through both passes into a drawing file that a strict
// reader must accept, and its preview, once in one chunk and once cut into chunks of a few dozen
// bytes converted on several threads; the two drawings and pictures must be the same, byte for
// byte.
#include "export/ExportRun.h"
#include "fuzz/DxfCheck.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/ScratchFile.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

// The first two bytes choose the options: flags and labels, then symbol size, decimals, hatches
// with extended data, and point attributes.
ExportOptions OptionsFrom(std::uint8_t first, std::uint8_t second) {
    constexpr std::array<float, 4> kSymbolSizes = {1.0F, 100.0F, 5000.0F, 999999.0F};
    ExportOptions options;
    options.flags = (first & 0x0F) | ((second & 0x80) != 0 ? OPT_POINT_ATTRIBUTES : 0) |
                    ((second & 0x40) != 0 ? OPT_HATCH | OPT_XDATA : 0);
    options.dataKinds =
        (first >> 5) == 0 ? DATA_KIND_POINTS | DATA_KIND_LINES | DATA_KIND_AREAS : (first >> 5);
    options.symbolScale = static_cast<double>(kSymbolSizes[second & 3]) * static_cast<double>(0.0005F);
    if ((first & 0x10) != 0) {
        const int decimals = (second >> 2) % 17;
        options.labels = {{LABEL_POINT_ID, "Point ID", 2, 0},    {LABEL_EAST_NORTH, "Coords", 3, decimals},
                          {LABEL_HEIGHT, "Height", 4, decimals}, {LABEL_CODE, "Code", 5, 0},
                          {LABEL_AREA, "Area", 6, decimals},     {LABEL_LINE_NAME, "Name", 7, 0}};
    }
    return options;
}

} // namespace

std::string ReadAll(const std::string& path) {
    std::string text;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            text.append(buffer, n);
        std::fclose(file);
    }
    return text;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    static ScratchFile input;
    static ScratchFile output;
    static ScratchFile picture;
    const ExportOptions options = OptionsFrom(data[0], data[1]);
    const std::string& path = input.Write(data + 2, size - 2);
    exportrun::RunSettings one;
    one.preview = picture.Path();
    one.previewLabels = (data[1] & 0x40) != 0;

    const ConversionResult whole = exportrun::ConvertFile(path, output.Path(), options, one);
    // Extents beyond the largest number give a drawing but no picture, and say so.
    FuzzRequire(whole.Ok() || whole.pictureLeftOut, "the conversion failed: " + whole.failure.Reason());
    const std::string drawing = ReadAll(output.Path());
    const std::string problem = CheckDxfText(drawing);
    FuzzRequire(problem.empty(), "the drawing is not well-formed: " + problem);

    const std::string svg = whole.pictureLeftOut ? std::string() : ReadAll(picture.Path());
    FuzzRequire(whole.pictureLeftOut || (svg.rfind("<?xml", 0) == 0 && svg.size() > 20 &&
                                         svg.compare(svg.size() - 7, 7, "</svg>\n") == 0),
                "the preview is not a whole picture");

    exportrun::RunSettings many = one;
    many.threads = 3;
    many.chunkBytes = 32;
    const ConversionResult chunked = exportrun::ConvertFile(path, output.Path(), options, many);
    FuzzRequire(chunked.Ok() == whole.Ok() && chunked.pictureLeftOut == whole.pictureLeftOut,
                "the chunked conversion went otherwise: " + chunked.failure.Reason());
    FuzzRequire(chunked.entities == whole.entities && chunked.layers == whole.layers,
                "chunks counted another drawing");
    FuzzRequire(ReadAll(output.Path()) == drawing, "chunks made another drawing");
    FuzzRequire(whole.pictureLeftOut || ReadAll(picture.Path()) == svg, "chunks drew another picture");
    return 0;
}
