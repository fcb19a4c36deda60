#include "ui/SpeedButton.h"

#include <QMouseEvent>

TSpeedButton::TSpeedButton(QWidget* parent) : QToolButton(parent) {
    setCheckable(true);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QToolButton::toggled, this, [this] { UpdateGlyph(); });
}

void TSpeedButton::SetGlyphs(const QPixmap& up, const QPixmap& down) {
    up_ = up;
    down_ = down;
    UpdateGlyph();
}

void TSpeedButton::SetDown(bool down) {
    setChecked(down);
    UpdateGlyph();
}

void TSpeedButton::nextCheckState() {
    // Without a group the button springs back; in a group it stays down, and only
    // AllowAllUp lets a click on a down button raise it.
    if (GroupIndex == 0) return;
    if (!isChecked()) {
        setChecked(true);
        if (!parentWidget()) return;
        for (auto* other :
             parentWidget()->findChildren<TSpeedButton*>(Qt::FindDirectChildrenOnly)) {
            if (other != this && other->GroupIndex == GroupIndex) other->SetDown(false);
        }
    } else if (AllowAllUp) {
        setChecked(false);
    }
}

void TSpeedButton::UpdateGlyph() {
    const QPixmap& shown = (isChecked() && NumGlyphs > 1 && !down_.isNull()) ? down_ : up_;
    setIcon(shown.isNull() ? QIcon() : QIcon(shown));
    if (!shown.isNull()) setIconSize(shown.size());
    setToolButtonStyle(shown.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
}

void TSpeedButton::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit DblClick();
    QToolButton::mouseDoubleClickEvent(event);
}
