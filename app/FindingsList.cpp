#include "app/FindingsList.h"

#include <algorithm>

namespace {

// A value may hold any byte and be of any length: no control character reaches a message box,
// and a value of megabytes is no message.
constexpr std::size_t kLongestValue = 80;

void AppendPrintable(std::string& out, std::string_view text) {
    std::size_t size = std::min(text.size(), kLongestValue);
    // Cut between two UTF-8 characters.
    while (size < text.size() && size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0U) == 0x80U)
        --size;
    for (const char c : text.substr(0, size))
        out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
    if (size < text.size())
        out += "...";
}

} // namespace

FindingsList::FindingsList(std::string inputName, std::string listPath)
    : m_inputName(std::move(inputName)), m_listPath(std::move(listPath)) {}

void FindingsList::Warn(std::uint64_t line, std::string_view key, std::string_view value,
                        std::string_view problem) {
    ++m_count;
    m_line.assign(m_inputName).append(":").append(std::to_string(line)).append(": ");
    const std::size_t pair = m_line.size();
    AppendPrintable(m_line, key);
    if (!value.empty()) {
        m_line += '=';
        AppendPrintable(m_line, value);
    }
    m_line.append(": ").append(problem);
    if (m_shown.size() < kShown)
        m_shown.push_back("line " + std::to_string(line) + ": " + m_line.substr(pair));
    // The list is made with the first finding, so that a survey without any leaves no file.
    if (!m_list) {
        m_list = std::make_unique<AtomicFile>(m_listPath);
        // A list that cannot be made is said at the end; the drawing does not depend on it.
        if (!m_list->Open())
            return;
    }
    m_line += '\n';
    static_cast<void>(m_list->Write(m_line.data(), m_line.size()));
}

Failure FindingsList::Finish() {
    if (m_count <= kShown || !m_list) {
        m_list.reset(); // the message shows them all
        return {};
    }
    if (!m_list->Error())
        static_cast<void>(m_list->Commit());
    return m_list->Error();
}
