// Writes the benchmark's survey job: points, lines and areas as a surveyor's office exports them.
//   make_job OUTPUT.frt [SCALE=1]
// Scale 1 is the medium job: 200,000 points, 20,000 lines of 10 vertices, 5,000 areas of 8
// vertices, in 20 code groups (six with a blank), coordinates with 3 decimals around
// E 2,500,000 and N 1,200,000. Scale 4 is four times that. The content depends only on the scale.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

const char* const kGroups[20] = {"TREE",     "FIX",      "KERB",        "DRAIN",     "BUILDING",
                                 "FENCE",    "HEDGE",    "LAMP",        "MANHOLE",   "SIGN",
                                 "WALL",     "PATH",     "ROAD EDGE",   "UTIL POLE", "WATER MAIN",
                                 "GAS LINE", "BUS STOP", "SPOT HEIGHT", "GATE",      "BENCH"};
const char* const kClasses[6] = {"MEAS", "MEAN", "CTRL", "NAV", "EST", "CALC"};
const char* const kStyles[5] = {"0 Solid", "1 Dash", "2 Dot", "3 DashDot", "4 DashDotDot"};
const char* const kHatches[6] = {"0 Horizontal", "1 Vertical", "2 FDiagonal",
                                 "3 BDiagonal",  "4 Cross",    "5 Diacross"};

class Job {
public:
    explicit Job(std::FILE* out) : m_out(out) {}

    void Point(unsigned long id, const char* extra) {
        std::fprintf(m_out, "PID=%lu;E=%.3f;N=%.3f;HO=%.3f;GROUP=%s;CODE=C%u;PCLASS=%s%s\r\n", id,
                     2500000.0 + m_offset(m_random), 1200000.0 + m_offset(m_random),
                     400.0 + m_height(m_random), kGroups[m_random() % 20],
                     static_cast<unsigned>(m_random() % 50), kClasses[m_random() % 6], extra);
    }
    std::mt19937_64& Random() { return m_random; }

private:
    std::FILE* m_out;
    std::mt19937_64 m_random{20261207};
    std::uniform_real_distribution<double> m_offset{-20000.0, 20000.0};
    std::uniform_real_distribution<double> m_height{0.0, 150.0};
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_job OUTPUT.frt [SCALE=1]\n");
        return 2;
    }
    const unsigned long scale = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1;
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    Job job(out);
    char extra[256];
    std::fputs("[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\n", out);
    unsigned long id = 0;
    for (unsigned long i = 0; i < 200000 * scale; ++i)
        job.Point(++id, "");
    std::fputs("[Lines]\r\n", out);
    for (unsigned long line = 0; line < 20000 * scale; ++line) {
        for (int v = 0; v < 10; ++v) {
            if (v == 0)
                std::snprintf(extra, sizeof extra, ";LID=L%lu;LSTYLE=%s;LCOLOR=%06x;LWIDTH=0.%02u", line,
                              kStyles[job.Random()() % 5], static_cast<unsigned>(job.Random()() % 0x1000000),
                              static_cast<unsigned>(job.Random()() % 100));
            else
                std::snprintf(extra, sizeof extra, ";LID=L%lu", line);
            job.Point(++id, extra);
        }
    }
    std::fputs("[Areas]\r\n", out);
    for (unsigned long area = 0; area < 5000 * scale; ++area) {
        for (int v = 0; v < 8; ++v) {
            if (v == 0)
                std::snprintf(extra, sizeof extra,
                              ";LID=A%lu;AREA=%u.5;LSTYLE=0 Solid;LCOLOR=ff0000;SSTYLE=%s;SCOLOR=%u", area,
                              static_cast<unsigned>(job.Random()() % 5000), kHatches[job.Random()() % 6],
                              static_cast<unsigned>(job.Random()() % 16777216));
            else
                std::snprintf(extra, sizeof extra, ";LID=A%lu", area);
            job.Point(++id, extra);
        }
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
