#include "ui/FormControls.h"

#include <QLabel>

QFont PixelFont(int pixels, bool bold, const QFont& base) {
    QFont font = base;
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(x, y);
    label->adjustSize();
    return label;
}
