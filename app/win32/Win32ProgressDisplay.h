#pragma once

#include "common/IProgressDisplay.h"

#include <windows.h>

// The progress bar (PROGRESS_CLASS) along the bottom 20 pixels of the dialog while it exists.
class Win32ProgressDisplay : public IProgressDisplay {
public:
    explicit Win32ProgressDisplay(HWND dialog);
    Win32ProgressDisplay(const Win32ProgressDisplay&) = delete;
    Win32ProgressDisplay& operator=(const Win32ProgressDisplay&) = delete;
    ~Win32ProgressDisplay() override;

    void Show(std::int64_t position, std::int64_t low, std::int64_t high) override;

private:
    static constexpr int kScale = 1000;
    HWND m_bar = nullptr;
    int m_shown = -1;
};
