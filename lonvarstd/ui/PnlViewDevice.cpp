#include "ui/PnlViewDevice.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

#include "ui/DXLed.h"
#include "ui/DevicePictures.h"
#include "ui/FormControls.h"
#include "ui/Image.h"
#include "ui/RunTimeComps.h"
#include "ui/SpeedButton.h"

namespace {

constexpr QSize kPanelSize{729, 71};

// Labels of the old forms sized themselves to their text; here each is as wide as
// its column, so a long text is cut at the column's edge instead of running into
// the next one.
QLabel* NewLabel(QWidget* parent, const char* name, const QString& text, QRect bounds,
                 const QFont* font = nullptr) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(bounds);
    if (font) label->setFont(*font);
    return label;
}

template <typename T>
T* Named(T* control, const char* name) {
    control->setObjectName(name);
    return control;
}

}  // namespace

tPnlViewDevice::tPnlViewDevice(QWidget* parent) : TPanel(parent), PanelIndex(-1) {
    setObjectName("PnlViewDevice");
    resize(kPanelSize);
    SetColor(ColorFromBgr(0xF0F0F0));
    setFont(PixelFont(13, true));
}

tPnlViewDevice* tPnlViewDevice::CreateTemplate(QWidget* parent) {
    auto* p = new tPnlViewDevice(parent);
    const QFont small = PixelFont(11, false);

    p->LedState = Named(new TDXLed(p), "LedState");
    p->LedState->setGeometry(8, 5, 16, 16);
    p->LedState->SetColorActive(Qt::green);
    p->LedState->SetValue(true);
    p->LblDevice = NewLabel(p, "LblDevice", "USB 1", {9, 49, 66, 16});
    p->ImgIntfType = Named(new TImage(p), "ImgIntfType");
    p->ImgIntfType->setGeometry(27, 6, 36, 36);
    p->PnlDeviceType = Named(new TPanel(p), "PnlDeviceType");
    p->PnlDeviceType->setGeometry(80, 3, 84, 64);
    p->PnlDeviceType->SetBevels(tBevel::Lowered, tBevel::Raised);
    p->ImgDeviceType = Named(new TImage(p->PnlDeviceType), "ImgDeviceType");
    p->ImgDeviceType->setGeometry(2, 2, 80, 60);
    p->LblName = NewLabel(p, "LblName", "Name", {170, 7, 154, 16});
    p->LblTyp = NewLabel(p, "LblTyp", "Typ", {170, 36, 154, 14}, &small);
    p->LblIntf = NewLabel(p, "LblIntf", "Anschluss", {170, 51, 154, 14}, &small);
    p->LedErrState = Named(new TDXLed(p), "LedErrState");
    p->LedErrState->setGeometry(328, 5, 16, 16);
    p->LblState = NewLabel(p, "LblState", "Status", {328, 51, 156, 14}, &small);
    p->PnlMw = Named(new TPanel(p), "PnlMw");
    p->PnlMw->setGeometry(352, 3, 121, 33);
    p->PnlMw->SetBevels(tBevel::Lowered, tBevel::Raised, 2);
    p->PnlMw->SetColor(ColorFromBgr(0x8EEEF0));
    p->PnlMw->setFont(PixelFont(21, true, QFont("Arial")));
    QPalette black = p->PnlMw->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    p->PnlMw->setPalette(black);
    p->PnlMw->SetCaption("--.--");
    p->LblAnforder = NewLabel(p, "LblAnforder", "Anforderung", {488, 2, 236, 16});
    p->LblBetaetigung = NewLabel(p, "LblBetaetigung", "Betaetigung", {488, 18, 236, 16});
    p->LblDest = NewLabel(p, "LblDest", "Ziel", {488, 50, 236, 16});
    p->SpBTimer = Named(new TSpeedButton(p), "SpBTimer");
    p->SpBTimer->setGeometry(488, 3, 33, 33);
    p->SpBTimer->AllowAllUp = true;
    p->SpBTimer->GroupIndex = 1;
    p->SpBTimer->NumGlyphs = 2;
    p->SpBTimer->SetGlyphs(BuiltinPicture(tBuiltinPicture::TimerUp),
                           BuiltinPicture(tBuiltinPicture::TimerDown));
    p->LblTimer = NewLabel(p, "LblTimer", "~Timer", {528, 2, 196, 16});
    p->LblTime = NewLabel(p, "LblTime", "00:00:00", {528, 18, 196, 16});
    p->hide();
    return p;
}

tPnlViewDevice::tPnlViewDevice(QWidget* owner, const tPnlViewDevice& templ, int panelIndex)
    : TPanel(owner), PanelIndex(panelIndex) {
    setObjectName("PnlViewDevice" + QString::number(panelIndex));
    setGeometry(0, panelIndex * templ.height(), templ.width(), templ.height());
    SetColor(templ.Color());
    SetBevels(templ.BevelInner(), templ.BevelOuter(), templ.BevelWidth());
    setFont(templ.font());
    hide();

    // The order of the fields; each copy carries its component's name.
    LedState = Named(CopyLed(this, templ.LedState), "LedState");
    LblDevice = Named(CopyLabel(this, templ.LblDevice), "LblDevice");
    LedErrState = Named(CopyLed(this, templ.LedErrState), "LedErrState");
    LblName = Named(CopyLabel(this, templ.LblName), "LblName");
    LblTyp = Named(CopyLabel(this, templ.LblTyp), "LblTyp");
    LblIntf = Named(CopyLabel(this, templ.LblIntf), "LblIntf");
    LblState = Named(CopyLabel(this, templ.LblState), "LblState");
    PnlMw = Named(CopyPanel(this, templ.PnlMw), "PnlMw");
    PnlMw->setPalette(templ.PnlMw->palette());
    LblAnforder = Named(CopyLabel(this, templ.LblAnforder), "LblAnforder");
    LblBetaetigung = Named(CopyLabel(this, templ.LblBetaetigung), "LblBetaetigung");
    LblDest = Named(CopyLabel(this, templ.LblDest), "LblDest");
    ImgIntfType = Named(CopyImage(this, templ.ImgIntfType), "ImgIntfType");
    PnlDeviceType = Named(CopyPanel(this, templ.PnlDeviceType), "PnlDeviceType");
    ImgDeviceType = Named(CopyImage(PnlDeviceType, templ.ImgDeviceType), "ImgDeviceType");
    SpBTimer = Named(CopySpeedButton(this, templ.SpBTimer), "SpBTimer");
    LblTimer = Named(CopyLabel(this, templ.LblTimer), "LblTimer");
    LblTime = Named(CopyLabel(this, templ.LblTime), "LblTime");

    // The copies leave the lamps at their own defaults; the state lamp is lime and on.
    LedState->SetColorActive(templ.LedState->ColorActive());
    LedState->SetValue(templ.LedState->Value());

    WatchClicks();
    connect(SpBTimer, &QAbstractButton::clicked, this, [this] { emit TimerClicked(PanelIndex); });
    connect(SpBTimer, &TSpeedButton::DblClick, this, [this] { emit Selected(PanelIndex); });
}

void tPnlViewDevice::WatchClicks() {
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) {
        if (child != SpBTimer) child->installEventFilter(this);
    }
}

bool tPnlViewDevice::eventFilter(QObject* watched, QEvent* event) {
    // Taken here so that a click is not handled again by the panel it bubbles up to.
    if (event->type() == QEvent::MouseButtonPress) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) emit Selected(PanelIndex);
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            emit Selected(PanelIndex);
            emit EditRequested(PanelIndex);
        }
        return true;
    }
    return TPanel::eventFilter(watched, event);
}
