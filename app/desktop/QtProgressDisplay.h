#pragma once

#include "common/IProgressDisplay.h"

#include <QPointer>
#include <QProgressBar>

// The progress bar along the bottom 20 pixels of a window. The range may exceed what the
// widget's int holds, so the bar shows thousandths; it repaints at once, as no event loop runs
// during the export.
class QtProgressDisplay : public IProgressDisplay {
public:
    explicit QtProgressDisplay(QWidget* parent);
    QtProgressDisplay(const QtProgressDisplay&) = delete;
    QtProgressDisplay& operator=(const QtProgressDisplay&) = delete;
    ~QtProgressDisplay() override;

    void Show(std::int64_t position, std::int64_t low, std::int64_t high) override;
    [[nodiscard]] QProgressBar* Bar() const { return m_bar; }

private:
    QPointer<QProgressBar> m_bar;
};
