#include "ui/EditExcel.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "engine/dataModule.h"
#include "ui/MultiLang.h"
#include "ui/QtText.h"
#include "ui/TargetFileDialogs.h"
#include "ui/UserDialogs.h"

TFrmEditExcel::TFrmEditExcel(QWidget* parent) : QDialog(parent) {
    setObjectName("FrmEditExcel");
    setWindowTitle("~Excel-Dateieinstellungen");
    setFixedSize(539, 157);
    QFont formFont = font();
    formFont.setPixelSize(13);
    formFont.setBold(true);
    setFont(formFont);

    // Captions stand left of their boxes.
    CBxXlsGlobSlct = new QCheckBox("~Global", this);
    CBxXlsGlobSlct->setObjectName("CBxXlsGlobSlct");
    CBxXlsGlobSlct->setLayoutDirection(Qt::RightToLeft);
    CBxXlsGlobSlct->setGeometry(22, 9, 166, 20);

    Label1 = new QLabel("~Öffnen als", this);
    Label1->setObjectName("Label1");
    Label1->move(24, 45);

    RBtXlsGlobVorlage = new QRadioButton("~Vorlage", this);
    RBtXlsGlobVorlage->setObjectName("RBtXlsGlobVorlage");
    RBtXlsGlobVorlage->setLayoutDirection(Qt::RightToLeft);
    RBtXlsGlobVorlage->setGeometry(22, 67, 166, 20);
    BtnXlsGlobVorlage = new QPushButton("...", this);
    BtnXlsGlobVorlage->setObjectName("BtnXlsGlobVorlage");
    BtnXlsGlobVorlage->setGeometry(192, 64, 21, 21);
    BtnXlsGlobVorlage->setAutoDefault(false);
    EdtXlsGlobVorlage = new QLineEdit(this);
    EdtXlsGlobVorlage->setObjectName("EdtXlsGlobVorlage");
    EdtXlsGlobVorlage->setGeometry(216, 64, 313, 21);
    EdtXlsGlobVorlage->setReadOnly(true);

    // Lies behind the radio button and is never seen; kept for the language files.
    Label2 = new QLabel("~Datei", this);
    Label2->setObjectName("Label2");
    Label2->move(24, 93);
    Label2->hide();
    RBtXlsGlobFile = new QRadioButton("~Datei", this);
    RBtXlsGlobFile->setObjectName("RBtXlsGlobFile");
    RBtXlsGlobFile->setLayoutDirection(Qt::RightToLeft);
    RBtXlsGlobFile->setGeometry(22, 91, 166, 20);
    BtnXlsGlobFile = new QPushButton("...", this);
    BtnXlsGlobFile->setObjectName("BtnXlsGlobFile");
    BtnXlsGlobFile->setGeometry(192, 88, 21, 21);
    BtnXlsGlobFile->setAutoDefault(false);
    EdtXlsGlobFile = new QLineEdit(this);
    EdtXlsGlobFile->setObjectName("EdtXlsGlobFile");
    EdtXlsGlobFile->setGeometry(216, 88, 313, 21);

    BtnOk = new QPushButton("~&Ok", this);
    BtnOk->setObjectName("BtnOk");
    BtnOk->setGeometry(312, 120, 97, 25);
    BtnOk->setDefault(true);
    Button1 = new QPushButton("~&Abbruch", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(424, 120, 97, 25);
    Button1->setAutoDefault(false);

    connect(RBtXlsGlobVorlage, &QRadioButton::toggled, this, &TFrmEditExcel::RBtXlsGlobFileClick);
    connect(RBtXlsGlobFile, &QRadioButton::toggled, this, &TFrmEditExcel::RBtXlsGlobFileClick);
    connect(BtnXlsGlobVorlage, &QPushButton::clicked, this, &TFrmEditExcel::BtnXlsGlobVorlageClick);
    connect(BtnXlsGlobFile, &QPushButton::clicked, this, &TFrmEditExcel::BtnXlsGlobFileClick);
    connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);

    TranslateForm(this);
    // Translated captions bring their own widths.
    for (QLabel* label : findChildren<QLabel*>()) label->adjustSize();
}

void TFrmEditExcel::Load(const TD& d) {
    CBxXlsGlobSlct->setChecked(d.XlsGlobSlct);
    RBtXlsGlobVorlage->setChecked(d.XlsGlobVorlageSlct);
    RBtXlsGlobFile->setChecked(!d.XlsGlobVorlageSlct);
    RBtXlsGlobFileClick();
    vorlageStartDir_ = StartFolder(d.XlsGlobVorlage, d.XlsZielVorlageDir);
    fileStartDir_ = StartFolder(d.XlsGlobFile, d.XlsZielFileDir);
    EdtXlsGlobVorlage->setText(Q(d.XlsGlobVorlage));
    EdtXlsGlobFile->setText(Q(d.XlsGlobFile));
}

void TFrmEditExcel::Store(TD& d) const {
    d.XlsGlobSlct = CBxXlsGlobSlct->isChecked();
    d.XlsGlobVorlageSlct = RBtXlsGlobVorlage->isChecked();
    d.XlsGlobVorlage = EdtXlsGlobVorlage->text().toStdString();
    d.XlsGlobFile = EdtXlsGlobFile->text().toStdString();
    d.SaveProgIni();
}

void TFrmEditExcel::RBtXlsGlobFileClick() {
    const bool vorlage = RBtXlsGlobVorlage->isChecked();
    const bool file = RBtXlsGlobFile->isChecked();
    EdtXlsGlobVorlage->setEnabled(vorlage);
    BtnXlsGlobVorlage->setEnabled(vorlage);
    EdtXlsGlobFile->setEnabled(file);
    BtnXlsGlobFile->setEnabled(file);
}

void TFrmEditExcel::BtnXlsGlobVorlageClick() {
    const QString name = UserDialogs().ChooseFile(
        this, TargetFileRequest(tTargetFile::XlsVorlage, vorlageStartDir_));
    if (name.isEmpty()) return;
    EdtXlsGlobVorlage->setText(name);
    vorlageStartDir_ = FolderOfPath(name);
}

void TFrmEditExcel::BtnXlsGlobFileClick() {
    const QString name =
        UserDialogs().ChooseFile(this, TargetFileRequest(tTargetFile::XlsFile, fileStartDir_));
    if (name.isEmpty()) return;
    EdtXlsGlobFile->setText(name);
    fileStartDir_ = FolderOfPath(name);
}

bool EditExcelGlobal(QWidget* parent) {
    if (D == nullptr) return false;
    TFrmEditExcel form(parent);
    form.Load(*D);
    tModalDialogGuard guard;
    if (form.exec() != QDialog::Accepted) return false;
    try {
        form.Store(*D);
    } catch (const std::exception& e) {
        UserDialogs().ShowMessage(parent, QString::fromLocal8Bit(e.what()));
    }
    return true;
}
