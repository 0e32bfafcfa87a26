#pragma once

#include "common/Failure.h"

#include <cstdint>

// How a Read went. The export run ignores it; the batch tool reports it.
struct FrtReadResult {
    bool opened = false;
    Failure error; // when the file could not be opened or read
    std::uint64_t bytes = 0;
    std::uint64_t checksum = 0; // of the bytes read, to tell whether a second reading saw the same
    std::uint64_t elements = 0;
    std::uint64_t points = 0; // of the elements: records of [Points], lines, areas
    std::uint64_t lines = 0;
    std::uint64_t areas = 0;

    [[nodiscard]] bool Ok() const { return opened && !error; }
};
