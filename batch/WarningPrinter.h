#pragma once

#include "frt/IFrtDiagnostics.h"

#include <cstdint>
#include <string>

// Prints the reader's findings for one input as "PROGRAM: FILE:LINE: KEY=VALUE: problem", the
// first kShown of them, and how many more there were when Finish is called.
class WarningPrinter : public IFrtDiagnostics {
public:
    static constexpr std::uint64_t kShown = 20;

    // The lines go to the end of `out`.
    WarningPrinter(std::string& out, std::string program, std::string file)
        : m_out(out), m_program(std::move(program)), m_file(std::move(file)) {}

    void Warn(std::uint64_t line, std::string_view key, std::string_view value,
              std::string_view problem) override;
    void Finish() const;
    // From now on every finding is also added to `json`, as objects for the --report file.
    void CollectFor(std::string& json) { m_json = &json; }
    [[nodiscard]] std::uint64_t Count() const { return m_count; }

private:
    std::string& m_out;
    std::string m_program;
    std::string m_file;
    std::uint64_t m_count = 0;
    std::string* m_json = nullptr;
};
