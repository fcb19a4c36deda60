#include "ui/DXLed.h"

#include <QPainter>

const std::array<QColor, 5> StateColors = {
    QColor(0xC0, 0xC0, 0xC0),  // silver: request sent
    QColor(0xFF, 0xFF, 0x00),  // yellow: answer accepted
    QColor(0x00, 0xFF, 0x00),  // lime: one second after an answer
    QColor(0xFF, 0x00, 0x00),  // red: time-out
    QColor(0xFF, 0xFF, 0xFF),  // white: second request sent
};

QColor StateColor(int index) {
    if (index < 0 || index >= static_cast<int>(StateColors.size())) return StateColors[0];
    return StateColors[static_cast<std::size_t>(index)];
}

QColor ColorFromBgr(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

TDXLed::TDXLed(QWidget* parent) : QWidget(parent) {
    resize(16, 16);
    setAttribute(Qt::WA_OpaquePaintEvent);
    flashTimer_.setInterval(1000);
    connect(&flashTimer_, &QTimer::timeout, this, [this] {
        flashPhase_ = !flashPhase_;
        update();
    });
}

void TDXLed::SetColorActive(const QColor& color) {
    if (color == colorActive_) return;
    colorActive_ = color;
    if (value_) repaint();
}

void TDXLed::SetColorInactive(const QColor& color) {
    if (color == colorInactive_) return;
    colorInactive_ = color;
    if (!value_) update();
}

void TDXLed::SetValue(bool on) {
    if (on == value_) return;
    value_ = on;
    RestartFlash();
}

void TDXLed::SetFlashing(bool flashing) {
    if (flashing == flashing_) return;
    flashing_ = flashing;
    RestartFlash();
}

void TDXLed::RestartFlash() {
    // Flashing alternates the colours only while the lamp is on, starting with the on colour.
    flashPhase_ = false;
    if (flashing_ && value_) {
        flashTimer_.start();
    } else {
        flashTimer_.stop();
    }
    update();
}

void TDXLed::SetFlashInterval(int ms) {
    flashTimer_.setInterval(ms > 0 ? ms : 1000);
}

QColor TDXLed::ShownColor() const {
    if (!value_ || flashPhase_) return colorInactive_;
    return colorActive_;
}

void TDXLed::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect box = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(rect(), ShownColor());
    // A thin dark rim so that a silver or white lamp stands out on a light form.
    painter.setPen(QColor(0x60, 0x60, 0x60));
    painter.drawRect(box);
}
