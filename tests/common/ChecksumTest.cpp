#include "common/Checksum.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::uint64_t ValueOf(const std::string& text, std::size_t piece) {
    Checksum sum;
    for (std::size_t at = 0; at < text.size(); at += piece)
        sum.Add(text.data() + at, std::min(piece, text.size() - at));
    return sum.Value();
}

} // namespace

// The value depends on the bytes alone, not on how a reader's buffer happened to cut them, and
// any change of one byte, of the length or of the order of parts shows.
TEST(Checksum, SameBytesSameValueAnyChangeAnotherValue) {
    std::string text(10000, '\0');
    std::mt19937 random(5);
    for (char& c : text)
        c = static_cast<char>(random());
    const std::uint64_t whole = ValueOf(text, text.size());
    for (const std::size_t piece : {1U, 7U, 31U, 32U, 33U, 4096U})
        EXPECT_EQ(ValueOf(text, piece), whole) << piece;
    for (const std::size_t at : {0U, 31U, 32U, 5000U, 9999U}) {
        std::string changed = text;
        changed[at] = static_cast<char>(changed[at] ^ 1);
        EXPECT_NE(ValueOf(changed, 64), whole) << at;
    }
    EXPECT_NE(ValueOf(text + std::string(1, '\0'), 64), whole) << "a longer text";
    EXPECT_NE(ValueOf(std::string(5, '\0'), 5), ValueOf(std::string(6, '\0'), 6));
    const std::uint64_t a = ValueOf("part one", 3);
    const std::uint64_t b = ValueOf("part two", 3);
    EXPECT_NE(Checksum::Combine(Checksum::Combine(0, a), b), Checksum::Combine(Checksum::Combine(0, b), a));
}
