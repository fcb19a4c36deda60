#include "ui/EditCom.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "engine/dataModule.h"
#include "ui/MultiLang.h"
#include "ui/UserDialogs.h"

TFrmEditCom::TFrmEditCom(QWidget* parent) : QDialog(parent) {
    setWindowTitle("~Einstellungen");
    setFixedSize(402, 109);
    QFont formFont = font();
    formFont.setPixelSize(13);
    formFont.setBold(true);
    setFont(formFont);

    Label1 = new QLabel("~Einblenden:", this);
    Label1->setObjectName("Label1");
    Label1->move(24, 16);
    CBxCOM1 = new QCheckBox(this);
    CBxCOM1->setObjectName("CBxCOM1");
    CBxCOM1->setLayoutDirection(Qt::RightToLeft);
    CBxCOM1->setGeometry(265, 14, 113, 20);
    CBxCOM2 = new QCheckBox("~COM 2", this);
    CBxCOM2->setObjectName("CBxCOM2");
    CBxCOM2->setLayoutDirection(Qt::RightToLeft);
    CBxCOM2->setGeometry(265, 38, 113, 20);

    BtnOk = new QPushButton("~&Ok", this);
    BtnOk->setObjectName("BtnOk");
    BtnOk->setGeometry(160, 72, 97, 25);
    BtnOk->setDefault(true);
    Button1 = new QPushButton("~&Abbruch", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(280, 72, 97, 25);
    Button1->setAutoDefault(false);
    connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);

    // The one box stands for both ports.
    CBxCOM2->hide();
    CBxCOM1->setText("~COM");
    setObjectName("FrmEditConfig");
    TranslateForm(this);
    // Translated captions bring their own widths.
    for (QLabel* label : findChildren<QLabel*>()) label->adjustSize();
}

void TFrmEditCom::Load(const TD& d) {
    CBxCOM1->setChecked(d.ShowCom1);
    CBxCOM2->setChecked(d.ShowCom2);
}

void TFrmEditCom::Store(TD& d) const {
    d.ShowCom1 = CBxCOM1->isChecked();
    d.ShowCom2 = d.ShowCom1;
    d.SaveProgIni();
}

void EditComPorts(QWidget* parent) {
    if (D == nullptr) return;
    TFrmEditCom form(parent);
    form.Load(*D);
    tModalDialogGuard guard;
    if (form.exec() != QDialog::Accepted) return;
    try {
        form.Store(*D);
    } catch (const std::exception& e) {
        UserDialogs().ShowMessage(parent, QString::fromLocal8Bit(e.what()));
    }
}
