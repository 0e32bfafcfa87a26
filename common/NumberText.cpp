#include "common/NumberText.h"

#include "common/ByteCopy.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

namespace numtext {

namespace {

// Splits off an optional sign; returns true for a minus.
bool TakeSign(std::string_view& text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        const bool negative = text.front() == '-';
        text.remove_prefix(1);
        return negative;
    }
    return false;
}

bool HasHexPrefix(std::string_view text) {
    return text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

template <typename Int> Int ParseDecimal(std::string_view text) {
    text = SkipSpace(text);
    const bool negative = TakeSign(text);
    // Accumulate as a negative number so that the minimum value is representable.
    Int value = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const Int digit = static_cast<Int>(text[i] - '0');
        if (value < (std::numeric_limits<Int>::min() + digit) / 10)
            return 0;
        value = static_cast<Int>(value * 10 - digit);
    }
    if (!negative) {
        if (value == std::numeric_limits<Int>::min())
            return 0;
        return static_cast<Int>(-value);
    }
    return value;
}

constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

constexpr std::uint64_t kWholePowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
constexpr std::uint64_t kZeros = 0x3030303030303030U; // "00000000"

// How many of the eight bytes, the first the lowest, are decimal digits before the first that is
// not. A byte is one when its high half is 3 and adding 6 leaves it so; a carry out of a byte
// that is no digit reaches only bytes after it.
std::size_t DigitRun(std::uint64_t word) {
    constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0U;
    const std::uint64_t notDigit =
        ((word & kHigh) ^ kZeros) | (((word + 0x0606060606060606U) & kHigh) ^ kZeros);
    if (notDigit == 0)
        return 8;
    return static_cast<std::size_t>(__builtin_ctzll(notDigit)) / 8;
}

// The number eight digit values make, the first (most significant) in the lowest byte: three
// multiplications instead of eight (Lemire's method).
std::uint64_t EightDigits(std::uint64_t values) {
    values = values * 10 + (values >> 8U);
    constexpr std::uint64_t kMask = 0x000000FF000000FFU;
    constexpr std::uint64_t kHundredsAndMillions = 100 + (std::uint64_t{1000000} << 32U);
    constexpr std::uint64_t kOnesAndTenThousands = 1 + (std::uint64_t{10000} << 32U);
    return (((values & kMask) * kHundredsAndMillions) + (((values >> 16U) & kMask) * kOnesAndTenThousands)) >>
           32U;
}

// Plain decimals of at most 19 digits and no exponent, as a survey file writes its numbers:
// when the digits make an integer below 2^53 and the point is at most 22 places from the end,
// both that integer and the power of ten are exact doubles, and one correctly rounded division
// gives the correctly rounded value (Clinger's fast path). Returns how many characters were
// read, or 0 for anything else.
// `digitsBeforePoint` and `decimals`, when asked for, tell how the number was spelled (decimals
// is -1 without a point).
struct PlainShape {
    std::size_t digitsBeforePoint = 0;
    int decimals = -1;
};
std::size_t ParsePlainDecimal(std::string_view text, double& value, PlainShape* shape = nullptr) {
    const char* p = text.data();
    const char* const end = p + text.size();
    std::uint64_t digits = 0; // wraps for more than 19 digits, which are refused below
    const auto takeDigits = [&p, end, &digits] {
        const char* const start = p;
        // Eight bytes at a time where eight can be read: a survey's numbers are mostly runs of
        // three to seven digits.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        while (end - p >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, p, sizeof word);
            const std::size_t run = DigitRun(word);
            if (run == 0)
                break;
            // The run's digits moved to the top, zero digits below them: the same number.
            digits = digits * kWholePowersOfTen[run] + EightDigits((word - kZeros) << (8 * (8 - run)));
            p += run;
            if (run < 8)
                return static_cast<std::size_t>(p - start);
        }
#endif
        for (; p != end && static_cast<unsigned char>(*p - '0') < 10; ++p)
            digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
        return static_cast<std::size_t>(p - start);
    };
    std::size_t count = takeDigits();
    std::size_t decimals = 0;
    const bool point = p != end && *p == '.';
    if (point) {
        ++p;
        decimals = takeDigits();
        count += decimals;
    }
    const auto i = static_cast<std::size_t>(p - text.data());
    if (count == 0 || count > 19 || digits > (std::uint64_t{1} << 53U) ||
        decimals >= std::size(kExactPowersOfTen))
        return 0;
    // An exponent continues the number: the library reads it.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E'))
        return 0;
    value = static_cast<double>(digits) / kExactPowersOfTen[decimals];
    if (shape != nullptr) {
        shape->digitsBeforePoint = count - decimals;
        shape->decimals = point ? static_cast<int>(decimals) : -1;
    }
    return i;
}

