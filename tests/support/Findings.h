#pragma once

#include "frt/IFrtDiagnostics.h"

#include <string>
#include <vector>

// The findings a run tells, each as "LINE KEY: problem" ("LINE KEY=VALUE: problem" with a value),
// in the order told.
class Findings : public IFrtDiagnostics {
public:
    void Warn(std::uint64_t line, std::string_view key, std::string_view value,
              std::string_view problem) override {
        std::string finding = std::to_string(line) + " " + std::string(key);
        if (!value.empty())
            finding += "=" + std::string(value);
        said.push_back(finding + ": " + std::string(problem));
    }
    std::vector<std::string> said;
};
