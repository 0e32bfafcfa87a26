#include "app/win32/Win32ProgressDisplay.h"

#include <commctrl.h>

Win32ProgressDisplay::Win32ProgressDisplay(HWND dialog) {
    RECT client{};
    GetClientRect(dialog, &client);
    m_bar = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 0, client.bottom - 20,
                            client.right, 20, dialog, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(m_bar, PBM_SETRANGE32, 0, kScale);
}

Win32ProgressDisplay::~Win32ProgressDisplay() {
    if (m_bar != nullptr)
        DestroyWindow(m_bar);
}

void Win32ProgressDisplay::Show(std::int64_t position, std::int64_t low, std::int64_t high) {
    const auto span = static_cast<double>(high - low);
    const int value = span > 0 ? static_cast<int>(kScale * (static_cast<double>(position - low) / span)) : 0;
    if (value == m_shown || m_bar == nullptr)
        return;
    m_shown = value;
    SendMessageW(m_bar, PBM_SETPOS, static_cast<WPARAM>(value), 0);
    UpdateWindow(m_bar); // the export runs on this thread: paint now
}
