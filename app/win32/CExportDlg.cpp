#include "app/win32/CExportDlg.h"

#include "app/ExportDlgLogic.h"
#include "app/ExportDlgTemplate.h"
#include "app/win32/Win32ProgressDisplay.h"
#include "app/win32/WinText.h"
#include "app/win32/resource.h"

#include <array>

namespace {

constexpr std::array<int, 4> kLabelBoxes = {1014, 1015, 1016, 1017};
constexpr std::array<int, 4> kLayerEdits = {1018, 1020, 1019, 1021};
constexpr std::array<int, 4> kColourLists = {1024, 1022, 1025, 1026};

} // namespace

CExportDlg::CExportDlg(const std::string& programDirectory, ISettingsStore& store)
    : m_language(programDirectory), m_store(store) {
    m_hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APPLICATION_ICON));
    m_settings.m_bLayerPerCode = 1;
}

void CExportDlg::SetFiles(ExportFiles& files) {
    m_files = &files;
    m_language.m_strTempPath = files.TempPath();
    m_language.m_strInputPath = files.InputPath();
}

INT_PTR CExportDlg::DoModal() {
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_EXPORT), nullptr, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CExportDlg::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CExportDlg*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->m_window = window;
        dialog->OnInitDialog();
        return TRUE; // the focus goes to the first control
    }
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
        EndDialog(m_window, RESULT_CANCEL);
        return TRUE;
    }
    // Leaving a number edit checks the values at once; a click on Cancel does not.
    if (code == EN_KILLFOCUS && (id == 1033 || id == 1027 || id == 1028) && !m_validating &&
        GetFocus() != GetDlgItem(m_window, IDCANCEL) && GetActiveWindow() == m_window) {
        TakeValues();
        return TRUE;
    }
    return FALSE;
}

