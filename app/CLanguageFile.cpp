#include "app/CLanguageFile.h"

#include "common/FileSystem.h"
#include "export/IniSettingsStore.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
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
    // The user's language's file where one was installed with the program (VUZ_Ezavurudi.de.lng).
    if (const std::string language = UserLanguage(); !language.empty()) {
        const std::string name = "VUZ_Ezavurudi." + language + ".lng";
        for (const char* below : {"/", "/../share/frt2dxf/"}) {
            std::string path = programDirectory;
            if (!path.empty())
                path.append(below);
            path += name;
            if (filesys::StateOf(path).exists) {
                Load(path);
                return;
            }
        }
    }
    const std::string directory = Directory(programDirectory);
    Load(directory.empty() ? std::string(kFileName) : directory + "/" + kFileName);
}

const CLanguageFile& CLanguageFile::English() {
    static const CLanguageFile none;
    return none;
}

std::string CLanguageFile::UserLanguage() {
    std::string language;
#ifdef _WIN32
    wchar_t name[16] = {};
    if (GetLocaleInfoW(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), LOCALE_SISO639LANGNAME, name, 16) >
        0)
        for (const wchar_t* c = name; *c != L'\0'; ++c)
            language += static_cast<char>(*c);
#else
    // As the C library takes them: LC_ALL before LC_MESSAGES before LANG, and LANGUAGE's first
    // choice unless the locale is C.
    std::string locale;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            locale = value;
            break;
        }
    }
    if (locale.empty() || locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0)
        return {};
    const char* choices = std::getenv("LANGUAGE");
    language = choices != nullptr && *choices != '\0' ? choices : locale;
#endif
    // Only the language's letters: "de" of "de_DE.UTF-8:en".
    const std::size_t end = language.find_first_not_of("abcdefghijklmnopqrstuvwxyz");
    language.resize(std::min(end, language.size()));
    return language.size() >= 2 && language.size() <= 3 ? language : std::string();
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

std::string CLanguageFile::Filled(std::string text, const std::string& first, const std::string& second) {
    // The later mark first, so that a value holding "%2" is never filled in itself.
    std::pair<std::size_t, const std::string*> marks[] = {{text.find("%1"), &first},
                                                          {text.find("%2"), &second}};
    if (marks[0].first < marks[1].first)
        std::swap(marks[0], marks[1]);
    for (const auto& [at, value] : marks)
        if (at != std::string::npos)
            text.replace(at, 2, *value);
    return text;
}

std::string CLanguageFile::Reason(const Failure& failure) const {
    return failure.Reason(
        {GetText("INCOMPLETE", "the drawing sent there is incomplete"),
         GetText("NOTHING_WRITTEN", "nothing was written"),
         GetText("DRAWING_WRITTEN", "the drawing was written"),
         GetText("KEPT_IN", "the file may be incomplete; the complete drawing is kept in %1")});
}

std::string CLanguageFile::FailureText(const Failure& failure, const std::string& path) const {
    if (failure.stage == Failure::Stage::Open)
        return path.empty() ? Filled(GetText("NO_FILE", "No file to convert: %1"), Reason(failure))
                            : Filled(GetText("CANNOT_OPEN", "Cannot open %1: %2"), path, Reason(failure));
    return path.empty() ? Reason(failure) : path + ": " + Reason(failure);
}