// Reads a sign, if any, and a finite plain or scientific decimal from the start of the text.
// Surveys hold no hexadecimal numbers, so "0x1p3" is the number 0 and text that follows it, as
// older runtimes' atof read it. Returns the characters read, or 0 with the value left as it was
// when no such number starts there.
std::size_t ReadNumber(std::string_view text, double& value) {
    const std::size_t size = text.size();
    const bool negative = TakeSign(text);
    if (!text.empty() && text.front() == '-')
        return 0; // a second sign, which atof does not take (from_chars would)
    double number = 0.0;
    std::size_t read = ParsePlainDecimal(text, number);
    if (read == 0) {
        const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
        if (result.ec != std::errc() || !std::isfinite(number))
            return 0;
        read = static_cast<std::size_t>(result.ptr - text.data());
    }
    value = negative ? -number : number;
    return size - text.size() + read;
}

} // namespace

double ParseDouble(std::string_view text) {
    double value = 0.0;
    ReadNumber(SkipSpace(text), value);
    return value;
}

double ParseSpelled(std::string_view text, Spelling& spelled) {
    spelled = Spelling{};
    const std::size_t sign = !text.empty() && text.front() == '-' ? 1 : 0;
    const std::string_view digits = text.substr(sign);
    double number = 0.0;
    PlainShape shape;
    const bool whole = text.size() <= Spelling::kLongest && !digits.empty() &&
                       ParsePlainDecimal(digits, number, &shape) == digits.size();
    // The shortest form: a digit before the point, no zero first unless alone, a digit after a point.
    if (!whole || shape.digitsBeforePoint == 0 || (shape.digitsBeforePoint > 1 && digits.front() == '0') ||
        shape.decimals == 0)
        return ParseDouble(text);
    spelled.text = text.data();
    spelled.size = static_cast<std::uint8_t>(text.size());
    spelled.decimals = static_cast<std::uint8_t>(shape.decimals < 0 ? 0 : shape.decimals);
    return sign != 0 ? -number : number;
}

std::int32_t ParseInt(std::string_view text) {
    return ParseDecimal<std::int32_t>(text);
}

std::uint32_t ParseHex(std::string_view text) {
    text = SkipSpace(text);
    const bool negative = TakeSign(text);
    if (HasHexPrefix(text))
        text.remove_prefix(2);
    std::uint32_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (result.ec != std::errc())
        return 0;
    return negative ? static_cast<std::uint32_t>(0U - value) : value;
}

namespace {

std::string_view Trimmed(std::string_view text) {
    text = SkipSpace(text);
    while (!text.empty() && IsCSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

bool ParseWhole(std::string_view text, double* value) {
    text = Trimmed(text);
    double number = 0.0;
    if (text.empty() || ReadNumber(text, number) != text.size())
        return false;
    *value = number;
    return true;
}

bool ParseWhole(std::string_view text, std::int32_t* value) {
    text = Trimmed(text);
    const bool plus = !text.empty() && text.front() == '+';
    if (plus)
        text.remove_prefix(1);
    std::int32_t number = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || (plus && text.front() == '-') || result.ec != std::errc() ||
        result.ptr != text.data() + text.size())
        return false;
    *value = number;
    return true;
}

bool ParseWholeHex(std::string_view text, std::uint32_t* value) {
    const std::string_view whole = text;
    text = Trimmed(text);
    TakeSign(text);
    if (HasHexPrefix(text))
        text.remove_prefix(2);
    std::uint32_t number = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), number, 16);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
        return false;
    *value = ParseHex(whole);
    return true;
}