void CExportDlg::OnInitDialog() {
    const std::string caption = m_language.GetText("WND_CAPTION", "DXF Export");
    // The caption is in the language file's code page, the file names in UTF-8.
    std::wstring title = wintext::FromLocal(caption);
    if (m_files != nullptr && m_files->Standalone())
        title += wintext::FromUtf8(exportdlg::WindowTitle("", *m_files));
    SetWindowTextW(m_window, title.c_str());
    for (const auto& [key, id] : exportdlg::kTextKeys) {
        const std::string text = m_language.GetText(key, "");
        if (!text.empty())
            SetDlgItemTextW(m_window, id, wintext::FromLocal(text).c_str());
    }
    SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    for (const auto& [key, fallback] : exportdlg::kColours) {
        const std::wstring name = wintext::FromLocal(m_language.GetText(key, fallback));
        for (const int list : kColourLists)
            SendDlgItemMessageW(m_window, list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    ExportSettings::LayerDefaults defaults;
    defaults.pointId = m_language.GetText("POINT_ID_NAME", "PointID");
    defaults.eastNorth = m_language.GetText("E_N_NAME", "Coords");
    defaults.height = m_language.GetText("H_NAME", "Height");
    defaults.code = m_language.GetText("CODE_NAME", "Code");
    m_settings.Load(m_store, defaults);
    PushValues();
}

std::wstring CExportDlg::Text(int id) const {
    const HWND control = GetDlgItem(m_window, id);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool CExportDlg::Checked(int id) const {
    return IsDlgButtonChecked(m_window, id) == BST_CHECKED;
}

void CExportDlg::Check(int id, bool on) const {
    CheckDlgButton(m_window, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void CExportDlg::PushValues() {
    const ExportSettings& s = m_settings;
    Check(1000, s.m_bExportPoints != 0);
    Check(1002, s.m_bExportLines != 0);
    Check(1003, s.m_bExportAreas != 0);
    Check(1001, s.m_bExportSymbols != 0);
    Check(1012, s.m_bLayerPerCode != 0);
    // One by one: the id range 1011..1013 also holds the check box 1012.
    Check(1009, s.m_nDimension == 0);
    Check(1010, s.m_nDimension != 0);
    Check(1011, s.m_nLineExport == 0);
    Check(1013, s.m_nLineExport != 0);
    const std::array<int, 4> labels = {s.m_bLabelPointId, s.m_bLabelEastNorth, s.m_bLabelHeight,
                                       s.m_bLabelCode};
    const std::array<const std::string*, 4> names = {&s.m_strLayerPointId, &s.m_strLayerEastNorth,
                                                     &s.m_strLayerHeight, &s.m_strLayerCode};
    const std::array<int, 4> colours = {s.m_nColourPointId, s.m_nColourEastNorth, s.m_nColourHeight,
                                        s.m_nColourCode};
    for (std::size_t i = 0; i < 4; ++i) {
        Check(kLabelBoxes[i], labels[i] != 0);
        SetDlgItemTextW(m_window, kLayerEdits[i], wintext::FromLocal(*names[i]).c_str());
        // The typing limit; a longer stored name is shown whole until validation.
        SendDlgItemMessageW(m_window, kLayerEdits[i], EM_LIMITTEXT, exportdlg::kMaxLayerName, 0);
        SendDlgItemMessageW(m_window, kColourLists[i], CB_SETCURSEL, static_cast<WPARAM>(colours[i]), 0);
    }
    SetDlgItemTextW(m_window, 1027, std::to_wstring(s.m_nDecimalsEN).c_str());
    SetDlgItemTextW(m_window, 1028, std::to_wstring(s.m_nDecimalsH).c_str());
    SetDlgItemTextW(m_window, 1033, wintext::FromUtf8(exportdlg::SymbolSizeText(s.m_fSymbolSize)).c_str());
}

bool CExportDlg::Fail(int id, const std::string& message) {
    wchar_t title[256] = {};
    GetWindowTextW(m_window, title, 256);
    MessageBoxW(m_window, wintext::FromUtf8(message).c_str(), title, MB_OK | MB_ICONEXCLAMATION);
    const HWND control = GetDlgItem(m_window, id);
    SetFocus(control);
    SendMessageW(control, EM_SETSEL, 0, -1);
    return false;
}

bool CExportDlg::TakeValues() {
    m_validating = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_validating};

    ExportSettings& s = m_settings;
    s.m_bExportPoints = Checked(1000) ? 1 : 0;
    s.m_bExportLines = Checked(1002) ? 1 : 0;
    s.m_bExportAreas = Checked(1003) ? 1 : 0;
    s.m_bLayerPerCode = Checked(1012) ? 1 : 0;
    s.m_bExportSymbols = Checked(1001) ? 1 : 0;
    s.m_nDimension = Checked(1010) ? 1 : 0;
    s.m_nLineExport = Checked(1013) ? 1 : 0;
    s.m_bLabelPointId = Checked(1014) ? 1 : 0;
    s.m_bLabelEastNorth = Checked(1015) ? 1 : 0;
    s.m_bLabelHeight = Checked(1016) ? 1 : 0;
    s.m_bLabelCode = Checked(1017) ? 1 : 0;

    const std::array<std::string*, 4> names = {&s.m_strLayerPointId, &s.m_strLayerEastNorth,
                                               &s.m_strLayerHeight, &s.m_strLayerCode};
    for (std::size_t i = 0; i < 4; ++i) {
        *names[i] = wintext::ToLocal(Text(kLayerEdits[i]));
        if (const auto message = exportdlg::CheckLayerName(*names[i]))
            return Fail(kLayerEdits[i], *message);
    }
    if (const auto message = exportdlg::TakeDecimals(wintext::ToUtf8(Text(1027)), s.m_nDecimalsEN))
        return Fail(1027, *message);
    if (const auto message = exportdlg::TakeDecimals(wintext::ToUtf8(Text(1028)), s.m_nDecimalsH))
        return Fail(1028, *message);
    if (const auto message = exportdlg::TakeSymbolSize(wintext::ToUtf8(Text(1033)), s.m_fSymbolSize))
        return Fail(1033, *message);

    const auto selection = [this](int list) {
        return static_cast<int>(SendDlgItemMessageW(m_window, list, CB_GETCURSEL, 0, 0));
    };
    s.m_nColourPointId = selection(1024);
    s.m_nColourEastNorth = selection(1022);
    s.m_nColourHeight = selection(1025);
    s.m_nColourCode = selection(1026);
    return true;
}

void CExportDlg::RunExport() {
    if (!TakeValues() || m_files == nullptr)
        return;
    const HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    const auto askReplace = [this](const std::string& path) {
        const std::wstring text = wintext::FromUtf8(exportdlg::ReplaceQuestion(path));
        std::wstring title(256, L'\0');
        title.resize(static_cast<std::size_t>(GetWindowTextW(m_window, title.data(), 256)));
        return MessageBoxW(m_window, text.c_str(), title.c_str(),
                           MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
    };
    const exportdlg::ExportOutcome outcome = exportdlg::RunExport(
        m_settings, m_store, *m_files, std::make_unique<Win32ProgressDisplay>(m_window), askReplace);
    SetCursor(previous);
    if (!outcome.error.empty())
        MessageBoxW(m_window, wintext::FromUtf8(outcome.error).c_str(), L"Error", MB_OK | MB_ICONINFORMATION);
    if (outcome.done)
        EndDialog(m_window, RESULT_OK);
}
