#pragma once
// Controls made at run time as copies of a template control of a form. Each copy
// belongs to `owner` (also its parent), is visible, and takes only what is listed;
// everything else keeps the new control's defaults. The template is not changed,
// and the copy does not follow later changes of it.

#include <QLabel>

class QWidget;
class TDXLed;
class TImage;
class TPanel;
class TSpeedButton;

// The control's tag, kept as the dynamic property "Tag".
int Tag(const QWidget* control);
void SetTag(QWidget* control, int tag);

// Tag, bounds, caption, font.
QLabel* CopyLabel(QWidget* owner, const QLabel* templ);
// Tag, bounds, caption, font, glyphs, number of glyphs, group index, allow-all-up.
TSpeedButton* CopySpeedButton(QWidget* owner, const TSpeedButton* templ);
// Tag, bounds, caption, font, parent-colour flag.
TDXLed* CopyLed(QWidget* owner, const TDXLed* templ);
// Tag, bounds, caption, colour, bevels and bevel width, font.
TPanel* CopyPanel(QWidget* owner, const TPanel* templ);
// Tag, bounds, picture.
TImage* CopyImage(QWidget* owner, const TImage* templ);
