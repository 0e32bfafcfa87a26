// Compares the fast fixed-point formatting with std::to_chars on many values: random bit
// patterns, survey coordinates, values with exact ties, powers of ten, every decimals count
// from 0 to 16. Prints the count and the first difference, if any. With "spelled", it checks
// instead that every number copied from its spelling (numtext::WriteSpelled) is what
// std::to_chars writes for the value read from that text: random decimals of up to 17 whole
// digits and 17 decimals, either sign, leading zeros and bare points among them.
//   check_fixed [MILLIONS=100] [SEED=1] [spelled]
#include "common/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

int CheckSpelled(unsigned long long total, std::mt19937_64& random) {
    char spelled[64];
    char library[640];
    unsigned long long checked = 0;
    unsigned long long copied = 0;
    std::string text;
    for (; checked < total; ++checked) {
        text.clear();
        if (random() % 4 == 0)
            text += '-';
        const auto digits = [&random, &text](std::uint64_t count) {
            for (std::uint64_t i = 0; i < count; ++i)
                text += static_cast<char>('0' + random() % 10);
        };
        digits(random() % 18);
        if (random() % 8 != 0) {
            text += '.';
            digits(random() % 18);
        }
        const int decimals = static_cast<int>(checked % 17);
        const double value = numtext::ParseDouble(text);
        const char* end = numtext::WriteSpelled(spelled, numtext::Spell(text), value, decimals);
        if (end == nullptr)
            continue;
        ++copied;
        const auto result =
            std::to_chars(library, library + sizeof library, value, std::chars_format::fixed, decimals);
        if (end - spelled != result.ptr - library ||
            std::memcmp(spelled, library, static_cast<std::size_t>(end - spelled)) != 0) {
            std::printf("differs: %s with %d decimals: %.*s vs %.*s\n", text.c_str(), decimals,
                        static_cast<int>(end - spelled), spelled, static_cast<int>(result.ptr - library),
                        library);
            return 1;
        }
    }
    std::printf("%llu spelled numbers checked, %llu of them copied, each as std::to_chars writes it\n",
                checked, copied);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const unsigned long long total = (argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100) * 1000000ULL;
    std::mt19937_64 random(argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1);
    if (argc > 3 && std::strcmp(argv[3], "spelled") == 0)
        return CheckSpelled(total, random);
    std::uniform_real_distribution<double> coordinate(-3e6, 3e6);
    char fast[640];
    char library[640];
    unsigned long long checked = 0;
    for (unsigned long long i = 0; checked < total; ++i) {
        double value = 0;
        switch (i % 4) {
        case 0: {
            const std::uint64_t bits = random();
            std::memcpy(&value, &bits, sizeof value);
            break;
        }
        case 1:
            value = coordinate(random);
            break;
        case 2: // exact binary fractions: ties at many decimals counts
            value = static_cast<double>(static_cast<std::int64_t>(random() % 4000000001ULL) - 2000000000) /
                    static_cast<double>(1ULL << (random() % 40));
            break;
        default:
            value = std::pow(10.0, static_cast<int>(random() % 41) - 20) * (random() % 2 != 0 ? 0.5 : 1.0);
            break;
        }
        if (!std::isfinite(value))
            continue;
        const int decimals = static_cast<int>(checked % 17);
        char* end = numtext::WriteFixed(fast, fast + sizeof fast, value, decimals);
        const auto result =
            std::to_chars(library, library + sizeof library, value, std::chars_format::fixed, decimals);
        ++checked;
        if (end - fast != result.ptr - library ||
            std::memcmp(fast, library, static_cast<std::size_t>(end - fast)) != 0) {
            std::printf("differs: %a with %d decimals: %.*s vs %.*s\n", value, decimals,
                        static_cast<int>(end - fast), fast, static_cast<int>(result.ptr - library), library);
            return 1;
        }
    }
    std::printf("%llu values checked, each written as std::to_chars writes it\n", checked);
    return 0;
}
