#include "common/Checksum.h"

#include <cstring>

namespace {

constexpr std::uint64_t kPrime = 0x9E3779B185EBCA87ULL;

std::uint64_t RotateLeft(std::uint64_t value, unsigned bits) {
    return (value << bits) | (value >> (64U - bits));
}

// Each step is a bijection of the lane for a given word, so a change in one word always
// changes the lane.
std::uint64_t Mix(std::uint64_t lane, std::uint64_t word) {
    return RotateLeft(lane ^ word, 31) * kPrime;
}

std::uint64_t Finish(std::uint64_t value) {
    value ^= value >> 33U;
    value *= 0xFF51AFD7ED558CCDULL;
    value ^= value >> 33U;
    return value;
}

} // namespace

void Checksum::Stripe(const char* data) {
    for (std::size_t lane = 0; lane < 4; ++lane) {
        std::uint64_t word = 0;
        std::memcpy(&word, data + lane * 8, 8);
        m_lanes[lane] = Mix(m_lanes[lane], word);
    }
}

void Checksum::Add(const char* data, std::size_t size) {
    m_length += size;
    if (m_pending > 0) {
        const std::size_t take = size < kStripe - m_pending ? size : kStripe - m_pending;
        std::memcpy(m_tail + m_pending, data, take);
        m_pending += take;
        data += take;
        size -= take;
        if (m_pending < kStripe)
            return;
        Stripe(m_tail);
        m_pending = 0;
    }
    for (; size >= kStripe; data += kStripe, size -= kStripe)
        Stripe(data);
    std::memcpy(m_tail, data, size);
    m_pending = size;
}

std::uint64_t Checksum::Value() const {
    std::uint64_t value = Mix(0, m_length);
    for (const std::uint64_t lane : m_lanes)
        value = Mix(value, lane);
    for (std::size_t i = 0; i < m_pending; ++i)
        value = Mix(value, static_cast<unsigned char>(m_tail[i]));
    return Finish(value);
}

std::uint64_t Checksum::Combine(std::uint64_t sofar, std::uint64_t next) {
    return Finish(Mix(sofar, next));
}
