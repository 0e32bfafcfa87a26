// DXF document memory per entity and write throughput.
//   bench_dxf [MILLIONS_OF_ENTITIES=3] [RUNS=5] [PATH]
#include "common/TextStream.h"
#include "dxf/CDxfDocument.h"
#include "dxf/CDxfPoint.h"
#include "dxf/CDxfPolyline.h"
#include "dxf/CDxfText.h"

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

const double kNaN = std::nan("");

// Takes the bytes and drops them: the formatting alone, without the file system.
class NullSink : public ITextSink {
public:
    bool Write(const char* /*data*/, std::size_t size) override {
        bytes += size;
        return true;
    }
    [[nodiscard]] Failure Error() const override { return {}; }
    std::uint64_t bytes = 0;
};
const char* const kLayers[] = {"TREE", "FIX", "BOUNDARY", "KERB", "PointID", "Coords"};

std::size_t HeapInUse() {
    return mallinfo2().uordblks;
}

// Heap bytes held per entity for a document of `count` entities that `add` makes.
double BytesPerEntity(std::size_t count, const std::function<void(CDxfDocument&, std::size_t)>& add) {
    const std::size_t before = HeapInUse();
    auto document = std::make_unique<CDxfDocument>();
    for (std::size_t i = 0; i < count; ++i)
        add(*document, i);
    const std::size_t after = HeapInUse();
    return static_cast<double>(after - before) / static_cast<double>(count);
}

void AddPoint(CDxfDocument& document, std::size_t i) {
    auto point = std::make_unique<CDxfPoint>(2600000.0 + static_cast<double>(i % 10007),
                                             1200000.0 + static_cast<double>(i % 7919), 430.25);
    point->attrs.setLayer(kLayers[i % 4]);
    document.addEntity(std::move(point));
}

void AddText(CDxfDocument& document, std::size_t i) {
    char label[32];
    std::snprintf(label, sizeof label, "%.3f", 2600000.0 + static_cast<double>(i % 10007));
    auto text =
        std::make_unique<CDxfText>(label, 2600000.0 + static_cast<double>(i % 10007), 1200000.0, 430.25);
    text->attrs.setLayer("Coords");
    text->attrs.colour = 3;
    text->horizontalAlign = 2;
    text->setHeight(0.05);
    document.addEntity(std::move(text));
}

void AddPolyline(CDxfDocument& document, std::size_t i) {
    auto polyline = std::make_unique<CDxfPolyline>();
    polyline->attrs.setLayer("BOUNDARY");
    polyline->attrs.setLineType("Dashed_Line");
    polyline->polylineFlags = 8;
    for (int v = 0; v < 10; ++v) {
        auto vertex =
            std::make_unique<CDxfVertex>(2600000.0 + v, 1200000.0 + static_cast<double>(i % 1000), 430.0);
        vertex->addFlags(32);
        polyline->addVertex(std::move(vertex));
    }
    document.addEntity(std::move(polyline));
}

} // namespace

int main(int argc, char** argv) {
    const double millions = argc > 1 ? std::atof(argv[1]) : 3.0;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    const std::string path =
        argc > 3 ? argv[3] : (std::filesystem::temp_directory_path() / "frt2dxf-bench.dxf").string();
    const auto count = static_cast<std::size_t>(millions * 1e6);

    std::printf("memory held by the document (1M each):\n");
    std::printf("  POINT              %6.1f bytes\n", BytesPerEntity(1000000, AddPoint));
    std::printf("  TEXT               %6.1f bytes\n", BytesPerEntity(1000000, AddText));
    std::printf("  10-vertex POLYLINE %6.1f bytes\n", BytesPerEntity(200000, AddPolyline));

    // A drawing like a converted survey: each point with two labels, and some polylines.
    CDxfDocument document;
    for (std::size_t i = 0; document.entityCount() < static_cast<std::int32_t>(count); ++i) {
        AddPoint(document, i);
        AddText(document, i);
        AddText(document, i + 1);
        if (i % 50 == 0)
            AddPolyline(document, i);
    }
    DxfWriteSettings settings;
    settings.symbolScale = 0.05;
    std::vector<double> formatRates;
    for (int run = 0; run < runs; ++run) {
        NullSink sink;
        const auto start = std::chrono::steady_clock::now();
        {
            TextStream stream(sink);
            document.writeTo(stream, settings);
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        formatRates.push_back(static_cast<double>(sink.bytes) / 1e6 / elapsed.count());
    }
    std::sort(formatRates.begin(), formatRates.end());
    std::printf("formatting only (no file): median %.1f MB/s over %d runs\n",
                formatRates[formatRates.size() / 2], runs);

    std::vector<double> rates;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const DxfWriteResult result = document.write(path, &settings);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (!result.Ok()) {
            std::fprintf(stderr, "write failed: %s\n", result.failure.Reason().c_str());
            return 1;
        }
        const auto size = std::filesystem::file_size(path);
        rates.push_back(static_cast<double>(size) / 1e6 / elapsed.count());
        std::printf("run %d: %.1f MB in %.2f s, %.1f MB/s\n", run + 1, static_cast<double>(size) / 1e6,
                    elapsed.count(), rates.back());
    }
    std::sort(rates.begin(), rates.end());
    std::printf("%d entities, median write to a file %.1f MB/s over %d runs\n", document.entityCount(),
                rates[rates.size() / 2], runs);
    std::filesystem::remove(path);
    return 0;
}
