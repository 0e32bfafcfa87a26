#include "export/IniSettingsStore.h"

#include "common/AtomicFile.h"
#include "common/FileSystem.h"
#include "common/NumberText.h"
#include "common/Utf8.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <sstream>
#include <vector>

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && numtext::IsCSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && numtext::IsCSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The letters of QSettings' backslash escapes, each followed by what it stands for.
constexpr std::string_view kEscapes("a\ab\bf\fv\vn\nt\tr\r0\0", 16);

// A value as QSettings writes text: quotes keep blanks and separators, backslash escapes.
std::string Unescape(std::string_view raw) {
    std::string out;
    bool quoted = false;
    bool anyQuote = false;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '"') {
            quoted = !quoted;
            anyQuote = true;
        } else if (c == '\\' && i + 1 < raw.size()) {
            const char e = raw[++i];
            if (e == 'x') {
                unsigned code = 0;
                int digits = 0;
                while (i + 1 < raw.size() && digits < 4 && HexDigit(raw[i + 1]) >= 0) {
                    code = code * 16 + static_cast<unsigned>(HexDigit(raw[++i]));
                    ++digits;
                }
                utf8::Append(out, code);
            } else if (const std::size_t at = kEscapes.find(e); at != std::string_view::npos && at % 2 == 0) {
                out += kEscapes[at + 1];
            } else {
                out += e;
            }
        } else if (!quoted && c == ';') {
            break; // a comment
        } else {
            out += c;
        }
    }
    return anyQuote ? out : std::string(Trim(out));
}

std::string Escape(std::string_view text) {
    bool quote = !text.empty() && (numtext::IsCSpace(text.front()) || numtext::IsCSpace(text.back()));
    std::string body;
    for (const char c : text) {
        if (c == '\\' || c == '"') {
            body += '\\';
            body += c;
        } else if (c == '\n') {
            body += "\\n";
        } else if (c == '\t') {
            body += "\\t";
        } else {
            quote = quote || c == ';' || c == ',' || c == '=';
            body += c;
        }
    }
    return quote ? "\"" + body + "\"" : body;
}

} // namespace

IniSettingsStore::IniSettingsStore(std::string path) : m_path(std::move(path)) {
    std::string content;
    if (filesys::StateOf(m_path, false).exists) {
        ErrorOr<std::string> read = filesys::ReadSmallFile(m_path, kMaxBytes);
        m_refused = !read;
        if (read)
            content = std::move(*read);
        else
            m_problem = read.error().message();
    } else {
        m_problem = "no stored settings there";
    }
    std::istringstream in(content);
    std::string section;
    for (std::string line; std::getline(in, line);) {
        const std::string_view text = Trim(line);
        if (text.empty() || text.front() == ';' || text.front() == '#')
            continue;
        if (text.front() == '[' && text.back() == ']') {
            section = std::string(text.substr(1, text.size() - 2));
            continue;
        }
        const std::size_t eq = text.find('=');
        if (eq == std::string_view::npos)
            continue;
        m_values[{section, std::string(Trim(text.substr(0, eq)))}] = std::string(Trim(text.substr(eq + 1)));
    }
}

std::string IniSettingsStore::UserPath() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0')
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home != nullptr)
        base = std::string(home) + "/.config";
    else
        base = ".config";
    return base + "/Halvora/QVO/PLVX/frt2dxf.ini";
}

int IniSettingsStore::ReadInt(std::string_view section, std::string_view name, int fallback) {
    const auto found = m_values.find({std::string(section), std::string(name)});
    if (found == m_values.end())
        return fallback;
    const std::string text = Unescape(found->second);
    // Read whole, as the registry's numbers are: "true", "3.7" or "nan" would otherwise read as 0
    // or 3, valid choices of other meaning.
    std::int32_t number = 0;
    if (numtext::ParseWhole(text, &number))
        return number;
    double wide = 0.0;
    if (numtext::ParseWhole(text, &wide) && wide == std::floor(wide) &&
        (wide > std::numeric_limits<int>::max() || wide < std::numeric_limits<int>::min())) {
        NoteBadValue(name, "the number " + text + " is out of range");
        return wide > 0 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
    }
    NoteBadValue(name, "'" + text + "' is not a whole number");
    return fallback;
}

std::string IniSettingsStore::ReadText(std::string_view section, std::string_view name,
                                       std::string_view fallback) {
    const auto found = m_values.find({std::string(section), std::string(name)});
    if (found == m_values.end())
        return std::string(fallback);
    std::string text = Unescape(found->second);
    // QSettings marks its own typed values with a leading "@" and doubles that of a plain text.
    if (text.rfind("@@", 0) == 0)
        text.erase(0, 1);
    return text;
}

void IniSettingsStore::WriteInt(std::string_view section, std::string_view name, int value) {
    std::string text;
    numtext::AppendInt(text, value);
    m_values[{std::string(section), std::string(name)}] = text;
}

void IniSettingsStore::WriteText(std::string_view section, std::string_view name, std::string_view value) {
    const std::string text =
        !value.empty() && value.front() == '@' ? "@" + std::string(value) : std::string(value);
    m_values[{std::string(section), std::string(name)}] = Escape(text);
}

bool IniSettingsStore::Flush() {
    if (m_refused)
        return false;
    std::string text;
    std::string section = "\x01"; // no real section has this name
    for (const auto& [key, value] : m_values) {
        if (key.first != section) {
            section = key.first;
            if (!text.empty())
                text += '\n';
            text += "[" + section + "]\n";
        }
        text += key.second + "=" + value + "\n";
    }
    std::error_code ignored;
    const std::filesystem::path parent = filesys::PathOf(m_path).parent_path();
    if (!parent.empty())
        std::filesystem::create_directories(parent, ignored);
    AtomicFile file(m_path);
    return file.Open() && file.Write(text.data(), text.size()) && file.Commit();
}
