#pragma once

#include <cstddef>
#include <cstdint>

// A fast running checksum of a stream of bytes, to notice that a file read twice did not hold
// the same bytes both times. The value depends only on the bytes, not on how they were handed
// in. Not for security: it catches changes, not forgeries.
class Checksum {
public:
    void Add(const char* data, std::size_t size);
    [[nodiscard]] std::uint64_t Value() const;
    // The checksum of parts taken in order, each given by its own value.
    static std::uint64_t Combine(std::uint64_t sofar, std::uint64_t next);

private:
    static constexpr std::size_t kStripe = 32;
    void Stripe(const char* data);

    std::uint64_t m_lanes[4] = {0x9E3779B97F4A7C15ULL, 0xC2B2AE3D27D4EB4FULL, 0x165667B19E3779F9ULL,
                                0x27D4EB2F165667C5ULL};
    std::uint64_t m_length = 0;
    char m_tail[kStripe] = {};
    std::size_t m_pending = 0;
};
