// DXF write throughput of a drawing made in two passes, as a conversion makes it.
//   bench_dxf [MILLIONS_OF_ENTITIES=3] [RUNS=5] [PATH]
#include "common/TextStream.h"
#include "dxf/CDxfDocument.h"
#include "dxf/CDxfPoint.h"
#include "dxf/CDxfPolyline.h"
#include "dxf/CDxfText.h"
#include "export/DrawingFile.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

// A drawing like a converted survey, made as the converter makes it, from one reused entity of
// each kind: each point with two labels, and every 50th a 10-vertex polyline.
class SurveyDrawing {
public:
    explicit SurveyDrawing(std::size_t count) : m_count(count) {
        m_text.attrs.setLayer("Coords");
        m_text.attrs.colour = 3;
        m_text.horizontalAlign = 2;
        m_text.setHeight(0.05);
        m_polyline.attrs.setLayer("BOUNDARY");
        m_polyline.attrs.setLineType("Dashed_Line");
        m_polyline.polylineFlags = 8;
        for (int v = 0; v < 10; ++v) {
            auto vertex = std::make_unique<CDxfVertex>(2600000.0 + v, 1200000.0, 430.0);
            vertex->addFlags(32);
            m_polyline.addVertex(std::move(vertex));
        }
    }

    void AddTo(CDxfDocument& document) {
        for (std::size_t i = 0; document.entityCount() < static_cast<std::int32_t>(m_count); ++i) {
            const double east = 2600000.0 + static_cast<double>(i % 10007);
            m_point.setPosition(DxfPoint3{east, 1200000.0 + static_cast<double>(i % 7919), 430.25});
            m_point.attrs.setLayer(kLayers[i % 4]);
            document.add(m_point);
            for (int label = 0; label < 2; ++label) {
                char text[32];
                std::snprintf(text, sizeof text, "%.3f", east + label);
                m_text.setText(text);
                m_text.setPosition(DxfPoint3{east, 1200000.0, 430.25});
                document.add(m_text);
            }
            if (i % 50 == 0)
                document.add(m_polyline);
        }
    }
    // The second pass: the same entities, streamed.
    CDxfDocument::EntityWriter Streamed() {
        return [this](TextStream& out) {
            CDxfDocument streamed;
            streamed.streamTo(out);
            AddTo(streamed);
            return Failure();
        };
    }

private:
    std::size_t m_count;
    CDxfPoint m_point{0, 0, 0};
    CDxfText m_text{"", 0, 0, 0};
    CDxfPolyline m_polyline;
};

} // namespace

int main(int argc, char** argv) {
    const double millions = argc > 1 ? std::atof(argv[1]) : 3.0;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    const std::string path =
        argc > 3 ? argv[3] : (std::filesystem::temp_directory_path() / "frt2dxf-bench.dxf").string();
    const auto count = static_cast<std::size_t>(millions * 1e6);

    SurveyDrawing drawing(count);
    CDxfDocument document; // the first pass: measured
    drawing.AddTo(document);
    DxfWriteSettings settings;
    settings.symbolScale = 0.05;
    std::vector<double> formatRates;
    for (int run = 0; run < runs; ++run) {
        NullSink sink;
        const auto start = std::chrono::steady_clock::now();
        {
            TextStream stream(sink);
            if (document.writeTo(stream, settings, drawing.Streamed()))
                return 1;
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
        AtomicFile file(path);
        const DxfWriteResult result = WriteDrawingFile(document, file, settings, drawing.Streamed());
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
