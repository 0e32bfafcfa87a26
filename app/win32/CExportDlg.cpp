#include "app/win32/CExportDlg.h"

#include "app/CExportApp.h"
#include "app/ExportDlgLogic.h"
#include "app/ExportDlgTemplate.h"
#include "app/win32/Win32ProgressDisplay.h"
#include "app/win32/resource.h"
#include "export/WinText.h"

#include <optional>

namespace {

using settingschema::Kind;
using settingschema::Setting;

// Whether leaving the control checks the values: the number edits.
bool ChecksOnLeaving(int id) {
    for (const Setting& setting : settingschema::kSettings)
        if (setting.control == id && (setting.kind == Kind::Decimals || setting.kind == Kind::SymbolSize))
            return true;
    return false;
}

} // namespace

CExportDlg::CExportDlg(const std::string& programDirectory, ISettingsStore& store)
    : m_language(programDirectory, wintext::CodePageToUtf8), m_store(store) {
    m_hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APPLICATION_ICON));
    m_settings.m_bLayerPerCode = 1;
}

void CExportDlg::SetFiles(ExportFiles& files) {
    m_files = &files;
}

INT_PTR CExportDlg::DoModal() {
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_EXPORT), nullptr, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CExportDlg::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        // The dialog's object comes as the message's integer, and is kept as the window's.
        auto* dialog = reinterpret_cast<CExportDlg*>(lParam); // NOLINT(performance-no-int-to-ptr)
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->m_window = window;
        dialog->OnInitDialog();
        return TRUE; // the focus goes to the first control
    }
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    auto* dialog = reinterpret_cast<CExportDlg*>(GetWindowLongPtrW(window, DWLP_USER));
    return dialog != nullptr ? dialog->Handle(message, wParam, lParam) : FALSE;
}

INT_PTR CExportDlg::Handle(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    if (message != WM_COMMAND)
        return FALSE;
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (id == IDOK && code == BN_CLICKED) {
        RunExport();
        return TRUE;
    }
    if (id == IDCANCEL) { // the button, Escape and the close box
        // While OK waits for another program, Cancel gives up the wait; the dialog stays.
        if (m_exporting)
            m_gaveUp = true;
        else
            EndDialog(m_window, CExportApp::RESULT_CANCEL);
        return TRUE;
    }
    // Leaving a number edit checks the values at once; a click on Cancel does not.
    if (code == EN_KILLFOCUS && ChecksOnLeaving(id) && !m_validating &&
        GetFocus() != GetDlgItem(m_window, IDCANCEL) && GetActiveWindow() == m_window) {
        TakeValues();
        return TRUE;
    }
    return FALSE;
}

void CExportDlg::OnInitDialog() {
    std::wstring title = wintext::FromUtf8(m_language.GetText("WND_CAPTION", "DXF Export"));
    if (m_files != nullptr && m_files->Standalone())
        title += wintext::FromUtf8(exportdlg::WindowTitle("", *m_files));
    SetWindowTextW(m_window, title.c_str());
    // The version is the build's, not a copy in the resource script.
    SetDlgItemTextW(m_window, exportdlg::id::kVersion, wintext::FromUtf8(exportdlg::kVersion).c_str());
    for (const auto& [key, id] : exportdlg::kTextKeys) {
        const std::string text = m_language.GetText(key, "");
        if (!text.empty())
            SetDlgItemTextW(m_window, id, wintext::FromUtf8(text).c_str());
    }
    SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    for (const auto& [key, fallback] : exportdlg::kColours) {
        const std::wstring name = wintext::FromUtf8(m_language.GetText(key, fallback));
        for (const Setting& setting : settingschema::kSettings)
            if (setting.kind == Kind::Colour && setting.OnDialog())
                SendDlgItemMessageW(m_window, setting.control, CB_ADDSTRING, 0,
                                    reinterpret_cast<LPARAM>(name.c_str()));
    }
    // Layer names are in the system code page, as the dialog's edits give them.
    m_settings.Load(m_store, [this](const char* key, const char* fallback) {
        return wintext::ToLocal(wintext::FromUtf8(m_language.GetText(key, fallback)));
    });
    // The typing limit of the layer names; a longer stored name is shown whole until validation.
    for (const Setting& setting : settingschema::kSettings)
        if (setting.kind == Kind::LayerName && setting.OnDialog())
            SendDlgItemMessageW(m_window, setting.control, EM_LIMITTEXT, settingschema::kMaxLayerName, 0);
    exportdlg::PushValues(m_settings, *this);
}

