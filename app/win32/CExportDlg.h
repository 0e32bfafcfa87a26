#pragma once

#include "app/CLanguageFile.h"
#include "app/ExportFiles.h"
#include "export/ExportSettings.h"
#include "export/ISettingsStore.h"

#include <windows.h>

#include <string>

// The "DXF Export" options dialog on the Windows API, from the dialog resource. OK runs the
// export: the drawing replaces the input file. Ends with 1 after an export, 2 on Cancel or close.
class CExportDlg {
public:
    static constexpr int RESULT_OK = 1;
    static constexpr int RESULT_CANCEL = 2;

    CExportDlg(const std::string& programDirectory, ISettingsStore& store);

    void SetFiles(ExportFiles& files);
    // Shows the dialog modally; its result, or -1 when it could not be shown.
    INT_PTR DoModal();

    CLanguageFile m_language; // also holds m_strTempPath and m_strInputPath
    HICON m_hIcon = nullptr;
    ExportSettings m_settings;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);

    void OnInitDialog();
    void PushValues();
    // Takes and checks every value in the validation order; on the first failure shows its
    // message, puts the focus on the control and returns false.
    bool TakeValues();
    void RunExport();
    bool Fail(int id, const std::string& message);
    std::wstring Text(int id) const;
    bool Checked(int id) const;
    void Check(int id, bool on) const;

    ISettingsStore& m_store;
    ExportFiles* m_files = nullptr;
    HWND m_window = nullptr;
    bool m_validating = false;
};
