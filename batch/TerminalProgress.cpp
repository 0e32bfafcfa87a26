#include "batch/TerminalProgress.h"

TerminalProgress::~TerminalProgress() {
    if (m_phase >= 0) {
        std::fputs("\r\033[K", m_out);
        std::fflush(m_out);
    }
}

void TerminalProgress::Show(std::int64_t position, std::int64_t low, std::int64_t high) {
    if (position == low && (high != m_lastHigh || low != m_lastLow || m_shown > 0)) {
        ++m_phase; // a new range starts the next phase
        m_shown = -1;
    }
    m_lastHigh = high;
    m_lastLow = low;
    const auto span = static_cast<double>(high - low);
    const int percent = span > 0 ? static_cast<int>(100.0 * static_cast<double>(position - low) / span) : 100;
    if (percent == m_shown)
        return;
    m_shown = percent;
    constexpr int kWidth = 30;
    const int filled = percent * kWidth / 100;
    std::fprintf(m_out, "\r%s: %-7s [%.*s%*s] %3d%%", m_name.c_str(), m_phase == 0 ? "reading" : "writing",
                 filled, "##############################", kWidth - filled, "", percent);
    std::fflush(m_out);
}

RunProgress::RunProgress(std::FILE* out, std::size_t files, std::uint64_t bytes)
    : m_out(out), m_files(files), m_bytes(bytes) {}

void RunProgress::Clear() {
    if (!m_shown)
        return;
    std::fputs("\r\033[K", m_out);
    std::fflush(m_out);
    m_shown = false;
}

void RunProgress::FileDone(std::uint64_t bytes) {
    ++m_filesDone;
    m_bytesDone += bytes;
    const bool small = m_bytes < 1000000; // kB for a run of small files, else MB
    const double unit = small ? 1e3 : 1e6;
    std::fprintf(m_out, "\r%zu of %zu files, %.1f of %.1f %s read\033[K", m_filesDone, m_files,
                 static_cast<double>(m_bytesDone) / unit, static_cast<double>(m_bytes) / unit,
                 small ? "kB" : "MB");
    std::fflush(m_out);
    m_shown = true;
}