std::string FormatShortest(double value) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return {buffer.data(), result.ptr};
}

std::string FormatShortestFloat(float value) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return {buffer.data(), result.ptr};
}

namespace {

__extension__ using Wide = unsigned __int128; // GCC and Clang, mingw-w64 included

// 10^0 to 10^19, all that fit 64 bits.
constexpr std::array<std::uint64_t, 20> kPowersOfTen = [] {
    std::array<std::uint64_t, 20> powers{};
    std::uint64_t power = 1;
    for (std::uint64_t& entry : powers) {
        entry = power;
        power *= 10; // wraps after the last, unused
    }
    return powers;
}();

// |value| x 10^decimals rounded to an integer, ties to even, exactly as the library rounds the
// exact binary value; false when it does not fit 64 bits or the value is not finite.
bool ScaledInteger(double value, int decimals, std::uint64_t& scaled) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const auto exponentBits = static_cast<int>((bits >> 52U) & 0x7FFU);
    if (exponentBits == 0x7FF)
        return false; // infinite or not a number
    // |value| = mantissa x 2^shift, the mantissa an integer of at most 53 bits.
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52U) - 1);
    const std::uint64_t mantissa = exponentBits == 0 ? fraction : fraction | (std::uint64_t{1} << 52U);
    const int shift = exponentBits == 0 ? -1074 : exponentBits - 1075;
    const Wide product = static_cast<Wide>(mantissa) * kPowersOfTen[decimals]; // < 2^107
    Wide result = 0;
    if (shift >= 0) {
        if (shift > 63 || (product >> (64 - shift)) != 0)
            return false;
        result = product << shift;
    } else if (shift <= -108) {
        result = 0; // far below half a unit of the last digit
    } else {
        const int right = -shift;
        result = product >> right;
        const Wide rest = product & ((static_cast<Wide>(1) << right) - 1);
        const Wide half = static_cast<Wide>(1) << (right - 1);
        if (rest > half || (rest == half && (result & 1) != 0))
            ++result;
    }
    if ((result >> 64) != 0)
        return false;
    scaled = static_cast<std::uint64_t>(result);
    return true;
}

// "00" to "99", so that the decimals are written two at a time.
constexpr std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (std::size_t i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// scaled = whole x 10^decimals + rest. A divisor known to the compiler becomes a multiplication,
// which is several times faster than a division by a number from a table.
template <int Decimals> void SplitBy(std::uint64_t scaled, std::uint64_t& whole, std::uint64_t& rest) {
    constexpr std::uint64_t unit = kPowersOfTen[Decimals];
    whole = scaled / unit;
    rest = scaled % unit;
}

template <int... Decimals>
void SplitAmong(std::uint64_t scaled, int decimals, std::uint64_t& whole, std::uint64_t& rest,
                std::integer_sequence<int, Decimals...> /*all*/) {
    ((decimals == Decimals ? SplitBy<Decimals>(scaled, whole, rest) : void()), ...);
}

void Split(std::uint64_t scaled, int decimals, std::uint64_t& whole, std::uint64_t& rest) {
    if (decimals == 6) // what a drawing's coordinates have
        SplitBy<6>(scaled, whole, rest);
    else
        SplitAmong(scaled, decimals, whole, rest, std::make_integer_sequence<int, 17>{});
}

// The decimal digits of the value, without leading zeros ("0" for 0), two at a time from the end.
char* WriteWhole(char* out, std::uint64_t value) {
    int length = 1;
    while (length < 20 && value >= kPowersOfTen[length])
        ++length;
    char* p = out + length;
    while (value >= 100) {
        const std::size_t pair = 2 * static_cast<std::size_t>(value % 100);
        value /= 100;
        p -= 2;
        p[0] = kDigitPairs[pair];
        p[1] = kDigitPairs[pair + 1];
    }
    if (value >= 10) {
        p[-2] = kDigitPairs[2 * value];
        p[-1] = kDigitPairs[2 * value + 1];
    } else {
        p[-1] = static_cast<char>('0' + value);
    }
    return out + length;
}

} // namespace

