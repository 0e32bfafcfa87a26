#pragma once

#include "export/ISettingsStore.h"

#include <map>
#include <string>

// The settings store as an INI file in the form QSettings writes: "[Section]" lines and
// "name=value" lines, text values quoted and escaped where needed. Writes change the values
// in memory; Save replaces the file whole.
class IniSettingsStore : public ISettingsStore {
public:
    explicit IniSettingsStore(std::string path);

    int ReadInt(std::string_view section, std::string_view name, int fallback) override;
    std::string ReadText(std::string_view section, std::string_view name, std::string_view fallback) override;
    void WriteInt(std::string_view section, std::string_view name, int value) override;
    void WriteText(std::string_view section, std::string_view name, std::string_view value) override;

    // The per-user file of the desktop program: $XDG_CONFIG_HOME (or ~/.config), then
    // "Halvora/QVO/PLVX/frt2dxf.ini".
    static std::string UserPath();

    // False when the file could not be written.
    [[nodiscard]] bool Save() const;

    // Why the file's values could not be read ("no stored settings there" when there is no
    // file), or empty. A file that is no regular file (a pipe, a device, a folder) or larger than
    // kMaxBytes is not read.
    [[nodiscard]] const std::string& Problem() const { return m_problem; }
    static constexpr std::size_t kMaxBytes = std::size_t{1} << 20;
    // Why a settings file that is there cannot be used, or empty (also when there is none); its
    // content goes to `content` when it can.
    static std::string Unusable(const std::string& path, std::string& content);

private:
    using Key = std::pair<std::string, std::string>;

    std::string m_path;
    std::string m_problem;
    std::map<Key, std::string> m_values; // raw values as they stand in the file
};
