// Compares the number parser with std::from_chars on many decimal texts: survey coordinates
// with 0 to 6 decimals, digit strings of 1 to 22 digits with the point anywhere, leading zeros,
// signs, exponents; as a prefix (ParseDouble) and as the whole text (ParseWhole). Prints the count and the
// first difference, if any.
//   check_parse [MILLIONS=100] [SEED=1]
#include "common/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

int main(int argc, char** argv) {
    const unsigned long long total = (argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100) * 1000000ULL;
    std::mt19937_64 random(argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1);
    std::string text;
    for (unsigned long long i = 0; i < total; ++i) {
        text.clear();
        if (random() % 4 == 0)
            text += '-';
        if (i % 2 == 0) { // a coordinate: up to 7 whole digits, 0 to 6 decimals
            text += std::to_string(random() % 10000000);
            if (const unsigned decimals = random() % 7; decimals > 0) {
                text += '.';
                for (unsigned d = 0; d < decimals; ++d)
                    text += static_cast<char>('0' + random() % 10);
            }
        } else { // any digits, the point anywhere, now and then an exponent
            const unsigned count = 1 + random() % 22;
            const unsigned point = random() % (count + 1);
            for (unsigned d = 0; d < count; ++d) {
                if (d == point)
                    text += '.';
                text += static_cast<char>('0' + random() % 10);
            }
            if (random() % 8 == 0)
                text += "e" + std::to_string(static_cast<int>(random() % 40) - 20);
        }
        const double fast = numtext::ParseDouble(text);
        const bool negative = text.front() == '-';
        double library = 0;
        const auto read =
            std::from_chars(text.data() + (negative ? 1 : 0), text.data() + text.size(), library);
        if (negative)
            library = -library;
        double whole = 0;
        const bool isWhole = numtext::ParseWhole(text, &whole);
        const bool libraryWhole = read.ec == std::errc() && read.ptr == text.data() + text.size();
        const auto same = [](double a, double b) { return a == b && std::signbit(a) == std::signbit(b); };
        if (!same(fast, library) || isWhole != libraryWhole || (isWhole && !same(whole, library))) {
            std::printf("differs: %s gives %a (whole: %d), the library %a (whole: %d)\n", text.c_str(), fast,
                        isWhole, library, libraryWhole);
            return 1;
        }
    }
    std::printf("%llu texts checked, each read as std::from_chars reads it\n", total);
    return 0;
}
