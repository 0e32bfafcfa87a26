#include "batch/WarningPrinter.h"

#include "batch/RunReport.h"
#include "batch/TerminalText.h"

#include <string>

namespace {

// Record values may hold any byte and be of any length: control characters must not act on the
// terminal, and a value of megabytes is no message.
constexpr std::size_t kLongestValue = 80;
constexpr std::size_t kReportedValue = 1000;

std::string Printable(std::string_view text) {
    return terminaltext::Printable(text, kLongestValue);
}

} // namespace

void WarningPrinter::Warn(std::uint64_t line, std::string_view key, std::string_view value,
                          std::string_view problem) {
    if (m_json != nullptr) // a value of megabytes is cut there too
        runreport::AppendWarning(*m_json, line, key, value.substr(0, kReportedValue), problem);
    if (++m_count > kShown)
        return;
    std::string pair = Printable(key);
    if (!value.empty())
        pair += "=" + Printable(value);
    m_out +=
        m_program + ": " + terminaltext::Printable(m_file) + ":" + std::to_string(line) + ": " + pair + ": ";
    m_out.append(problem.data(), problem.size()).append("\n");
}

void WarningPrinter::Finish() const {
    if (m_count > kShown)
        m_out += m_program + ": " + terminaltext::Printable(m_file) + ": " +
                 std::to_string(m_count - kShown) + " more warnings not shown\n";
}
