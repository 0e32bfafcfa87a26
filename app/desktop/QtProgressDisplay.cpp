#include "app/desktop/QtProgressDisplay.h"

namespace {
constexpr int kScale = 1000;
constexpr int kHeight = 20;
} // namespace

QtProgressDisplay::QtProgressDisplay(QWidget* parent) : m_bar(new QProgressBar(parent)) {
    const QRect client = parent->rect();
    m_bar->setObjectName(QStringLiteral("progress"));
    m_bar->setGeometry(0, client.height() - kHeight, client.width(), kHeight);
    m_bar->setRange(0, kScale);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    m_bar->show();
    m_bar->raise();
}

QtProgressDisplay::~QtProgressDisplay() {
    if (m_bar) {
        m_bar->hide();
        m_bar->deleteLater(); // the dialog owns it until then
    }
}

void QtProgressDisplay::Show(std::int64_t position, std::int64_t low, std::int64_t high) {
    if (!m_bar)
        return;
    const auto span = static_cast<double>(high - low);
    const int value = span > 0 ? static_cast<int>(kScale * (static_cast<double>(position - low) / span)) : 0;
    if (value != m_bar->value()) {
        m_bar->setValue(value);
        m_bar->repaint();
    }
}
