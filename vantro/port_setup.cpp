#include "port_setup.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "help_viewer.h"
#include "twips.h"

namespace {

QComboBox* AddList(QWidget* dialog, QGridLayout* grid, int row, const char* name,
                   const char* caption, const QStringList& entries, int selected) {
    auto* label = new QLabel(QLatin1String(caption), dialog);
    auto* list = new QComboBox(dialog);
    list->setObjectName(QLatin1String(name));
    list->addItems(entries);
    if (selected >= 0 && selected < list->count()) list->setCurrentIndex(selected);
    label->setBuddy(list);
    grid->addWidget(label, row, 0);
    grid->addWidget(list, row, 1);
    return list;
}

// "/dev/ttyUSB0   FT232R USB UART (FTDI)   usb-FTDI_FT232R_USB_UART_A1-if00-port0"
QString PortText(const serial_ports::SystemPort& port) {
    std::string text = port.device + "   " + port.description;
    if (!port.byId.empty()) text += "   " + port.byId.substr(port.byId.find_last_of('/') + 1);
    return QString::fromStdString(text);
}

// Item data: the name stored for the choice; the first entry leaves the numbering to the
// system. A stored device that is not attached is offered as such.
void FillDevices(QComboBox* list, const TPortDeviceChoice& device) {
    list->addItem(QStringLiteral("Automatic (in the order the system lists them)"), QString());
    for (const serial_ports::SystemPort& port : device.Ports) {
        list->addItem(PortText(port), QString::fromStdString(port.StoredName()));
    }
    list->setEnabled(device.ComNumber > 0);
    if (device.Stored.empty()) return;
    const int found = serial_ports::FindStoredPort(device.Ports, device.Stored);
    if (found < 0) {
        // The state first: a long by-id name is cut off at its end in the closed list.
        list->addItem(QString::fromStdString("(not attached)   " + device.Stored),
                      QString::fromStdString(device.Stored));
    }
    list->setCurrentIndex(found < 0 ? list->count() - 1 : found + 1);
}

}  // namespace

TPortSetup::TPortSetup(const TLineParameters& current, QWidget* owner,
                       const TPortDeviceChoice& device)
    : QDialog(owner) {
    setObjectName(QStringLiteral("PortSetup"));
    setWindowTitle(QStringLiteral("Vantro Serial Port Settings"));

    auto* grid = new QGridLayout;
    auto* deviceLabel =
        new QLabel(device.ComNumber > 0 ? QStringLiteral("COM%1 Device:").arg(device.ComNumber)
                                        : QStringLiteral("Device:"),
                   this);
    DeviceCombo = new QComboBox(this);
    DeviceCombo->setObjectName(QStringLiteral("DeviceCombo"));
    FillDevices(DeviceCombo, device);
    DeviceCombo->setMinimumContentsLength(40);
    DeviceCombo->setToolTip(DeviceCombo->currentText());
    connect(DeviceCombo, &QComboBox::currentTextChanged, DeviceCombo, &QComboBox::setToolTip);
    DeviceCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    deviceLabel->setBuddy(DeviceCombo);
    grid->addWidget(deviceLabel, 5, 0);
    grid->addWidget(DeviceCombo, 5, 1);
    BaudCombo =
        AddList(this, grid, 0, "BaudCombo",
                "Baud Rate:", {"110", "300", "600", "1200", "2400", "4800", "9600", "19200"},
                current.BaudIndex);
    DataBitsCombo = AddList(this, grid, 1, "DataBitsCombo", "Data Bits:", {"5", "6", "7", "8"},
                            current.DataBitsIndex);
    ParityCombo = AddList(this, grid, 2, "ParityCombo",
                          "Parity:", {"None", "Odd", "Even", "Mark", "Space"}, current.ParityIndex);
    StopBitsCombo = AddList(this, grid, 3, "StopBitsCombo", "Stop Bits:", {"1", "1.5", "2"},
                            current.StopBitsIndex);
    FlowCtrlCombo =
        AddList(this, grid, 4, "FlowCtrlCombo",
                "Flow Control:", {"None", "Xon / Xoff", "Hardware", "Lumo-RS"}, current.FlowIndex);

    OK_Button = new QPushButton(QStringLiteral("OK"), this);
    OK_Button->setObjectName(QStringLiteral("OK_Button"));
    OK_Button->setDefault(true);
    Cancel_Button = new QPushButton(QStringLiteral("Cancel"), this);
    Cancel_Button->setObjectName(QStringLiteral("Cancel_Button"));
    HelpButton = new QPushButton(QStringLiteral("Help"), this);
    HelpButton->setObjectName(QStringLiteral("HelpButton"));
    connect(OK_Button, &QPushButton::clicked, this, &QDialog::accept);
    connect(Cancel_Button, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpButton, &QPushButton::clicked, this, &TPortSetup::HelpButtonClick);

    // F1 anywhere in the dialog opens the English help.
    auto* help = new QAction(this);
    help->setShortcut(QKeySequence(Qt::Key_F1));
    help->setShortcutContext(Qt::WindowShortcut);
    connect(help, &QAction::triggered, this, &TPortSetup::HelpButtonClick);
    addAction(help);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(OK_Button);
    buttons->addWidget(Cancel_Button);
    buttons->addWidget(HelpButton);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());

    if (owner != nullptr) {
        const QPoint corner = owner->frameGeometry().topLeft();
        move(corner.x() - TwipsToPixels(800), corner.y() + TwipsToPixels(340));
    }
}

std::string TPortSetup::DeviceResult() const {
    return DeviceCombo->currentData().toString().toStdString();
}

TLineParameters TPortSetup::Result() const {
    TLineParameters result;
    result.BaudIndex = BaudCombo->currentIndex();
    result.DataBitsIndex = DataBitsCombo->currentIndex();
    result.ParityIndex = ParityCombo->currentIndex();
    result.StopBitsIndex = StopBitsCombo->currentIndex();
    result.FlowIndex = FlowCtrlCombo->currentIndex();
    return result;
}

void TPortSetup::HelpButtonClick() {
    OpenHelpIndex("Vantro.Hlp", this);
}
