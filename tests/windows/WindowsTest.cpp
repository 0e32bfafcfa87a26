// What only the Windows build has: the registry store, the temporary copy, the replace through
// ReplaceFileW, and paths outside the ANSI code page. Runs under Wine.
#include "app/TempCopy.h"
#include "app/win32/RegistrySettingsStore.h"
#include "common/FileSystem.h"
#include "dxf/CDxfDocument.h"
#include "dxf/CDxfPoint.h"
#include "export/ExportSettings.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <random>

namespace {

// A registry key of its own for each test, removed afterwards.
class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, std::wstring(m_path.begin(), m_path.end()).c_str());
    }
    std::string m_path = "Software\\frt2dxf-test\\" + std::to_string(std::random_device{}());
};

std::string Utf8(const wchar_t* text) {
    return filesys::TextOf(std::filesystem::path(text));
}

DxfWriteResult WriteSmallDrawing(const std::string& path) {
    CDxfDocument document;
    document.addEntity(std::make_unique<CDxfPoint>(1.0, 2.0, 3.0));
    const DxfWriteSettings settings;
    return document.write(path, &settings);
}

} // namespace

TEST_F(RegistryTest, SettingsRoundTripWithDefaultsAndTheirSpecialCases) {
    RegistrySettingsStore store(m_path);
    ExportSettings first;
    first.Load(store);
    EXPECT_EQ(first.m_strLayerPointId, "PointID") << "nothing stored: the defaults";
    EXPECT_EQ(first.m_nColourPointId, 1);

    first.m_bLabelHeight = 1;
    first.m_strLayerHeight = "H\xf6he"; // "Höhe" in the Western code page
    first.m_fSymbolSize = 2.5F;
    first.m_bLayerPerCode = 0;
    first.Store(store);
    EXPECT_EQ(store.ReadText("Dxf_Export", "SymbolSize", ""), "2.500000");

    ExportSettings second;
    second.m_bLayerPerCode = 1;
    second.Load(store);
    EXPECT_EQ(second.m_bLabelHeight, 1);
    EXPECT_EQ(second.m_strLayerHeight, "H\xf6he");
    EXPECT_EQ(second.m_fSymbolSize, 2.5F);
    EXPECT_EQ(second.m_bLayerPerCode, 1) << "one layer per code group is on at every start";

    store.WriteInt("Dxf_Export", "ColorH", 9);
    second.Load(store);
    EXPECT_EQ(second.m_nColourHeight, -1) << "a colour index outside the list selects nothing";

    // The values are REG_DWORD and REG_SZ under the section's key.
    HKEY key = nullptr;
    const std::string section = m_path + "\\Dxf_Export";
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, section.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "DecimalsEN", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(RegQueryValueExA(key, "NameHeight", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    RegCloseKey(key);
}

TEST(TempCopyWindows, APrivateCopyInTheTemporaryFolderThatGoesAway) {
    TempDir dir;
    const std::string source = dir.Write("site.frt", "[Header]\r\nFormat=Rev2Ezi\r\n");
    std::string path;
    {
        TempCopy copy;
        ASSERT_TRUE(copy.Make(source)) << copy.Error();
        path = copy.Path();
        EXPECT_EQ(ReadFile(path), "[Header]\r\nFormat=Rev2Ezi\r\n");
        EXPECT_EQ(path.rfind(filesys::TemporaryDirectory(), 0), 0U);
        TempCopy missing;
        EXPECT_FALSE(missing.Make(dir.File("missing.frt")));
        EXPECT_FALSE(missing.Error().empty());
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ReplaceWindows, ARefusedTargetKeepsItsContentAndSaysWhy) {
    TempDir dir;
    const std::string readOnly = dir.Write("readonly.frt", "old");
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    const DxfWriteResult refused = WriteSmallDrawing(readOnly);
    EXPECT_FALSE(refused.ok);
    EXPECT_FALSE(refused.error.empty());
    EXPECT_EQ(ReadFile(readOnly), "old");
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);

    // Another program holds the file open without sharing it.
    const std::string held = dir.Write("held.frt", "old");
    const HANDLE handle = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    const DxfWriteResult busy = WriteSmallDrawing(held);
    EXPECT_FALSE(busy.ok);
    EXPECT_FALSE(busy.error.empty());
    CloseHandle(handle);
    EXPECT_EQ(ReadFile(held), "old");
    std::vector<std::string> names = dir.Names();
    EXPECT_EQ(names, (std::vector<std::string>{"held.frt", "readonly.frt"})) << "no temporary file stays";

    // An ordinary file is replaced.
    const std::string plain = dir.Write("plain.frt", "old");
    ASSERT_TRUE(WriteSmallDrawing(plain).ok);
    EXPECT_EQ(ReadFile(plain).substr(0, 5), "  0\r\n");
}

TEST(PathsWindows, FoldersOutsideTheAnsiCodePageWork) {
    TempDir dir;
    const std::string folder =
        filesys::TextOf(dir.Path()) + "\\" + Utf8(L"\u041e\u0431\u044a\u0435\u043a\u0442 \u6e2c\u91cf");
    ASSERT_TRUE(std::filesystem::create_directory(filesys::PathOf(folder)));
    const std::string target = folder + "\\" + Utf8(L"\u0447\u0435\u0440\u0442\u0451\u0436.dxf");
    const DxfWriteResult written = WriteSmallDrawing(target);
    ASSERT_TRUE(written.ok) << written.error;
    std::FILE* file = filesys::OpenFile(target, "rb");
    ASSERT_NE(file, nullptr);
    char head[5] = {};
    EXPECT_EQ(std::fread(head, 1, 5, file), 5U);
    std::fclose(file);
    EXPECT_EQ(std::string(head, 5), "  0\r\n");
    TempCopy copy;
    EXPECT_TRUE(copy.Make(target)) << copy.Error();
}
