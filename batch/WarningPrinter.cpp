#include "batch/WarningPrinter.h"

#include <string>

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
    m_out += m_program + ": " + m_file + ":" + std::to_string(line) + ": " + pair + ": ";
    m_out.append(problem.data(), problem.size()).append("\n");
}

void WarningPrinter::Finish() const {
    if (m_count > kShown)
        m_out += m_program + ": " + m_file + ": " + std::to_string(m_count - kShown) +
                 " more warnings not shown\n";
}
