#pragma once

#include <cstddef>
#include <string>

// A string literal with every byte, embedded NULs included.
template <std::size_t N> std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}
