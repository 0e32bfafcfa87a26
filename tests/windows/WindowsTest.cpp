// What only the Windows build has: the registry store, the temporary copy, the replace through
// ReplaceFileW, and paths outside the ANSI code page. Runs under Wine.
#include "app/CExportApp.h"
#include "app/TempCopy.h"
#include "app/win32/CExportDlg.h"
#include "common/FileSystem.h"
#include "dxf/CDxfDocument.h"
#include "dxf/CDxfPoint.h"
#include "export/ExportSettings.h"
#include "export/RegistrySettingsStore.h"
#include "tests/dxf/DxfText.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

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
    TestDrawing document;
    document.add(std::make_unique<CDxfPoint>(1.0, 2.0, 3.0));
    const DxfWriteSettings settings;
    return WriteDrawing(document, path, settings);
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

// The dialog needs a display: scripts/windows.sh runs these on one, apart from the other suites.
using WindowsDialog = RegistryTest;

// The German language file as it ships (UTF-8) shows its texts as typed, whatever the code page.
TEST_F(WindowsDialog, TheShippedGermanLanguageFileShowsItsTexts) {
    TempDir dir;
    std::filesystem::copy_file(FRT2DXF_SOURCE_DIR "/lang/VUZ_Ezavurudi.de.lng",
                               dir.Path() / CLanguageFile::kFileName);
    RegistrySettingsStore store(m_path);
    CExportDlg dialog(dir.Path().string(), store);
    std::wstring areas(64, L'\0');
    std::wstring size(64, L'\0');
    std::wstring green(64, L'\0');
    std::wstring cancel(64, L'\0');
    std::thread watcher([&] {
        for (int tries = 0; tries < 500; ++tries) {
            HWND window = FindWindowW(nullptr, L"DXF-Export");
            if (window != nullptr) {
                areas.resize(GetDlgItemTextW(window, 1003, areas.data(), 64));
                size.resize(GetDlgItemTextW(window, 1037, size.data(), 64));
                cancel.resize(GetDlgItemTextW(window, IDCANCEL, cancel.data(), 64));
                const LRESULT length = SendDlgItemMessageW(window, 1022, CB_GETLBTEXT, 2,
                                                           reinterpret_cast<LPARAM>(green.data()));
                green.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
                PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            Sleep(20);
        }
    });
    EXPECT_EQ(dialog.DoModal(), CExportApp::RESULT_CANCEL);
    watcher.join();
    EXPECT_EQ(Utf8(areas.c_str()), "Fl\xc3\xa4"
                                   "chen");
    EXPECT_EQ(Utf8(size.c_str()), "Symbolgr\xc3\xb6\xc3\x9f"
                                  "e (Gel\xc3\xa4nde)");
    EXPECT_EQ(Utf8(green.c_str()), "Gr\xc3\xbcn");
    EXPECT_EQ(Utf8(cancel.c_str()), "Abbrechen");
}

TEST(TempCopyWindows, APrivateCopyInTheTemporaryFolderThatGoesAway) {
    TempDir dir;
    const std::string source = dir.Write("site.frt", "[Header]\r\nFormat=Rev2Ezi\r\n");
    std::string path;
    {
        TempCopy copy;
        ASSERT_TRUE(copy.Make(source)) << copy.Error().Reason();
        path = copy.Path();
        EXPECT_EQ(ReadFile(path), "[Header]\r\nFormat=Rev2Ezi\r\n");
        EXPECT_EQ(path.rfind(filesys::TemporaryDirectory(), 0), 0U);
        TempCopy missing;
        EXPECT_FALSE(missing.Make(dir.File("missing.frt")));
        EXPECT_EQ(missing.Error().stage, Failure::Stage::Open);
        EXPECT_EQ(missing.Error().path, dir.File("missing.frt"));
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ReplaceWindows, ARefusedTargetKeepsItsContentAndSaysWhy) {
    TempDir dir;
    const std::string readOnly = dir.Write("readonly.frt", "old");
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    const DxfWriteResult refused = WriteSmallDrawing(readOnly);
    EXPECT_EQ(refused.failure.path, readOnly);
    EXPECT_EQ(ReadFile(readOnly), "old");
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);

    // Another program holds the file open without sharing it.
    const std::string held = dir.Write("held.frt", "old");
    HANDLE handle = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    const DxfWriteResult busy = WriteSmallDrawing(held);
    EXPECT_EQ(busy.failure.path, held);
    CloseHandle(handle);
    EXPECT_EQ(ReadFile(held), "old");
    std::vector<std::string> names = dir.Names();
    EXPECT_EQ(names, (std::vector<std::string>{"held.frt", "readonly.frt"})) << "no temporary file stays";

    // An ordinary file is replaced.
    const std::string plain = dir.Write("plain.frt", "old");
    ASSERT_TRUE(WriteSmallDrawing(plain).Ok());
    EXPECT_EQ(ReadFile(plain).substr(0, 5), "  0\r\n");
}

// "frt2dxf-batch -o - big.frt | head -c 100": a pipe whose reader went away says EINVAL
// (ERROR_NO_DATA) there, and is a broken pipe, which ends a run quietly, as on Linux.
TEST(PipesWindows, AReaderThatWentAwayIsABrokenPipe) {
    HANDLE reader = nullptr;
    HANDLE writer = nullptr;
    ASSERT_NE(CreatePipe(&reader, &writer, nullptr, 0), 0);
    CloseHandle(reader);
    std::FILE* stream = nullptr;
    ASSERT_FALSE(filesys::Calls().streamOn(reinterpret_cast<filesys::NativeFile>(writer), "wb", stream));
    std::setvbuf(stream, nullptr, _IONBF, 0);
    std::size_t done = 0;
    const std::error_code error = filesys::Calls().write(stream, "0\r\nSECTION\r\n", 13, done);
    EXPECT_EQ(error, std::errc::broken_pipe) << error.message();
    std::fclose(stream);
}

TEST(PathsWindows, FoldersOutsideTheAnsiCodePageWork) {
    TempDir dir;
    const std::string folder =
        filesys::TextOf(dir.Path()) + "\\" + Utf8(L"\u041e\u0431\u044a\u0435\u043a\u0442 \u6e2c\u91cf");
    ASSERT_TRUE(std::filesystem::create_directory(filesys::PathOf(folder)));
    const std::string target = folder + "\\" + Utf8(L"\u0447\u0435\u0440\u0442\u0451\u0436.dxf");
    const DxfWriteResult written = WriteSmallDrawing(target);
    ASSERT_TRUE(written.Ok()) << written.failure.Reason();
    ErrorOr<filesys::FilePtr> file = filesys::OpenFile(target, "rb");
    ASSERT_TRUE(file) << file.error().message();
    char head[5] = {};
    EXPECT_EQ(std::fread(head, 1, 5, file->get()), 5U);
    file->reset();
    EXPECT_EQ(std::string(head, 5), "  0\r\n");
    TempCopy copy;
    EXPECT_TRUE(copy.Make(target)) << copy.Error().Reason();
}

// Explorer's Properties and the installer read the version resource; Windows reads the manifest
// for visual styles, DPI awareness and the versions the programs were made for.
TEST(WindowsResources, BothProgramsCarryTheirVersionAndManifest) {
    for (const char* program : {FRT2DXF_DESKTOP_EXE, FRT2DXF_BATCH_EXE}) {
        SCOPED_TRACE(program);
        const std::wstring path = filesys::PathOf(program).wstring();
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
        ASSERT_GT(size, 0U);
        std::vector<char> data(size);
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, data.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                      std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                      std::to_string(HIWORD(fixed->dwFileVersionLS)),
                  FRT2DXF_VERSION);
        const auto text = [&data](const wchar_t* name) {
            wchar_t* value = nullptr;
            UINT chars = 0;
            const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
            if (!VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &chars) ||
                value == nullptr)
                return std::string();
            return Utf8(value);
        };
        EXPECT_EQ(text(L"ProductVersion"), FRT2DXF_VERSION);
        EXPECT_EQ(text(L"ProductName"), "frt2dxf");
        EXPECT_EQ(text(L"CompanyName"), "The frt2dxf project");
        EXPECT_EQ(text(L"OriginalFilename"), filesys::TextOf(filesys::PathOf(program).filename()));
        EXPECT_FALSE(text(L"FileDescription").empty());

        HMODULE module =
            LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr);
        HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
        ASSERT_NE(found, nullptr) << "no application manifest";
        const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
        const std::string manifest(bytes, SizeofResource(module, found));
        FreeLibrary(module);
        EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
        EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);
        EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos)
            << "Windows 10 and 11";
        EXPECT_EQ(manifest.find("activeCodePage"), std::string::npos) << "the ANSI code page stays";
    }
}

