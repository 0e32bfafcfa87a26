#pragma once

#include "export/ISettingsStore.h"

#include <map>
#include <string>

// The settings store as an INI file in the form QSettings writes: "[Section]" lines and
// "name=value" lines, text values quoted and escaped where needed. Writes change the values
// in memory; Flush replaces the file whole. A file that is there but cannot be used (no regular
// file, unreadable, larger than kMaxBytes) is neither read nor replaced.
class IniSettingsStore : public ISettingsStore {
public:
    explicit IniSettingsStore(std::string path);

    int ReadInt(std::string_view section, std::string_view name, int fallback) override;
    std::string ReadText(std::string_view section, std::string_view name, std::string_view fallback) override;
    void WriteInt(std::string_view section, std::string_view name, int value) override;
    void WriteText(std::string_view section, std::string_view name, std::string_view value) override;
    [[nodiscard]] bool Flush() override;

    // The per-user file of the desktop program: $XDG_CONFIG_HOME (or ~/.config), then
    // "Halvora/QVO/PLVX/frt2dxf.ini".
    static std::string UserPath();

    // Why the file's values could not be read ("no stored settings there" when there is no
    // file), or empty.
    [[nodiscard]] const std::string& Problem() const { return m_problem; }
    // Whether the file is there but cannot be used.
    [[nodiscard]] bool Refused() const { return m_refused; }
    static constexpr std::size_t kMaxBytes = std::size_t{1} << 20;

private:
    using Key = std::pair<std::string, std::string>;

    std::string m_path;
    std::string m_problem;
    bool m_refused = false;
    std::map<Key, std::string> m_values; // raw values as they stand in the file
};
