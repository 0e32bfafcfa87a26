#include "common/CProgressBar.h"

#include <algorithm>
#include <limits>

namespace {
std::unique_ptr<CProgressBar>& Slot() {
    static std::unique_ptr<CProgressBar> instance;
    return instance;
}
} // namespace

CProgressBar& CProgressBar::Instance() {
    auto& slot = Slot();
    if (!slot)
        slot.reset(new CProgressBar()); // private constructor: make_unique cannot reach it
    return *slot;
}

void CProgressBar::Destroy() {
    Slot().reset();
}

void CProgressBar::Create(std::unique_ptr<IProgressDisplay> display) {
    m_display = std::move(display);
    m_low = 0;
    m_high = 100;
    m_position = 0;
}

void CProgressBar::SetRange(std::int64_t low, std::int64_t high, std::int64_t /*step*/) {
    if (!m_display)
        return;
    m_low = low;
    m_high = std::max(low, high);
    m_position = m_low;
    m_display->Show(m_position, m_low, m_high);
}

bool CProgressBar::StepBy(std::int64_t n) {
    if (!m_display)
        return m_cancelled;
    // Saturating add: a huge step must not overflow before the clamp.
    std::int64_t next = m_position;
    if (n > 0)
        next = (m_position > std::numeric_limits<std::int64_t>::max() - n) ? m_high : m_position + n;
    else if (n < 0)
        next = (m_position < std::numeric_limits<std::int64_t>::min() - n) ? m_low : m_position + n;
    next = std::clamp(next, m_low, m_high);
    if (next != m_position) {
        m_position = next;
        m_display->Show(m_position, m_low, m_high);
    }
    return m_cancelled;
}
