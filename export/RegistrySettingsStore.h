#pragma once

#include "export/ISettingsStore.h"

#include <string>

// The settings store where the Windows framework keeps it: HKEY_CURRENT_USER\Software\ + the key
// path + the program's name + the section; integers as REG_DWORD, texts as REG_SZ.
class RegistrySettingsStore : public ISettingsStore {
public:
    explicit RegistrySettingsStore(std::string keyPath = R"(Software\Halvora\QVO\PLVX\frt2dxf)")
        : m_keyPath(std::move(keyPath)) {}

    int ReadInt(std::string_view section, std::string_view name, int fallback) override;
    std::string ReadText(std::string_view section, std::string_view name, std::string_view fallback) override;
    void WriteInt(std::string_view section, std::string_view name, int value) override;
    void WriteText(std::string_view section, std::string_view name, std::string_view value) override;

    [[nodiscard]] const std::string& KeyPath() const { return m_keyPath; }
    // Whether the section's key exists: the desktop program has stored its choices.
    [[nodiscard]] bool HasSection(std::string_view section) const;
    // The section's key as Windows shows it, for messages.
    [[nodiscard]] std::string Location(std::string_view section) const;

private:
    [[nodiscard]] std::wstring SectionKey(std::string_view section) const;

    std::string m_keyPath;
};
