#pragma once

#include "common/IProgressDisplay.h"

#include <cstdint>
#include <memory>

// The process-wide progress reporter. The reader and the DXF writer only advance it; while no
// display exists, SetRange and StepBy do nothing, so both run without any display at all.
class CProgressBar {
public:
    static CProgressBar& Instance();
    // Removes the display and the reporter; a later Instance() makes a fresh one.
    static void Destroy();

    // Replaces the current display, if any.
    void Create(std::unique_ptr<IProgressDisplay> display);
    // The step is the platform bar's own increment, which no display here uses: every move
    // comes through StepBy.
    void SetRange(std::int64_t low, std::int64_t high, std::int64_t step);
    // Moves the position by n, clamped to the range. Returns whether the user cancelled.
    bool StepBy(std::int64_t n);

    void Cancel() { m_cancelled = true; }
    [[nodiscard]] bool HasDisplay() const { return m_display != nullptr; }
    [[nodiscard]] std::int64_t Position() const { return m_position; }

private:
    CProgressBar() = default;

    std::unique_ptr<IProgressDisplay> m_display;
    std::int64_t m_low = 0;
    std::int64_t m_high = 100;
    std::int64_t m_position = 0;
    bool m_cancelled = false;
};
