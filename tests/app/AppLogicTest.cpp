#include "app/CLanguageFile.h"
#include "app/ExportDlgLogic.h"
#include "export/ExportSettings.h"
#include "tests/export/MemoryStore.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include <cstdlib>

// The dialog's checks, the same for the Qt and the Windows dialog.
TEST(ExportDlgLogic, ValuesTakenFromTheControls) {
    // Each check gives the message to show, or nothing when the value is taken.
    int decimals = -1;
    EXPECT_EQ(exportdlg::TakeDecimals(" 16 ", decimals), std::nullopt);
    EXPECT_EQ(decimals, 16);
    for (const char* text : {"17", "-1", "2.5", "", "x"})
        EXPECT_NE(exportdlg::TakeDecimals(text, decimals), std::nullopt) << text;
    EXPECT_EQ(decimals, 16) << "a refused value leaves the last one";
    float size = 0;
    EXPECT_EQ(exportdlg::TakeSymbolSize("999999", size), std::nullopt);
    EXPECT_EQ(size, 999999.0F);
    for (const char* text : {"0", "1000000", "12abc", "nan"})
        EXPECT_NE(exportdlg::TakeSymbolSize(text, size).value_or("").find("999999"), std::string::npos)
            << text;
    EXPECT_EQ(exportdlg::SymbolSizeText(2.5F), "2.5");
    EXPECT_EQ(exportdlg::CheckLayerName(std::string(32, 'x')), std::nullopt);
    EXPECT_EQ(exportdlg::CheckLayerName(""), "Enter a layer name.") << "a layer entry without a name";
    EXPECT_NE(
        exportdlg::CheckLayerName(std::string(16, 'x') + std::string(8, '\xc3') + std::string(9, '\xa9')),
        std::nullopt);
}

// Installed on Linux, the language file is in share/frt2dxf; one beside the program comes first.
TEST(LanguageFile, FoundBesideTheProgramOrInTheInstalledDataFolder) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "bin");
    std::filesystem::create_directories(dir.Path() / "share" / "frt2dxf");
    const std::string bin = (dir.Path() / "bin").string();
    EXPECT_EQ(CLanguageFile(bin).GetText("POINTS", "Points"), "Points") << "no file: the fallback";
    dir.Write("share/frt2dxf/VUZ_Ezavurudi.lng", "POINTS=Punkte\r\n");
    EXPECT_EQ(CLanguageFile(bin).GetText("POINTS", "Points"), "Punkte");
    dir.Write("bin/VUZ_Ezavurudi.lng", "POINTS=Beside\r\n");
    EXPECT_EQ(CLanguageFile(bin).GetText("POINTS", "Points"), "Beside");

    // A user who may not write into the program's folder puts one in the settings folder: it
    // comes first. The boxes' and the file dialog's texts come from it too.
#ifdef _WIN32
    const char* const variable = "APPDATA";
    const auto set = [](const char* name, const std::string& value) { _putenv_s(name, value.c_str()); };
#else
    const char* const variable = "XDG_CONFIG_HOME";
    const auto set = [](const char* name, const std::string& value) {
        if (value.empty())
            unsetenv(name);
        else
            setenv(name, value.c_str(), 1);
    };
#endif
    const char* previous = std::getenv(variable);
    const std::string kept = previous != nullptr ? previous : "";
    set(variable, (dir.Path() / "config").string());
    std::filesystem::create_directories(dir.Path() / "config" / "Halvora" / "QVO" / "PLVX");
    dir.Write("config/Halvora/QVO/PLVX/VUZ_Ezavurudi.lng",
              "POINTS=Eigene\r\nERROR=Fehler\r\nREPLACE_QUESTION=%1 ersetzen?\r\nOPEN_TITLE=\xc3\x96"
              "ffnen\r\n");
    const CLanguageFile users(bin);
    set(variable, kept);
    EXPECT_EQ(users.GetText("POINTS", "Points"), "Eigene");
    EXPECT_EQ(exportdlg::ErrorCaption(users), "Fehler");
    EXPECT_EQ(exportdlg::ReplaceQuestion(users, "a.dxf"), "a.dxf ersetzen?");
    EXPECT_EQ(exportdlg::FileDialogTextsOf(users).title, "\xc3\x96"
                                                         "ffnen");
    EXPECT_EQ(exportdlg::FileDialogTextsOf(users).allFiles, "All files") << "a key left out: English";
    EXPECT_EQ(exportdlg::WaitingText(users, "/x/site.frt"),
              "waiting for another program writing site.frt (Cancel gives up)");

#ifndef _WIN32
    // The file of the user's language installed with the program comes before the default one, as
    // LC_ALL, LC_MESSAGES, LANG and LANGUAGE name it; the C locale keeps the default.
    dir.Write("share/frt2dxf/VUZ_Ezavurudi.de.lng",
              "POINTS=Deutsch\r\nCANNOT_OPEN=%1 (%2) zu\r\n"
              "SIZE_RANGE=Zahl von %1 bis %2\r\nNOTHING_WRITTEN=nichts\r\n");
    std::map<std::string, std::string> saved;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"})
        saved[name] = std::getenv(name) != nullptr ? std::getenv(name) : "";
    // LC_ALL, LANG, LANGUAGE, and whether German is chosen.
    const std::tuple<const char*, const char*, const char*, bool> locales[] = {
        {"", "de_DE.UTF-8", "", true},
        {"C", "de_DE.UTF-8", "", false},
        {"", "en_GB", "de:en", true},
        {"", "fr_FR.UTF-8", "", false}};
    for (const auto& [all, lang, language, german] : locales) {
        set("LC_ALL", all);
        set("LC_MESSAGES", "");
        set("LANG", lang);
        set("LANGUAGE", language);
        const CLanguageFile chosen(bin);
        EXPECT_EQ(chosen.GetText("POINTS", "Points"), german ? "Deutsch" : "Beside") << all << " " << lang;
        const std::error_code io = std::make_error_code(std::errc::io_error);
        float size = 0;
        EXPECT_EQ(exportdlg::FailureText(Failure(Failure::Stage::Open, "/x/a.frt", io), nullptr, chosen),
                  german ? "/x/a.frt (" + io.message() + ") zu" : "Cannot open /x/a.frt: " + io.message());
        EXPECT_EQ(chosen.Reason(Failure(Failure::Stage::Refused, "a", "changed")),
                  german ? "changed; nichts" : "changed; nothing was written");
        EXPECT_EQ(exportdlg::TakeSymbolSize("0", size, chosen),
                  german ? "Zahl von 1 bis 999999" : "Enter a number between 1 and 999999.");
    }
    for (const auto& [name, value] : saved)
        set(name.c_str(), value);
#endif
}
