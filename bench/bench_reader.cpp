// Reader throughput: generates a large FRT file (points, lines and areas), reads it several
// times with a consumer that only destroys what it gets, prints the median MB/s. With "lines",
// only the lines are read, nothing parsed: what the file reading costs alone (the C runtime's
// reads), for telling it from the parsing when two builds are compared.
//   bench_reader [MEGABYTES=300] [RUNS=5] [PATH] [lines]
#include "frt/CFrtReader.h"
#include "frt/LineReader.h"

#ifdef _WIN32
#include <windows.h>

#include <psapi.h>
#else
#include <sys/resource.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

long PeakRssKiB() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<long>(counters.PeakWorkingSetSize / 1024);
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#endif
}

class DiscardingConsumer : public IFrtConsumer {
public:
    void Process(std::unique_ptr<CFrtElement> element) override {
        ++count;
        element.reset();
    }
    std::uint64_t count = 0;
};

void Generate(const std::string& path, std::uint64_t bytes) {
    std::ofstream out(path, std::ios::binary);
    out << "[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n";
    std::uint64_t written = 0;
    std::uint64_t id = 0;
    char record[256];
    while (written < bytes) {
        out << "[Points]\r\n";
        for (int i = 0; i < 5000; ++i, ++id) {
            const int n = std::snprintf(
                record, sizeof record, "PID=%llu;E=%.3f;N=%.3f;HO=%.3f;GROUP=TREE;CODE=OAK;PCLASS=MEAS\r\n",
                static_cast<unsigned long long>(id), 2600000.0 + static_cast<double>(id % 9973),
                1200000.0 + static_cast<double>(id % 7919) * 0.5, 430.0 + (id % 97) * 0.01);
            out.write(record, n);
            written += static_cast<std::uint64_t>(n);
        }
        out << "[Lines]\r\n";
        for (int line = 0; line < 500; ++line) {
            for (int v = 0; v < 8; ++v, ++id) {
                const int n = std::snprintf(
                    record, sizeof record,
                    "LID=L%d;PID=%llu;E=%.3f;N=%.3f;HO=%.3f;GROUP=KERB;CODE=KERB;LSTYLE=1 "
                    "Dash;LCOLOR=00ff00\r\n",
                    line, static_cast<unsigned long long>(id), 2600000.0 + v, 1200000.0 + line, 430.5);
                out.write(record, n);
                written += static_cast<std::uint64_t>(n);
            }
        }
        out << "[Areas]\r\n";
        for (int area = 0; area < 100; ++area) {
            for (int v = 0; v < 5; ++v, ++id) {
                const int n = std::snprintf(
                    record, sizeof record,
                    "LID=A%d;AREA=120.5;PID=%llu;E=%.3f;N=%.3f;HO=%.3f;GROUP=BUILDING;"
                    "CODE=HOUSE;SSTYLE=3 BDiagonal\r\n",
                    area, static_cast<unsigned long long>(id), 2600000.0 + v, 1200000.0 + area, 429.9);
                out.write(record, n);
                written += static_cast<std::uint64_t>(n);
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::uint64_t megabytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 300;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    const std::string path =
        argc > 3 ? argv[3] : (std::filesystem::temp_directory_path() / "frt2dxf-bench-reader.frt").string();

    Generate(path, megabytes * 1000000);
    const auto size = std::filesystem::file_size(path);
    std::vector<double> rates;
    std::uint64_t elements = 0;
    const DataKindFlags kinds = DATA_KIND_POINTS | DATA_KIND_LINES | DATA_KIND_AREAS;
    const bool linesOnly = argc > 4 && std::string(argv[4]) == "lines";
    for (int run = 0; run < runs; ++run) {
        auto consumer = std::make_unique<DiscardingConsumer>();
        DiscardingConsumer* counter = consumer.get();
        CFrtReader reader(std::move(consumer), &kinds);
        const auto start = std::chrono::steady_clock::now();
        if (linesOnly) {
            LineReader lines;
            if (lines.Open(path))
                for (std::string_view line; lines.Next(line);)
                    ++counter->count;
        } else {
            reader.Read(path);
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        elements = counter->count;
        rates.push_back(static_cast<double>(size) / 1e6 / elapsed.count());
        std::printf("run %d: %.1f MB/s\n", run + 1, rates.back());
    }
    std::sort(rates.begin(), rates.end());
    std::printf("file %.1f MB, %llu elements, median %.1f MB/s over %d runs, max RSS %ld KiB\n",
                static_cast<double>(size) / 1e6, static_cast<unsigned long long>(elements),
                rates[rates.size() / 2], runs, PeakRssKiB());
    std::filesystem::remove(path);
    return 0;
}