namespace {

struct BatchRun {
    DWORD status = 0;
    std::string errors;
};

// Runs the Windows batch converter with the arguments and waits for it; its standard error goes
// to a file that is read back.
BatchRun RunBatch(const std::wstring& arguments, const TempDir& dir) {
    const std::wstring errors = (dir.Path() / "stderr.txt").wstring();
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE errorFile = CreateFileW(errors.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdError = errorFile;
    startup.hStdOutput = errorFile;
    PROCESS_INFORMATION process{};
    std::wstring command = L"\"" + filesys::PathOf(FRT2DXF_BATCH_EXE).wstring() + L"\" " + arguments;
    BatchRun run;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &run.status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        run.status = 999;
    }
    CloseHandle(errorFile);
    std::ifstream in(dir.Path() / "stderr.txt");
    run.errors.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return run;
}

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

// What the desktop program stored in the registry is what frt2dxf-batch --from-settings uses.
TEST(WindowsBatch, FromSettingsReadsTheDesktopProgramsRegistryValues) {
    TempDir dir;
    const std::string input = dir.Write("site.frt", "[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\n"
                                                    "PID=7;E=10;N=20;HO=3;GROUP=TREE;PCLASS=MEAS\r\n");
    const std::wstring arguments = L"-q --from-settings -o \"" + (dir.Path() / "out.dxf").wstring() +
                                   L"\" \"" + filesys::PathOf(input).wstring() + L"\"";
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Halvora");
    const BatchRun missing = RunBatch(arguments, dir);
    EXPECT_EQ(missing.status, 0U);
    EXPECT_NE(missing.errors.find(
                  "HKEY_CURRENT_USER\\Software\\Halvora\\QVO\\PLVX\\frt2dxf\\Dxf_Export: not found; "
                  "using the defaults"),
              std::string::npos)
        << missing.errors;

    RegistrySettingsStore store; // the desktop program's own key
    store.WriteInt("Dxf_Export", "ExportQVO", 0);
    store.WriteInt("Dxf_Export", "LabelPoint", 1);
    store.WriteText("Dxf_Export", "NamePointId", "FromRegistry");
    const BatchRun stored = RunBatch(arguments, dir);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Halvora");
    EXPECT_EQ(stored.status, 0U) << stored.errors;
    EXPECT_EQ(stored.errors, "");
    const std::string drawing = Slurp(dir.Path() / "out.dxf");
    EXPECT_NE(drawing.find("  8\r\nFromRegistry\r\n"), std::string::npos) << "the stored label layer";
    EXPECT_NE(drawing.find("  0\r\nPOINT\r\n"), std::string::npos) << "symbols off, as stored";
    EXPECT_EQ(drawing.find("  0\r\nINSERT\r\n"), std::string::npos);

    // The point attributes have no control on the dialog, only the stored value.
    store.WriteInt("Dxf_Export", "PointAttributes", 1);
    const BatchRun attributes = RunBatch(arguments, dir);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Halvora");
    EXPECT_EQ(attributes.status, 0U) << attributes.errors;
    const std::string withAttributes = Slurp(dir.Path() / "out.dxf");
    EXPECT_NE(withAttributes.find("  0\r\nATTRIB\r\n"), std::string::npos) << "the stored point attributes";
    EXPECT_NE(withAttributes.find("  1\r\n7\r\n  2\r\nPID\r\n"), std::string::npos) << "the point's number";

    // A value of the wrong type is said, not silently replaced by the default.
    store.WriteText("Dxf_Export", "DecimalsEN", "3");
    const BatchRun wrongType = RunBatch(arguments, dir);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Halvora");
    EXPECT_EQ(wrongType.status, 2U);
    EXPECT_NE(
        wrongType.errors.find("Dxf_Export: DecimalsEN: stored as another type than a number (REG_DWORD)"),
        std::string::npos)
        << wrongType.errors;
}

// cmd.exe leaves wildcards to the program: frt2dxf-batch matches them itself.
TEST(WindowsBatch, WildcardsAreMatchedByTheProgram) {
    TempDir dir;
    const std::string frt = "[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\nPID=7;E=10;N=20;HO=3\r\n";
    dir.Write("a.frt", frt);
    dir.Write("b.frt", frt);
    dir.Write("c.txt", frt);
    // Their short 8.3 names end in .FRT too: only the long name counts.
    dir.Write("survey.frtx", "not a survey");
    dir.Write("survey.frt_old", "not a survey");
    std::filesystem::create_directory(dir.Path() / "d.frt");
    const BatchRun run = RunBatch(L"-q \"" + (dir.Path() / "*.frt").wstring() + L"\" \"" +
                                      (dir.Path() / "?.txt").wstring() + L"\"",
                                  dir);
    EXPECT_EQ(run.status, 0U) << run.errors;
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "a.dxf"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "b.dxf"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "c.dxf"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "survey.dxf"));

    const BatchRun none = RunBatch(L"-q \"" + (dir.Path() / "none*.frt").wstring() + L"\"", dir);
    EXPECT_EQ(none.status, 1U);
    EXPECT_NE(none.errors.find("none*.frt: no file matches this pattern"), std::string::npos) << none.errors;
    // In a folder that is not there, the folder is what is wrong.
    const BatchRun nowhere = RunBatch(L"-q \"" + (dir.Path() / "nowhere" / "*.frt").wstring() + L"\"", dir);
    EXPECT_EQ(nowhere.status, 1U);
    EXPECT_NE(nowhere.errors.find("nowhere does not exist"), std::string::npos) << nowhere.errors;
}

// Names that differ only in case are one file on Windows: two drawings planned for x.dxf and X.DXF
// would leave one, so the run refuses them before it writes anything.
TEST(WindowsBatch, OutputsThatDifferOnlyInCaseClash) {
    TempDir dir;
    dir.Write("x.frt", "[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\nPID=7;E=10;N=20;HO=3\r\n");
    const std::wstring folder = dir.Path().wstring();
    const BatchRun both = RunBatch(L"-q \"" + folder + L"\\x.frt\" \"" + folder + L"\\X.frt\"", dir);
    EXPECT_EQ(both.status, 2U) << both.errors;
    EXPECT_NE(both.errors.find("would both be written there"), std::string::npos) << both.errors;
    dir.Write("y.frt", "[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\nPID=8;E=10;N=20;HO=3\r\n");
    const BatchRun outputs = RunBatch(L"-q -o \"" + folder + L"\\OUT.DXF\" \"" + folder +
                                          L"\\y.frt\" --report \"" + folder + L"\\out.dxf\"",
                                      dir);
    EXPECT_EQ(outputs.status, 2U) << outputs.errors;
    EXPECT_NE(outputs.errors.find("--report would replace the drawing of"), std::string::npos)
        << outputs.errors;
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "out.dxf"));
}
