#include "convert/LayerNames.h"

#include "dxf/DxfGroup.h"

#include <algorithm>
#include <cstdint>

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

std::string LayerNames::Key(std::string_view given) {
    if (given.size() <= dxfgroup::kMaxText)
        return std::string(given);
    constexpr std::size_t kDigest = 17; // "~" and 16 hex digits
    std::size_t keep = dxfgroup::kMaxText - kDigest;
    // Not inside a character of UTF-8, so that the start reads as the name does.
    while (keep > 0 && (static_cast<unsigned char>(given[keep]) & 0xC0U) == 0x80U)
        --keep;
    std::uint64_t hash = 14695981039346656037ULL; // FNV-1a, the same on every platform
    for (const char c : given) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    static const char kHex[] = "0123456789ABCDEF";
    std::string key(given.substr(0, keep));
    key += '~';
    for (int shift = 60; shift >= 0; shift -= 4)
        key += kHex[(hash >> static_cast<unsigned>(shift)) & 15U];
    return key;
}

bool LayerNames::LooksUtf8(std::string_view given) {
    return codepage::HasHighBytes(given) && utf8::IsValid(given);
}
