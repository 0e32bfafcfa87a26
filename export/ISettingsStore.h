#pragma once

#include <string>
#include <string_view>

// The per-user settings store, read and written by section and value name.
class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    virtual int ReadInt(std::string_view section, std::string_view name, int fallback) = 0;
    virtual std::string ReadText(std::string_view section, std::string_view name,
                                 std::string_view fallback) = 0;
    virtual void WriteInt(std::string_view section, std::string_view name, int value) = 0;
    virtual void WriteText(std::string_view section, std::string_view name, std::string_view value) = 0;
    // The first value read that was stored but could not be taken as asked (of another type, or a
    // number beyond any setting's range), as "NAME: why"; the fallback or nearest bound was used.
    [[nodiscard]] const std::string& BadValue() const { return m_badValue; }
    // Keeps what was written for the next start; false when that failed. A store that keeps
    // each value as it is written has nothing left to do.
    [[nodiscard]] virtual bool Flush() { return true; }

    // Notes a stored value that could not be taken (see BadValue); the first one is kept.
    void NoteBadValue(std::string_view name, std::string_view why) {
        if (m_badValue.empty())
            m_badValue = std::string(name) + ": " + std::string(why);
    }

private:
    std::string m_badValue;
};