char* WriteFixed(char* out, char* end, double value, int decimals) {
    // The fast way writes a sign, 20 digits, the point and 16 decimals at most.
    constexpr std::ptrdiff_t kFastRoom = 38;
    std::uint64_t scaled = 0;
    if (decimals < 0 || decimals > 16 || end - out < kFastRoom || !ScaledInteger(value, decimals, scaled)) {
        const auto result = std::to_chars(out, end, value, std::chars_format::fixed, decimals);
        return result.ec == std::errc() ? result.ptr : nullptr;
    }
    if (std::signbit(value))
        *out++ = '-'; // as the library writes it, also for -0 and what rounds to 0
    std::uint64_t whole = 0;
    std::uint64_t rest = 0;
    Split(scaled, decimals, whole, rest);
    out = WriteWhole(out, whole);
    if (decimals == 0)
        return out;
    *out++ = '.';
    int i = decimals;
    for (; i >= 2; i -= 2) {
        const std::size_t pair = 2 * static_cast<std::size_t>(rest % 100);
        out[i - 2] = kDigitPairs[pair];
        out[i - 1] = kDigitPairs[pair + 1];
        rest /= 100;
    }
    if (i == 1)
        out[0] = static_cast<char>('0' + rest);
    return out + decimals;
}

Spelling Spell(std::string_view text) {
    Spelling spelling;
    ParseSpelled(text, spelling);
    return spelling;
}

namespace {

// For each decimals count d, the largest biased exponent a double may have so that its unit in the
// last place, 2^(exponent - 1075), is below 10^-d: the smallest k with 2^k > 10^d, from 1075.
constexpr std::array<int, 17> kMaxSpelledExponent = [] {
    std::array<int, 17> limits{};
    for (std::size_t d = 0; d < limits.size(); ++d) {
        int k = 0;
        while ((std::uint64_t{1} << k) <= kPowersOfTen[d])
            ++k;
        limits[d] = 1075 - k;
    }
    return limits;
}();

} // namespace

char* WriteSpelled(char* out, const Spelling& spelling, double value, int decimals) {
    if (spelling.size == 0 || decimals < spelling.decimals || decimals > 16)
        return nullptr;
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    if (static_cast<int>((bits >> 52U) & 0x7FFU) > kMaxSpelledExponent[static_cast<std::size_t>(decimals)])
        return nullptr;
    bytecopy::Copy(out, spelling.text, spelling.size);
    out += spelling.size;
    const int zeros = decimals - spelling.decimals;
    if (zeros == 0)
        return out;
    if (spelling.decimals == 0)
        *out++ = '.';
    // All sixteen at once: a fixed store costs less than a call that counts them.
    static constexpr std::array<char, 16> kZeroDigits = {'0', '0', '0', '0', '0', '0', '0', '0',
                                                         '0', '0', '0', '0', '0', '0', '0', '0'};
    std::memcpy(out, kZeroDigits.data(), kZeroDigits.size());
    return out + zeros;
}

void AppendFixed(std::string& out, double value, int decimals, const Spelling* spelling) {
    // What is not written is not read.
    std::array<char, kFixedRoom> buffer; // NOLINT(cppcoreguidelines-pro-type-member-init)
    char* end = spelling != nullptr ? WriteSpelled(buffer.data(), *spelling, value, decimals) : nullptr;
    if (end == nullptr)
        end = WriteFixed(buffer.data(), buffer.data() + buffer.size(), value, decimals);
    out.append(buffer.data(), end);
}

std::string FormatFixed(double value, int decimals) {
    std::string out;
    AppendFixed(out, value, decimals);
    return out;
}

void AppendInt(std::string& out, std::int64_t value) {
    std::array<char, 24> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    out.append(buffer.data(), result.ptr);
}

} // namespace numtext
