#pragma once
// The state lamp: a small square filled with ColorActive while on and with
// ColorInactive while off; it can flash.

#include <QColor>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>

// Device state (wParam of message 1027) to lamp colour: silver, yellow, lime, red, white.
extern const std::array<QColor, 5> StateColors;
// The colour of state `index`; silver for an index outside the table.
QColor StateColor(int index);
// Colours written as the numbers of the old forms, blue in the high byte ($BBGGRR).
QColor ColorFromBgr(std::uint32_t bgr);

class TDXLed : public QWidget {
    Q_OBJECT
public:
    explicit TDXLed(QWidget* parent = nullptr);

    QColor ColorActive() const { return colorActive_; }
    // Repaints at once when the lamp is on.
    void SetColorActive(const QColor& color);
    QColor ColorInactive() const { return colorInactive_; }
    void SetColorInactive(const QColor& color);
    bool Value() const { return value_; }
    // Setting the value it already has changes nothing.
    void SetValue(bool on);
    bool Flashing() const { return flashing_; }
    void SetFlashing(bool flashing);
    int FlashInterval() const { return flashTimer_.interval(); }
    void SetFlashInterval(int ms);
    // Copied by CopyLed; the lamp draws its own colours either way.
    bool ParentColor = false;
    // The colour the lamp shows now.
    QColor ShownColor() const;

    QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void RestartFlash();
    QColor colorActive_{Qt::red};
    QColor colorInactive_{0xC0, 0xC0, 0xC0};
    bool value_ = false;
    bool flashing_ = false;
    bool flashPhase_ = false;
    QTimer flashTimer_;
};
