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

}  // namespace

TPortSetup::TPortSetup(const TLineParameters& current, QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("PortSetup"));
    setWindowTitle(QStringLiteral("Vantro Serial Port Settings"));

    auto* grid = new QGridLayout;
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
