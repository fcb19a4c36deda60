#pragma once
// The port parameters dialog: baud rate, data bits, parity, stop bits and flow control.

#include <QDialog>

#include "line_parameters.h"

class QComboBox;
class QPushButton;

class TPortSetup : public QDialog {
    Q_OBJECT
public:
    // Places itself 800 twips left of and 340 twips below the owner's top-left corner.
    TPortSetup(const TLineParameters& current, QWidget* owner);

    // The list positions chosen; valid after OK.
    TLineParameters Result() const;

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
