#pragma once

#include <map>
#include <string>
#include <string_view>

// Texts by key from "VUZ_Ezavurudi.lng" beside the program, with a fallback for every lookup,
// so that the dialog works unchanged without the file or with keys missing. Also carries the
// two paths of the run, as the dialog keeps them here.
class CLanguageFile {
public:
    static constexpr const char* kFileName = "VUZ_Ezavurudi.lng";

    CLanguageFile() = default;
    // Loads the language file from the program's directory (see Directory).
    explicit CLanguageFile(const std::string& programDirectory);

    // Where the language file of a program in that directory is: beside the program when it is
    // there (Windows, a portable copy, the build tree), else in the installed data folder
    // "../share/frt2dxf".
    static std::string Directory(const std::string& programDirectory);

    // Reads the file's entries into the table; a missing file leaves it as it was. Always true.
    bool Load(const std::string& path);
    [[nodiscard]] std::string GetText(std::string_view key, std::string_view fallback) const;

    std::string m_strTempPath;
    std::string m_strInputPath;

private:
    std::map<std::string, std::string, std::less<>> m_texts;
};
