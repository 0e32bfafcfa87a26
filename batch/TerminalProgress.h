#pragma once

#include "common/IProgressDisplay.h"

#include <cstddef>
#include <cstdint>
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

// One line for a run of several files at once: how many are done, and how much of all the
// input they hold. Reports are printed between Clear and the next redraw.
class RunProgress {
public:
    RunProgress(std::FILE* out, std::size_t files, std::uint64_t bytes);
    RunProgress(const RunProgress&) = delete;
    RunProgress& operator=(const RunProgress&) = delete;
    ~RunProgress() { Clear(); }

    // Takes the line away, so that a message can be printed.
    void Clear();
    // One more file done, with its input's size; redraws the line.
    void FileDone(std::uint64_t bytes);

private:
    std::FILE* m_out;
    std::size_t m_files;
    std::uint64_t m_bytes;
    std::size_t m_filesDone = 0;
    std::uint64_t m_bytesDone = 0;
    bool m_shown = false;
};
