#pragma once

#include "common/CodePage.h"
#include "common/Failure.h"

#include <map>
#include <string>
#include <string_view>

// Texts by key from "VUZ_Ezavurudi.lng" in the user's settings folder, else from the file of the
// user's language installed with the program ("VUZ_Ezavurudi.de.lng"), else from "VUZ_Ezavurudi.lng"
// beside the program, with a fallback for every lookup, so that the dialog works unchanged without
// the file or with keys missing.
//
// The file may be UTF-8 (with a byte-order mark, or well-formed with a character beyond ASCII)
// or in the system's 8-bit code page; the texts come out as UTF-8 either way.
class CLanguageFile {
public:
    static constexpr const char* kFileName = "VUZ_Ezavurudi.lng";

    // Turns a text of the system's 8-bit code page into UTF-8.
    using FromCodePage = std::string (*)(std::string_view);

    explicit CLanguageFile(FromCodePage fromCodePage = codepage::ToUtf8) : m_fromCodePage(fromCodePage) {}
    // Loads the language file from the program's directory (see Directory).
    explicit CLanguageFile(const std::string& programDirectory, FromCodePage fromCodePage = codepage::ToUtf8);

    // Where the language file of a program in that directory is: beside the program when it is
    // there (Windows, a portable copy, the build tree), else in the installed data folder
    // "../share/frt2dxf".
    static std::string Directory(const std::string& programDirectory);
    // The user's settings folder, whose language file comes before the program's: on Linux the
    // settings file's folder (~/.config/Halvora/QVO/PLVX), on Windows %APPDATA%\Halvora\QVO\PLVX.
    // Empty when the environment names none.
    static std::string UserDirectory();

    // No file: every text its English fallback.
    static const CLanguageFile& English();

    // The user's language as two or three letters ("de"), from the locale (on Windows the user's
    // display language); empty for the C locale.
    static std::string UserLanguage();

    // Reads the file's entries into the table; a missing file, or one that is no small regular
    // file, leaves it as it was. Always true.
    bool Load(const std::string& path);
    [[nodiscard]] std::string GetText(std::string_view key, std::string_view fallback) const;

    // The text with "%1" and "%2" in it replaced.
    static std::string Filled(std::string text, const std::string& first, const std::string& second = {});
    // What went wrong and what became of the drawing, in the language's words.
    [[nodiscard]] std::string Reason(const Failure& failure) const;
    // A failure as the error box says it, of the file at `path` (none when empty).
    [[nodiscard]] std::string FailureText(const Failure& failure, const std::string& path) const;

private:
    FromCodePage m_fromCodePage;
    std::map<std::string, std::string, std::less<>> m_texts;
};
