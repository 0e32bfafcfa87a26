#include "common/NumberText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

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

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
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

} // namespace

double ParseDouble(std::string_view text) {
    text = SkipSpace(text);
    const bool negative = TakeSign(text);
    if (!text.empty() && text.front() == '-')
        return 0.0; // a second sign, which atof does not take (from_chars would)
    double value = 0.0;
    std::from_chars_result result{};
    if (HasHexPrefix(text) && text.size() > 2 && (IsHexDigit(text[2]) || text[2] == '.')) {
        const std::string_view digits = text.substr(2);
        result = std::from_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::hex);
    } else {
        result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    }
    if (result.ec != std::errc() || !std::isfinite(value))
        return 0.0;
    return negative ? -value : value;
}

std::int32_t ParseInt(std::string_view text) {
    return ParseDecimal<std::int32_t>(text);
}

std::int64_t ParseLong(std::string_view text) {
    return ParseDecimal<std::int64_t>(text);
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

bool IsWholeDouble(std::string_view text) {
    text = Trimmed(text);
    TakeSign(text);
    if (!text.empty() && text.front() == '-')
        return false;
    double value = 0.0;
    std::from_chars_result result{};
    if (HasHexPrefix(text)) {
        text.remove_prefix(2);
        result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::hex);
    } else {
        result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    }
    return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size() &&
           std::isfinite(value);
}

bool IsWholeInt(std::string_view text) {
    text = Trimmed(text);
    const bool plus = !text.empty() && text.front() == '+';
    if (plus)
        text.remove_prefix(1);
    std::int32_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && !(plus && text.front() == '-') && result.ec == std::errc() &&
           result.ptr == text.data() + text.size();
}

bool IsWholeHex(std::string_view text) {
    text = Trimmed(text);
    TakeSign(text);
    if (HasHexPrefix(text))
        text.remove_prefix(2);
    std::uint32_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size();
}

std::string FormatShortest(double value) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return {buffer.data(), result.ptr};
}

void AppendFixed(std::string& out, double value, int decimals) {
    // The largest finite double has 309 digits before the point.
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, decimals);
    out.append(buffer.data(), result.ptr);
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
