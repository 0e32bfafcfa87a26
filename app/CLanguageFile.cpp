#include "app/CLanguageFile.h"

#include "common/FileSystem.h"
#include "export/IniSettingsStore.h"

#include <cstdlib>

#include <sstream>

namespace {

std::string_view TrimBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The one escape: backslash and "n" is a line feed.
std::string WithLineFeeds(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

CLanguageFile::CLanguageFile(const std::string& programDirectory, FromCodePage fromCodePage)
    : m_fromCodePage(fromCodePage) {
    // The user's own choice first: one who may not write into the program's folder has this one.
    if (const std::string user = UserDirectory(); !user.empty()) {
        const std::string path = user + "/" + kFileName;
        if (filesys::StateOf(path).exists) {
            Load(path);
            return;
        }
    }
    const std::string directory = Directory(programDirectory);
    Load(directory.empty() ? std::string(kFileName) : directory + "/" + kFileName);
}

std::string CLanguageFile::UserDirectory() {
#ifdef _WIN32
    // Beside where the settings are kept, as a folder: the registry has no files.
    const char* appData = std::getenv("APPDATA");
    return appData != nullptr && *appData != '\0' ? std::string(appData) + "\\Halvora\\QVO\\PLVX"
                                                  : std::string();
#else
    return filesys::TextOf(filesys::PathOf(IniSettingsStore::UserPath()).parent_path());
#endif
}

std::string CLanguageFile::Directory(const std::string& programDirectory) {
    if (programDirectory.empty() || filesys::StateOf(programDirectory + "/" + kFileName).exists)
        return programDirectory;
    const std::string installed = programDirectory + "/../share/frt2dxf";
    return filesys::StateOf(installed + "/" + kFileName).exists ? installed : programDirectory;
}

bool CLanguageFile::Load(const std::string& path) {
    // A pipe, device or huge file in its place is no language file: the dialog keeps its own texts.
    constexpr std::size_t kMostBytes = 1 << 20;
    ErrorOr<std::string> read = filesys::ReadSmallFile(path, kMostBytes);
    if (!read)
        return true;
    std::string content = std::move(*read);
    if (utf8::StartsWithByteOrderMark(content)) {
        content.erase(0, 3);
    } else {
        codepage::Evidence evidence;
        evidence.Look(content);
        if (evidence.notUtf8)
            content = m_fromCodePage(content);
    }
    std::istringstream lines(content);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string_view key = TrimBlanks(std::string_view(line).substr(0, eq));
        const std::string_view text = TrimBlanks(std::string_view(line).substr(eq + 1));
        if (text.empty())
            continue;
        m_texts.emplace(std::string(key), WithLineFeeds(text)); // the first entry of a key counts
    }
    return true;
}

std::string CLanguageFile::GetText(std::string_view key, std::string_view fallback) const {
    const auto found = m_texts.find(key);
    return found != m_texts.end() ? found->second : std::string(fallback);
}
