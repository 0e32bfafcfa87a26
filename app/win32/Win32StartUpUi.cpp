#include "app/win32/Win32StartUpUi.h"

#include "app/win32/CExportDlg.h"
#include "export/WinText.h"

#include <windows.h>

#include <commdlg.h>

std::optional<std::string> Win32StartUpUi::AskForFile() {
    // The open form: a picked file is only read (its drawing goes beside it), so it must exist.
    wchar_t file[MAX_PATH * 4] = L"";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.lpstrFilter = L"FRT files (*.frt)\0*.frt\0All files (*.*)\0*.*\0\0";
    dialog.lpstrFile = file;
    dialog.nMaxFile = static_cast<DWORD>(sizeof file / sizeof file[0]);
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameW(&dialog) == 0)
        return std::nullopt;
    return wintext::ToUtf8(file);
}

void Win32StartUpUi::ShowError(const std::string& text) {
    m_failed = true;
    MessageBoxW(nullptr, wintext::FromUtf8(text).c_str(), L"Error", MB_OK | MB_ICONINFORMATION);
}

int Win32StartUpUi::RunDialog(ExportFiles& files) {
    CExportDlg dialog(m_programDirectory, m_store);
    dialog.SetFiles(files);
    return static_cast<int>(dialog.DoModal());
}
