#include "ui/Panel.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

TPanel::TPanel(QWidget* parent) : QFrame(parent) {
    setAutoFillBackground(false);
}

void TPanel::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    update();
}

void TPanel::SetColor(const QColor& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

void TPanel::SetBevels(tBevel inner, tBevel outer, int width) {
    bevelInner_ = inner;
    bevelOuter_ = outer;
    bevelWidth_ = width < 1 ? 1 : width;
    update();
}

namespace {

// One bevel of `width` pixels just inside `box`; returns the box inside it.
QRect drawBevel(QPainter& painter, QRect box, tBevel bevel, int width, const QPalette& palette) {
    if (bevel == tBevel::None) return box;
    const QColor light = palette.color(QPalette::Light);
    const QColor dark = palette.color(QPalette::Dark);
    const QColor topLeft = bevel == tBevel::Raised ? light : dark;
    const QColor bottomRight = bevel == tBevel::Raised ? dark : light;
    for (int i = 0; i < width && box.width() > 1 && box.height() > 1; ++i) {
        painter.setPen(topLeft);
        painter.drawLine(box.topLeft(), box.topRight());
        painter.drawLine(box.topLeft(), box.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(box.bottomLeft(), box.bottomRight());
        painter.drawLine(box.topRight(), box.bottomRight());
        box.adjust(1, 1, -1, -1);
    }
    return box;
}

}  // namespace

void TPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), color_);
    QRect box = rect();
    box = drawBevel(painter, box, bevelOuter_, bevelWidth_, palette());
    box = drawBevel(painter, box, bevelInner_, bevelWidth_, palette());
    if (caption_.isEmpty()) return;
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect textBox = box.adjusted(2, 0, -2, 0);
    // A value wider than the panel (our fonts run wider than the old forms') is drawn
    // smaller rather than cut, so that no digit is lost.
    QFont shown = font();
    for (int px = shown.pixelSize();
         px > 6 && QFontMetrics(shown).horizontalAdvance(caption_) > textBox.width();) {
        shown.setPixelSize(--px);
    }
    painter.setFont(shown);
    painter.drawText(textBox, static_cast<int>(CaptionAlignment) | Qt::TextSingleLine, caption_);
}

void TPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit Click();
    }
    QFrame::mouseReleaseEvent(event);
}

void TPanel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit DblClick();
    QFrame::mouseDoubleClickEvent(event);
}
