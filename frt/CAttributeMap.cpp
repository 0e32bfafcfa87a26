#include "frt/CAttributeMap.h"

#include "common/NumberText.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>

std::string_view CAttributeMap::TextOf(const Entry& e) const {
    if (e.kind != AttributeKind::String)
        return {};
    return std::string_view(m_arena).substr(e.textOffset, e.textLength);
}

std::string CAttributeMap::ValueTextOf(const Entry& e) const {
    switch (e.kind) {
    case AttributeKind::Int: {
        std::string out;
        numtext::AppendInt(out, e.intValue);
        return out;
    }
    case AttributeKind::Double:
        return numtext::FormatFixed(e.doubleValue, 6);
    case AttributeKind::String:
        break;
    }
    return std::string(TextOf(e));
}

const CAttributeMap::Entry& CAttributeMap::Ordered(std::size_t index) const {
    if (!m_orderValid) {
        m_order.resize(m_entries.size());
        for (std::size_t i = 0; i < m_order.size(); ++i)
            m_order[i] = i;
        std::sort(m_order.begin(), m_order.end(),
                  [this](std::size_t a, std::size_t b) { return KeyOf(m_entries[a]) < KeyOf(m_entries[b]); });
        m_orderValid = true;
    }
    return m_entries[m_order[index]];
}

namespace {
std::size_t HashOf(std::string_view key) {
    return std::hash<std::string_view>()(key);
}
} // namespace

std::size_t CAttributeMap::Find(std::string_view key) const {
    if (m_index.empty()) {
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            const Entry& e = m_entries[i];
            // Length and first byte settle most mismatches without a memcmp call.
            if (e.keyLength == key.size() && (key.empty() || m_arena[e.keyOffset] == key.front()) &&
                KeyOf(e) == key)
                return i;
        }
        return npos;
    }
    const std::size_t mask = m_index.size() - 1;
    for (std::size_t slot = HashOf(key) & mask;; slot = (slot + 1) & mask) {
        const std::size_t entry = m_index[slot];
        if (entry == 0)
            return npos;
        if (KeyOf(m_entries[entry - 1]) == key)
            return entry - 1;
    }
}

void CAttributeMap::IndexEntry(std::size_t entry) {
    const std::size_t mask = m_index.size() - 1;
    std::size_t slot = HashOf(KeyOf(m_entries[entry])) & mask;
    while (m_index[slot] != 0)
        slot = (slot + 1) & mask;
    m_index[slot] = entry + 1;
}

void CAttributeMap::Rehash(std::size_t slots) {
    m_index.assign(slots, 0);
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        IndexEntry(i);
}

CAttributeMap::Entry& CAttributeMap::Slot(std::string_view key) {
    const std::size_t found = Find(key);
    if (found != npos)
        return m_entries[found];
    Entry entry;
    entry.keyOffset = m_arena.size();
    entry.keyLength = key.size();
    m_arena.append(key); // std::string::append copes with text from its own buffer
    m_entries.push_back(entry);
    m_orderValid = false;
    if (!m_index.empty() && m_entries.size() * 2 <= m_index.size())
        IndexEntry(m_entries.size() - 1);
    else if (m_entries.size() > kLinearLimit)
        Rehash(std::max<std::size_t>(64, m_index.size() * 2));
    return m_entries.back();
}

std::string CAttributeMap::GetValue(std::string_view key) const {
    const std::size_t index = Find(key);
    return index == npos ? std::string() : ValueTextOf(m_entries[index]);
}

std::string_view CAttributeMap::GetText(std::string_view key) const {
    const std::size_t index = Find(key);
    return index == npos ? std::string_view() : TextOf(m_entries[index]);
}

void CAttributeMap::SetString(std::string_view key, std::string_view text) {
    const std::size_t offset = m_arena.size();
    m_arena.append(text);
    Entry& e = Slot(key);
    e.kind = AttributeKind::String;
    e.textOffset = offset;
    e.textLength = text.size();
}

