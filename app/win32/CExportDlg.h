#pragma once

#include "app/CLanguageFile.h"
#include "app/ExportDlgLogic.h"
#include "app/ExportFiles.h"
#include "export/ExportSettings.h"
#include "export/ISettingsStore.h"

#include <windows.h>

#include <string>

// The "DXF Export" options dialog on the Windows API, from the dialog resource. OK runs the
// export: the drawing replaces the input file. Ends with 1 after an export, 2 on Cancel or close.
class CExportDlg : private exportdlg::IDialogControls {
public:
    CExportDlg(const std::string& programDirectory, ISettingsStore& store);

    void SetFiles(ExportFiles& files);
    // Shows the dialog modally; its result, or -1 when it could not be shown.
    INT_PTR DoModal();

    CLanguageFile m_language;
    HICON m_hIcon = nullptr;
    ExportSettings m_settings;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);

    void OnInitDialog();
    // Takes and checks every value in the validation order; on the first failure shows its
    // message, puts the focus on the control and returns false.
    bool TakeValues();
    void RunExport();
    [[nodiscard]] std::wstring WideText(int id) const;
    // The controls as the shared value logic sees them.
    [[nodiscard]] bool Checked(int id) const override;
    void SetChecked(int id, bool on) override;
    [[nodiscard]] std::string Text(int id, settingschema::Kind kind) const override;
    void SetText(int id, settingschema::Kind kind, const std::string& text) override;
    [[nodiscard]] int Selection(int id) const override;
    void SetSelection(int id, int index) override;
    void Refuse(int id, const std::string& message) override;

    ISettingsStore& m_store;
    ExportFiles* m_files = nullptr;
    HWND m_window = nullptr;
    bool m_validating = false;
    bool m_exporting = false; // OK is at work: another OK waits, Cancel only gives up a wait
    bool m_gaveUp = false;    // Cancel was pressed while another program's lock was waited for
};
