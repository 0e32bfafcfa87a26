#pragma once

#include <cstdint>

// What draws the progress: a bar widget in the desktop program, a terminal line in the batch
// tool, a recorder in tests. It only shows the state the reporter computes.
class IProgressDisplay {
public:
    virtual ~IProgressDisplay() = default;
    virtual void Show(std::int64_t position, std::int64_t low, std::int64_t high) = 0;
};
