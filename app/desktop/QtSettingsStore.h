#pragma once

#include "export/ISettingsStore.h"

#include <QSettings>

#include <memory>
#include <string>

// The per-user settings store through QSettings in INI form: integers as integers, texts as texts.
class QtSettingsStore : public ISettingsStore {
public:
    // The desktop program's own store: organisation "Halvora/QVO/PLVX", application "frt2dxf".
    // A file there that cannot be used (a pipe, a device, a folder, unreadable, over 1 MiB) is
    // neither read nor written: the defaults are used, and the reason goes to standard error.
    QtSettingsStore();
    // A store in the given INI file (tests keep theirs apart from the user's).
    explicit QtSettingsStore(const QString& iniPath);

    int ReadInt(std::string_view section, std::string_view name, int fallback) override;
    std::string ReadText(std::string_view section, std::string_view name, std::string_view fallback) override;
    void WriteInt(std::string_view section, std::string_view name, int value) override;
    void WriteText(std::string_view section, std::string_view name, std::string_view value) override;

    QSettings& Settings() { return *m_settings; }
    // Why the user's file is not used, or empty.
    [[nodiscard]] const std::string& Problem() const { return m_problem; }

private:
    std::unique_ptr<QSettings> m_settings; // none when the file is refused
    std::string m_problem;
};
