#pragma once
// Pieces of the forms built in code: fonts sized in pixels (the old forms were laid out
// in pixels, not points) and labels that size themselves to their text.

#include <QFont>
#include <QString>

class QLabel;
class QWidget;

// `base` with the given pixel size and weight.
QFont PixelFont(int pixels, bool bold, const QFont& base = QFont());

// A label named `name` at (x, y), as large as its text.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y);
