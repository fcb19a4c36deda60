#include "ui/Info.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include "ui/DevicePictures.h"
#include "ui/FormControls.h"
#include "ui/Image.h"
#include "ui/MultiLang.h"
#include "ui/Panel.h"
#include "ui/UserDialogs.h"

namespace {

constexpr int kCloseAfterMs = 2000;

}  // namespace

tFrmInfo::tFrmInfo(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("FrmInfo");
    setFixedSize(450, 143);
    setFont(PixelFont(13, false, font()));
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);

    PnlMain = new TPanel(this);
    PnlMain->setObjectName("PnlMain");
    PnlMain->setGeometry(rect());
    PnlMain->SetBevels(tBevel::None, tBevel::None);
    PnlMain->setFrameStyle(QFrame::Box | QFrame::Plain);
    PnlMain->setLineWidth(1);

    LblName = MakeLabel(PnlMain, "LblName", "", 16, 1);
    LblName->setFont(PixelFont(48, true, font()));
    LblProfLight = MakeLabel(PnlMain, "LblProfLight", "", 220, 6);
    LblProfLight->setFont(PixelFont(21, true, font()));
    QPalette blue = LblProfLight->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    LblProfLight->setPalette(blue);

    ImgOskel = new TImage(PnlMain);
    ImgOskel->setObjectName("ImgOskel");
    ImgOskel->setGeometry(244, 34, 196, 100);
    ImgOskel->SetStretch(true);
    ImgOskel->SetPicture(BuiltinPicture(tBuiltinPicture::Logo));
    ImgUSB = new TImage(PnlMain);
    ImgUSB->setObjectName("ImgUSB");
    ImgUSB->setGeometry(226, 39, 220, 100);
    ImgUSB->SetPicture(BuiltinPicture(tBuiltinPicture::ProgramPicture));

    Label2 = MakeLabel(PnlMain, "Label2", "~Version", 21, 72);
    Label6 = MakeLabel(PnlMain, "Label6", kLonvarVersion, 101, 72);
    // Our own rights notice: sign, year, holder, reservation.
    Label8 = MakeLabel(PnlMain, "Label8", QString::fromUtf8("\u00A9"), 21, 91);
    Label9 = MakeLabel(PnlMain, "Label9", "2026", 38, 91);
    Label3 = MakeLabel(PnlMain, "Label3", "~Tavrix-Team", 101, 91);
    Label1 = MakeLabel(PnlMain, "Label1", "~Alle Rechte vorbehalten.", 21, 112);

    for (QWidget* w :
         std::initializer_list<QWidget*>{PnlMain, LblName, LblProfLight, ImgOskel, ImgUSB, Label2,
                                         Label6, Label8, Label9, Label3, Label1}) {
        w->installEventFilter(this);
    }

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &tFrmInfo::Timer1Timer);
    Timer1->start(kCloseAfterMs);
}

void tFrmInfo::OkClick() {
    Timer1->stop();
    close();
}

void tFrmInfo::Timer1Timer() {
    Timer1->stop();
    close();
}

void tFrmInfo::showEvent(QShowEvent* event) {
    TranslateForm(this);
    // Texts may have changed their widths with the language.
    for (QLabel* label : {LblName, LblProfLight, Label2, Label6, Label8, Label9, Label3, Label1}) {
        label->adjustSize();
    }
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) move(screen->geometry().center() - rect().center());
    QDialog::showEvent(event);
}

bool tFrmInfo::eventFilter(QObject* watched, QEvent* event) {
    const bool click = event->type() == QEvent::MouseButtonPress ||
                       event->type() == QEvent::MouseButtonRelease ||
                       event->type() == QEvent::MouseButtonDblClick;
    if (!click) return QDialog::eventFilter(watched, event);
    // The edition word keeps its clicks, so that they do not reach the panel below.
    if (watched != LblProfLight && event->type() == QEvent::MouseButtonRelease) OkClick();
    return true;
}

void ShowInfo(QWidget* owner) {
    tFrmInfo form(owner);
    form.LblName->setText("Lonvar");
    form.PnlMain->SetColor(Qt::white);
    form.ImgOskel->hide();
    form.ImgUSB->show();
    form.LblProfLight->setText("standard");
    tModalDialogGuard guard;
    form.exec();
}
