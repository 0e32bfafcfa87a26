#include "batch/WarningPrinter.h"

#include <cinttypes>

namespace {

// Record values may hold any byte; control characters must not act on the terminal.
std::string Printable(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return out;
}

} // namespace

void WarningPrinter::Warn(std::uint64_t line, std::string_view key, std::string_view value,
                          std::string_view problem) {
    if (++m_count > kShown)
        return;
    std::string pair = Printable(key);
    if (!value.empty())
        pair += "=" + Printable(value);
    std::fprintf(m_out, "%s: %s:%" PRIu64 ": %s: %.*s\n", m_program.c_str(), m_file.c_str(), line,
                 pair.c_str(), static_cast<int>(problem.size()), problem.data());
}

void WarningPrinter::Finish() const {
    if (m_count > kShown)
        std::fprintf(m_out, "%s: %s: %" PRIu64 " more warnings not shown\n", m_program.c_str(),
                     m_file.c_str(), m_count - kShown);
}
