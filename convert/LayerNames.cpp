#include "convert/LayerNames.h"

#include <algorithm>

const std::string& LayerNames::Add(std::string_view given, bool utf8) {
    if (const auto found = m_written.find(given); found != m_written.end())
        return found->second;
    const dxfnames::Spelling spelling{utf8, m_page, m_asciiOnly};
    std::string written = dxfnames::Written(given, spelling);
    // Said only when more than the blanks changed, and the code page's spelling of the name.
    std::string blanksOnly(given);
    std::replace(blanksOnly.begin(), blanksOnly.end(), ' ', '_');
    const std::string asTyped = utf8 ? blanksOnly : codepage::ToUtf8(blanksOnly, *m_page);
    const std::string shown = codepage::ToUtf8(written, *m_page);
    if (shown != asTyped)
        m_mended.emplace_back(utf8 ? std::string(given) : codepage::ToUtf8(given, *m_page), shown);
    const auto folded = m_byFolded.emplace(dxfnames::Folded(written, *m_page), written).first;
    return m_written.emplace(std::string(given), folded->second).first->second;
}

const std::string* LayerNames::Find(std::string_view given) const {
    const auto found = m_written.find(given);
    return found != m_written.end() ? &found->second : nullptr;
}

bool LayerNames::LooksUtf8(std::string_view given) {
    return codepage::HasHighBytes(given) && utf8::IsValid(given);
}