void CAttributeMap::SetInt(std::string_view key, std::int32_t value) {
    Entry& e = Slot(key);
    e.kind = AttributeKind::Int;
    e.intValue = value;
}

void CAttributeMap::SetDouble(std::string_view key, double value) {
    Entry& e = Slot(key);
    e.kind = AttributeKind::Double;
    e.doubleValue = value;
}

void CAttributeMap::Clear() {
    m_arena.clear();
    m_entries.clear();
    m_index.clear();
    m_orderValid = false;
}

// One token as the scan pattern " %[^=] <assign> %[^;]" reads it: the key runs to the first
// "=", blanks before it stay in the key; the value runs to the first ";" or the token's end.
void CAttributeMap::ParseToken(std::string_view token, std::string_view assign) {
    // Plain loops: tokens are a few bytes long, where memchr calls cost more than they save.
    const auto position = [](std::string_view text, char wanted) {
        std::size_t i = 0;
        while (i < text.size() && text[i] != wanted)
            ++i;
        return i;
    };
    if (assign.empty() || position(token, assign.front()) == token.size())
        return;
    std::string_view rest = numtext::SkipSpace(token);
    const std::string_view key = rest.substr(0, position(rest, '='));
    if (key.empty())
        return;
    rest.remove_prefix(key.size());
    for (const char c : assign) {
        if (numtext::IsCSpace(c)) {
            rest = numtext::SkipSpace(rest);
        } else {
            if (rest.empty() || rest.front() != c)
                return;
            rest.remove_prefix(1);
        }
    }
    rest = numtext::SkipSpace(rest);
    std::string_view value = rest.substr(0, position(rest, ';'));
    while (!value.empty() && value.back() == ' ')
        value.remove_suffix(1);
    if (!value.empty())
        SetString(key, value);
}

void CAttributeMap::Parse(std::string_view text, std::string_view separators, std::string_view assign) {
    std::array<bool, 256> isSeparator{};
    for (const char c : separators)
        isSeparator[static_cast<unsigned char>(c)] = true;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        while (i < n && isSeparator[static_cast<unsigned char>(text[i])])
            ++i;
        const std::size_t start = i;
        while (i < n && !isSeparator[static_cast<unsigned char>(text[i])])
            ++i;
        if (i > start)
            ParseToken(text.substr(start, i - start), assign);
    }
}

void CAttributeMap::ImportTypedKeys(const CAttributeMap& source, char elementLetter) {
    if (&source == this) {
        // The copy is needed: the source is this map, which the import changes.
        const CAttributeMap copy(source); // NOLINT(performance-unnecessary-copy-initialization)
        ImportTypedKeys(copy, elementLetter);
        return;
    }
    const bool anyTyped =
        std::any_of(source.m_entries.begin(), source.m_entries.end(), [&source](const Entry& e) {
            return e.keyLength > 0 && source.m_arena[e.keyOffset] == '_';
        });
    if (!anyTyped)
        return; // most records have no typed attributes: spare them the key ordering
    const std::size_t prefix = elementLetter != 0 ? 3 : 2;
    for (std::size_t i = 0; i < source.Size(); ++i) {
        const std::string_view key = source.KeyAt(i);
        if (key.size() < prefix || key[0] != '_')
            continue;
        if (elementLetter != 0 && key[2] != elementLetter)
            continue;
        const std::string_view name = key.substr(prefix);
        const std::string text = source.ValueTextAt(i);
        switch (key[1]) {
        case 'D':
            SetDouble(name, numtext::ParseDouble(text));
            break;
        case 'I':
            SetInt(name, numtext::ParseInt(text));
            break;
        case 'S':
            SetString(name, text);
            break;
        default:
            break;
        }
    }
}

void CAttributeMap::ImportTyped(const CAttributeMap& source) {
    ImportTypedKeys(source, 0);
}

void CAttributeMap::ParseTyped(std::string_view text, std::string_view separators, std::string_view assign) {
    CAttributeMap temporary;
    temporary.Parse(text, separators, assign);
    ImportTyped(temporary);
}
