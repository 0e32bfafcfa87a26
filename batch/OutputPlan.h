#pragma once

#include <string>
#include <vector>

// One conversion the batch tool is asked for.
struct BatchJob {
    std::string input;
    std::string output;
};

namespace outputplan {

// Checks, before anything is written, that no planned output is an input or another job's output:
// the same file whatever the spelling (links, "./", "..") counts. Returns the first clash as a
// message naming both paths, or empty.
std::string FindClash(const std::vector<BatchJob>& jobs);

} // namespace outputplan
