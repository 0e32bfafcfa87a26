#include "export/RegistrySettingsStore.h"

#include "export/WinText.h"

#include <windows.h>

namespace {

class Key {
public:
    Key(const std::wstring& path, bool create) {
        if (create)
            RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &m_key,
                            nullptr);
        else
            RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &m_key);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() {
        if (m_key != nullptr)
            RegCloseKey(m_key);
    }
    [[nodiscard]] HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

std::wstring Name(std::string_view name) {
    return wintext::Wide(std::string(name), CP_ACP);
}

} // namespace

std::wstring RegistrySettingsStore::SectionKey(std::string_view section) const {
    return wintext::FromLocal(m_keyPath + "\\" + std::string(section));
}

bool RegistrySettingsStore::HasSection(std::string_view section) const {
    const Key key(SectionKey(section), false);
    return key.get() != nullptr;
}

std::string RegistrySettingsStore::Location(std::string_view section) const {
    return "HKEY_CURRENT_USER\\" + m_keyPath + "\\" + std::string(section);
}

int RegistrySettingsStore::ReadInt(std::string_view section, std::string_view name, int fallback) {
    const Key key(SectionKey(section), false);
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof value;
    if (key.get() == nullptr)
        return fallback;
    const LSTATUS status = RegQueryValueExW(key.get(), Name(name).c_str(), nullptr, &type,
                                            reinterpret_cast<BYTE*>(&value), &size);
    if (status == ERROR_FILE_NOT_FOUND)
        return fallback;
    if ((status != ERROR_SUCCESS && status != ERROR_MORE_DATA) || type != REG_DWORD) {
        NoteBadValue(name, "stored as another type than a number (REG_DWORD)");
        return fallback;
    }
    return static_cast<int>(value);
}

std::string RegistrySettingsStore::ReadText(std::string_view section, std::string_view name,
                                            std::string_view fallback) {
    const Key key(SectionKey(section), false);
    DWORD type = 0;
    DWORD size = 0;
    const std::wstring valueName = Name(name);
    if (key.get() == nullptr)
        return std::string(fallback);
    const LSTATUS status = RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND)
        return std::string(fallback);
    if (status != ERROR_SUCCESS || type != REG_SZ) {
        NoteBadValue(name, "stored as another type than a text (REG_SZ)");
        return std::string(fallback);
    }
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                         &size) != ERROR_SUCCESS)
        return std::string(fallback);
    text.resize(wcsnlen(text.c_str(), text.size()));
    return wintext::ToLocal(text);
}

void RegistrySettingsStore::WriteInt(std::string_view section, std::string_view name, int value) {
    const Key key(SectionKey(section), true);
    const auto data = static_cast<DWORD>(value);
    if (key.get() != nullptr)
        RegSetValueExW(key.get(), Name(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                       sizeof data);
}

void RegistrySettingsStore::WriteText(std::string_view section, std::string_view name,
                                      std::string_view value) {
    const Key key(SectionKey(section), true);
    const std::wstring text = wintext::FromLocal(std::string(value));
    if (key.get() != nullptr)
        RegSetValueExW(key.get(), Name(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}
