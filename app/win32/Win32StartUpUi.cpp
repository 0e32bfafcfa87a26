#include "app/win32/Win32StartUpUi.h"

#include "app/ExportDlgLogic.h"
#include "app/win32/CExportDlg.h"
#include "export/WinText.h"

#include <windows.h>

#include <commdlg.h>

Win32StartUpUi::Win32StartUpUi(std::string programDirectory, ISettingsStore& store)
    : m_programDirectory(std::move(programDirectory)), m_store(store),
      m_texts(m_programDirectory, wintext::CodePageToUtf8) {}

std::optional<std::string> Win32StartUpUi::AskForFile() {
    // The open form: a picked file is only read (its drawing goes beside it), so it must exist.
    const exportdlg::FileDialogTexts texts = exportdlg::FileDialogTextsOf(m_texts);
    const std::wstring title = wintext::FromUtf8(texts.title);
    std::wstring filter = wintext::FromUtf8(texts.frtFiles + " (*.frt)");
    filter += L'\0';
    filter += L"*.frt";
    filter += L'\0';
    filter += wintext::FromUtf8(texts.allFiles + " (*.*)");
    filter += L'\0';
    filter += L"*.*";
    filter += L'\0';
    wchar_t file[MAX_PATH * 4] = L"";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrFilter = filter.c_str(); // ends in two zeros: the string's own is the second
    dialog.lpstrFile = file;
    dialog.nMaxFile = static_cast<DWORD>(sizeof file / sizeof file[0]);
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameW(&dialog) == 0)
        return std::nullopt;
    return wintext::ToUtf8(file);
}

void Win32StartUpUi::ShowError(const std::string& text) {
    m_failed = true;
    MessageBoxW(nullptr, wintext::FromUtf8(text).c_str(),
                wintext::FromUtf8(exportdlg::ErrorCaption(m_texts)).c_str(), MB_OK | MB_ICONINFORMATION);
}

int Win32StartUpUi::RunDialog(ExportFiles& files) {
    CExportDlg dialog(m_programDirectory, m_store);
    dialog.SetFiles(files);
    return static_cast<int>(dialog.DoModal());
}
