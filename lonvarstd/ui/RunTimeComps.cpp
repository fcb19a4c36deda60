#include "ui/RunTimeComps.h"

#include "ui/DXLed.h"
#include "ui/Image.h"
#include "ui/Panel.h"
#include "ui/SpeedButton.h"

namespace {

constexpr const char* TagProperty = "Tag";

// What every copy takes: tag and bounds; the copy is shown.
template <typename T>
T* NewCopy(QWidget* owner, const QWidget* templ) {
    auto* copy = new T(owner);
    SetTag(copy, Tag(templ));
    copy->setGeometry(templ->geometry());
    return copy;
}

}  // namespace

int Tag(const QWidget* control) {
    return control ? control->property(TagProperty).toInt() : 0;
}

void SetTag(QWidget* control, int tag) {
    if (control) control->setProperty(TagProperty, tag);
}

QLabel* CopyLabel(QWidget* owner, const QLabel* templ) {
    auto* copy = NewCopy<QLabel>(owner, templ);
    copy->setText(templ->text());
    copy->setFont(templ->font());
    copy->show();
    return copy;
}

TSpeedButton* CopySpeedButton(QWidget* owner, const TSpeedButton* templ) {
    auto* copy = NewCopy<TSpeedButton>(owner, templ);
    copy->setText(templ->text());
    copy->setFont(templ->font());
    copy->NumGlyphs = templ->NumGlyphs;
    copy->GroupIndex = templ->GroupIndex;
    copy->AllowAllUp = templ->AllowAllUp;
    copy->SetGlyphs(templ->GlyphUp(), templ->GlyphDown());
    copy->show();
    return copy;
}

TDXLed* CopyLed(QWidget* owner, const TDXLed* templ) {
    auto* copy = NewCopy<TDXLed>(owner, templ);
    copy->setFont(templ->font());
    copy->ParentColor = templ->ParentColor;
    copy->show();
    return copy;
}

TPanel* CopyPanel(QWidget* owner, const TPanel* templ) {
    auto* copy = NewCopy<TPanel>(owner, templ);
    copy->SetCaption(templ->Caption());
    copy->SetColor(templ->Color());
    copy->SetBevels(templ->BevelInner(), templ->BevelOuter(), templ->BevelWidth());
    copy->setFont(templ->font());
    copy->show();
    return copy;
}

TImage* CopyImage(QWidget* owner, const TImage* templ) {
    auto* copy = NewCopy<TImage>(owner, templ);
    copy->SetPicture(templ->Picture());
    copy->show();
    return copy;
}
