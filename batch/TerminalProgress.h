#pragma once

#include "common/IProgressDisplay.h"

#include <cstdio>
#include <string>

// A one-line progress bar on a terminal: "reading" for the first range, "writing" for the
// second. It redraws only when the shown percentage changes.
class TerminalProgress : public IProgressDisplay {
public:
    TerminalProgress(std::FILE* out, std::string name) : m_out(out), m_name(std::move(name)) {}
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;
    ~TerminalProgress() override;

    void Show(std::int64_t position, std::int64_t low, std::int64_t high) override;

private:
    std::FILE* m_out;
    std::string m_name;
    int m_phase = -1;
    int m_shown = -1;
    std::int64_t m_lastHigh = -1;
    std::int64_t m_lastLow = -1;
};
