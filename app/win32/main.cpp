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

} // namespace

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
    InitCommonControls();
    filesys::OpenClosedStandardStreams();
    pendingfiles::RemoveOnInterrupt();
    RegistrySettingsStore store;
    Win32StartUpUi ui(ProgramDirectory(), store);
    CExportApp::StartUp(CExportApp::InputPathOf(wintext::ToUtf8(CommandTail())), ui);
    return 0;
}
