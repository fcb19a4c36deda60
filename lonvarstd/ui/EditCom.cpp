#include "ui/EditCom.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "engine/dataModule.h"
#include "platform/serial/port_mapping.h"
#include "ui/MultiLang.h"
#include "ui/UserDialogs.h"

namespace {

QComboBox* NewDeviceList(QWidget* parent, const char* name, int top) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setGeometry(110, top, 430, 24);
    // The by-id names are long: the open list shows them whole.
    list->view()->setMinimumWidth(640);
    QObject::connect(list, &QComboBox::currentTextChanged, list, &QComboBox::setToolTip);
    return list;
}

QLabel* NewDeviceLabel(QWidget* parent, const char* name, const char* key, int top) {
    auto* label = new QLabel(key, parent);
    label->setObjectName(name);
    label->move(24, top + 4);
    return label;
}

// "/dev/ttyUSB0   FT232R USB UART (FTDI)   usb-FTDI_FT232R_USB_UART_A1-if00-port0"
QString PortText(const serial_ports::SystemPort& port) {
    QString text = QString::fromStdString(port.device + "   " + port.description);
    if (!port.byId.empty()) {
        text += QString::fromStdString("   " + port.byId.substr(port.byId.find_last_of('/') + 1));
    }
    return text;
}

// Item data: the name stored for the port; empty for the standard device.
void FillDeviceList(QComboBox* list, int comNumber, const std::string& stored,
                    const std::vector<serial_ports::SystemPort>& ports) {
    list->clear();
    list->addItem(TranslateText("~Standard") + " (" +
                      QString::fromStdString(tavrix::serial::defaultDevicePath(comNumber)) + ")",
                  QString());
    for (const serial_ports::SystemPort& port : ports) {
        list->addItem(PortText(port), QString::fromStdString(port.StoredName()));
    }
    if (stored.empty()) return;
    const int found = serial_ports::FindStoredPort(ports, stored);
    if (found >= 0) {
        list->setCurrentIndex(found + 1);
        return;
    }
    // The state first: a long by-id name is cut off at its end in the closed list.
    list->addItem(
        "(" + TranslateText("~nicht angeschlossen") + ")   " + QString::fromStdString(stored),
        QString::fromStdString(stored));
    list->setCurrentIndex(list->count() - 1);
}

}  // namespace

TFrmEditCom::TFrmEditCom(QWidget* parent) : QDialog(parent) {
    setWindowTitle("~Einstellungen");
    setFixedSize(564, 165);
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

    LblCom1Device = NewDeviceLabel(this, "LblCom1Device", "~COM 1:", 62);
    CbxCom1Device = NewDeviceList(this, "CbxCom1Device", 62);
    LblCom2Device = NewDeviceLabel(this, "LblCom2Device", "~COM 2:", 94);
    CbxCom2Device = NewDeviceList(this, "CbxCom2Device", 94);

    BtnOk = new QPushButton("~&Ok", this);
    BtnOk->setObjectName("BtnOk");
    BtnOk->setGeometry(322, 130, 97, 25);
    BtnOk->setDefault(true);
    Button1 = new QPushButton("~&Abbruch", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(443, 130, 97, 25);
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
    // The lists start after the longer translated label.
    const int left =
        std::max(LblCom1Device->geometry().right(), LblCom2Device->geometry().right()) + 12;
    for (QComboBox* list : {CbxCom1Device, CbxCom2Device}) {
        list->setGeometry(left, list->y(), 540 - left, list->height());
    }
}

void TFrmEditCom::Load(const TD& d) {
    CBxCOM1->setChecked(d.ShowCom1);
    CBxCOM2->setChecked(d.ShowCom2);
    const auto ports =
        d.SystemPortLister ? d.SystemPortLister() : std::vector<serial_ports::SystemPort>{};
    FillDeviceList(CbxCom1Device, 1, d.ComPortDevices[0], ports);
    FillDeviceList(CbxCom2Device, 2, d.ComPortDevices[1], ports);
}

void TFrmEditCom::Store(TD& d) const {
    d.ShowCom1 = CBxCOM1->isChecked();
    d.ShowCom2 = d.ShowCom1;
    d.ComPortDevices[0] = CbxCom1Device->currentData().toString().toStdString();
    d.ComPortDevices[1] = CbxCom2Device->currentData().toString().toStdString();
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
