#include "ui/Image.h"

#include <QMouseEvent>

TImage::TImage(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TImage::SetPicture(const QPixmap& picture) {
    picture_ = picture;
    UpdateShown();
}

void TImage::SetStretch(bool stretch) {
    stretch_ = stretch;
    UpdateShown();
}

void TImage::UpdateShown() {
    setScaledContents(stretch_);
    setPixmap(picture_);
}

void TImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit Click();
    }
    QLabel::mouseReleaseEvent(event);
}

void TImage::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit DblClick();
    QLabel::mouseDoubleClickEvent(event);
}