std::wstring CExportDlg::WideText(int id) const {
    HWND control = GetDlgItem(m_window, id);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool CExportDlg::Checked(int id) const {
    return IsDlgButtonChecked(m_window, id) == BST_CHECKED;
}

void CExportDlg::SetChecked(int id, bool on) {
    CheckDlgButton(m_window, id, on ? BST_CHECKED : BST_UNCHECKED);
}

std::string CExportDlg::Text(int id, settingschema::Kind kind) const {
    return kind == Kind::LayerName ? wintext::ToLocal(WideText(id)) : wintext::ToUtf8(WideText(id));
}

void CExportDlg::SetText(int id, settingschema::Kind kind, const std::string& text) {
    SetDlgItemTextW(m_window, id,
                    (kind == Kind::LayerName ? wintext::FromLocal(text) : wintext::FromUtf8(text)).c_str());
}

int CExportDlg::Selection(int id) const {
    return static_cast<int>(SendDlgItemMessageW(m_window, id, CB_GETCURSEL, 0, 0));
}

void CExportDlg::SetSelection(int id, int index) {
    SendDlgItemMessageW(m_window, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void CExportDlg::Refuse(int id, const std::string& message) {
    wchar_t title[256] = {};
    GetWindowTextW(m_window, title, 256);
    MessageBoxW(m_window, wintext::FromUtf8(message).c_str(), title, MB_OK | MB_ICONEXCLAMATION);
    HWND control = GetDlgItem(m_window, id);
    SetFocus(control);
    SendMessageW(control, EM_SETSEL, 0, -1);
}

bool CExportDlg::TakeValues() {
    m_validating = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_validating};
    return exportdlg::TakeValues(m_settings, *this, m_language);
}

void CExportDlg::RunExport() {
    if (m_exporting || m_files == nullptr || !TakeValues())
        return;
    m_exporting = true;
    m_gaveUp = false;
    std::wstring caption(256, L'\0');
    caption.resize(static_cast<std::size_t>(GetWindowTextW(m_window, caption.data(), 256)));
    const auto waiting = [this, &caption](std::chrono::milliseconds waited) {
        // Said after a second, as a short wait is no news.
        if (waited >= std::chrono::seconds(1)) {
            const std::wstring text =
                caption + L" - " +
                wintext::FromUtf8(exportdlg::WaitingText(m_language, m_files->OutputPath()));
            SetWindowTextW(m_window, text.c_str());
        }
        // The dialog's own messages: it repaints, and Cancel reaches Handle.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return false;
            }
            if (IsDialogMessageW(m_window, &message) == 0) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        return !m_gaveUp;
    };
    const HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    const auto askReplace = [this](const std::string& path) {
        const std::wstring text = wintext::FromUtf8(exportdlg::ReplaceQuestion(m_language, path));
        std::wstring title(256, L'\0');
        title.resize(static_cast<std::size_t>(GetWindowTextW(m_window, title.data(), 256)));
        return MessageBoxW(m_window, text.c_str(), title.c_str(),
                           MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
    };
    const exportdlg::ExportOutcome outcome = exportdlg::RunExport(
        m_settings, m_store, *m_files, std::make_unique<Win32ProgressDisplay>(m_window), askReplace, waiting);
    SetCursor(previous);
    SetWindowTextW(m_window, caption.c_str());
    m_exporting = false;
    if (!outcome.error.empty())
        MessageBoxW(m_window, wintext::FromUtf8(outcome.error).c_str(),
                    wintext::FromUtf8(exportdlg::ErrorCaption(m_language)).c_str(),
                    MB_OK | MB_ICONINFORMATION);
    if (outcome.done) {
        // Said before the dialog closes: where a drawing of its own went, and what the drawing
        // holds in place of values it could not take.
        if (const std::string closing = exportdlg::ClosingText(m_language, outcome); !closing.empty())
            MessageBoxW(m_window, wintext::FromUtf8(closing).c_str(), caption.c_str(),
                        MB_OK | (outcome.findings > 0 ? MB_ICONWARNING : MB_ICONINFORMATION));
        EndDialog(m_window, CExportApp::RESULT_OK);
    }
}
