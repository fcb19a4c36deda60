#pragma once
// The port parameters dialog: baud rate, data bits, parity, stop bits and flow control.

#include <QDialog>
#include <string>
#include <vector>

#include "line_parameters.h"
#include "system_ports.h"

// The device behind the selected COM port, offered for a choice in the dialog.
struct TPortDeviceChoice {
    int ComNumber = 0;   // 0: no port selected, nothing to choose
    std::string Stored;  // the user's choice so far; empty: the system's numbering decides
    std::vector<serial_ports::SystemPort> Ports;
};

class QComboBox;
class QPushButton;

class TPortSetup : public QDialog {
    Q_OBJECT
public:
    // Places itself 800 twips left of and 340 twips below the owner's top-left corner.
    TPortSetup(const TLineParameters& current, QWidget* owner,
               const TPortDeviceChoice& device = {});

    // The list positions chosen; valid after OK.
    TLineParameters Result() const;
    // The device chosen for the port: its by-id name where it has one; empty for the
    // system's numbering.
    std::string DeviceResult() const;

    QComboBox* DeviceCombo = nullptr;
    QComboBox* BaudCombo = nullptr;
    QComboBox* DataBitsCombo = nullptr;
    QComboBox* ParityCombo = nullptr;
    QComboBox* StopBitsCombo = nullptr;
    QComboBox* FlowCtrlCombo = nullptr;
    QPushButton* OK_Button = nullptr;
    QPushButton* Cancel_Button = nullptr;
    QPushButton* HelpButton = nullptr;

private:
    void HelpButtonClick();
};
