#pragma once

#include <cstdint>
#include <string_view>

// Hears of record values that the reader could not take as they stand, so that a caller may
// tell the user. The reader converts such records all the same, with the fallback it names.
class IFrtDiagnostics {
public:
    virtual ~IFrtDiagnostics() = default;
    // line: the record's 1-based line number; value: empty when the key is missing;
    // problem: what is wrong and what was used instead.
    virtual void Warn(std::uint64_t line, std::string_view key, std::string_view value,
                      std::string_view problem) = 0;
};
