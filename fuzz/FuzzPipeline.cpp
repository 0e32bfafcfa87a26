// The whole conversion in memory: FRT bytes through the reader and the converter into a
// document, written as DXF text that a strict reader must accept.
#include "export/ExportRun.h"
#include "common/TextStream.h"
#include "convert/CFrtToDxf.h"
#include "frt/CFrtReader.h"
#include "fuzz/DxfCheck.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/ScratchFile.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

// The first two bytes choose the options: flags and labels, then symbol size and decimals.
ExportOptions OptionsFrom(std::uint8_t first, std::uint8_t second) {
    constexpr std::array<float, 4> kSymbolSizes = {1.0F, 100.0F, 5000.0F, 999999.0F};
    ExportOptions options;
    options.flags = first & 0x0F;
    options.dataKinds =
        (first >> 5) == 0 ? DATA_KIND_POINTS | DATA_KIND_LINES | DATA_KIND_AREAS : (first >> 5);
    options.symbolScale = static_cast<double>(kSymbolSizes[second & 3]) * static_cast<double>(0.0005F);
    if ((first & 0x10) != 0) {
        const int decimals = (second >> 2) % 17;
        options.labels = {{LABEL_POINT_ID, "Point ID", 2, 0},
                          {LABEL_EAST_NORTH, "Coords", 3, decimals},
                          {LABEL_HEIGHT, "Height", 4, decimals},
                          {LABEL_CODE, "Code", 5, 0}};
    }
    return options;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    static ScratchFile file;
    ExportOptions options = OptionsFrom(data[0], data[1]);
    auto converter = std::make_unique<CFrtToDxf>(&options);
    const CFrtToDxf* conversion = converter.get();
    CFrtReader reader(std::move(converter), &options.dataKinds);
    const FrtReadResult read = reader.Read(file.Write(data + 2, size - 2));
    FuzzRequire(read.Ok(), "the scratch file could not be read: " + read.error);

    StringSink sink;
    {
        TextStream stream(sink);
        conversion->GetDocument()->writeTo(stream, exportrun::WriteSettingsFor(options));
        FuzzRequire(stream.Flush(), "writing to memory failed");
    }
    const std::string problem = CheckDxfText(sink.Text());
    FuzzRequire(problem.empty(), "the drawing is not well-formed: " + problem);
    return 0;
}
