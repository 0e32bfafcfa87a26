#pragma once

#include <cstdint>
#include <cstring>

// The first `byte` in [p, end), or end. Eight bytes at a time, inline: the texts searched are a
// line or a value long, where a call costs as much as the search, and the Windows C runtime's
// memchr goes byte by byte.
inline const char* FindByte(const char* p, const char* end, char byte) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
    const std::uint64_t pattern = kOnes * static_cast<unsigned char>(byte);
    for (; end - p >= 8; p += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, sizeof word);
        word ^= pattern;
        // A match is now a zero byte; the lowest flagged bit is the first of them in memory.
        if (const std::uint64_t zero = (word - kOnes) & ~word & kHighs; zero != 0)
            return p + __builtin_ctzll(zero) / 8;
    }
#endif
    while (p != end && *p != byte)
        ++p;
    return p;
}

// The first line feed or carriage return in [p, end), or end: where a line ends, whichever of
// the systems' line ends (LF, CR LF, CR) the file has.
inline const char* FindLineEnd(const char* p, const char* end) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
    for (; end - p >= 8; p += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, sizeof word);
        const std::uint64_t lf = word ^ (kOnes * '\n');
        const std::uint64_t cr = word ^ (kOnes * '\r');
        // Either is now a zero byte; flags above the first true one may be false, never below.
        if (const std::uint64_t zero = ((lf - kOnes) & ~lf & kHighs) | ((cr - kOnes) & ~cr & kHighs);
            zero != 0)
            return p + __builtin_ctzll(zero) / 8;
    }
#endif
    while (p != end && *p != '\n' && *p != '\r')
        ++p;
    return p;
}
