// frt2dxf.exe: the desktop converter on the Windows API. Started with the path of an FRT file, it
// shows the "DXF Export" dialog and writes the drawing over that file; on Cancel the file is deleted.
#include "app/CExportApp.h"
#include "app/win32/Win32StartUpUi.h"
#include "common/FileSystem.h"
#include "common/PendingFiles.h"
#include "export/RegistrySettingsStore.h"
#include "export/WinText.h"

#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>

namespace {

// The command line after the program's name, which may be quoted and hold blanks.
std::wstring CommandTail() {
    const wchar_t* text = GetCommandLineW();
    if (*text == L'"') {
        ++text;
        while (*text != L'\0' && *text != L'"')
            ++text;
        if (*text == L'"')
            ++text;
    } else {
        while (*text != L'\0' && *text != L' ' && *text != L'\t')
            ++text;
    }
    while (*text == L' ' || *text == L'\t')
        ++text;
    return text;
}

std::string ProgramDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return wintext::ToUtf8(path.substr(0, path.find_last_of(L"\\/")));
}

// Prints the text to the standard output the program was given, or to the console it was started
// from (a windowed program has none of its own), or else shows it in a box.
void Print(const std::string& text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if ((out == nullptr || out == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS) != 0)
        out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    if (out == nullptr || out == INVALID_HANDLE_VALUE ||
        WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) == 0)
        MessageBoxW(nullptr, wintext::FromUtf8(text).c_str(), L"frt2dxf", MB_OK | MB_ICONINFORMATION);
}

} // namespace

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
    const CExportApp::Launch launch = CExportApp::LaunchForTail(wintext::ToUtf8(CommandTail()));
    if (launch.kind == CExportApp::Launch::Kind::Info) {
        Print(launch.text);
        return 0;
    }
    if (launch.kind == CExportApp::Launch::Kind::UsageError) {
        Print(launch.text);
        return 2;
    }
    InitCommonControls();
    filesys::OpenClosedStandardStreams();
    pendingfiles::RemoveOnInterrupt();
    RegistrySettingsStore store;
    Win32StartUpUi ui(ProgramDirectory(), store);
    CExportApp::Run(launch, ui);
    // The host reads only what is left at the path; a person or a script reads the status.
    return ui.Failed() ? 1 : 0;
}
