#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// A broken invariant is a finding: say which and stop, so the fuzzer keeps the input.
inline void FuzzRequire(bool holds, const std::string& what) {
    if (holds)
        return;
    std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
    std::abort();
}
