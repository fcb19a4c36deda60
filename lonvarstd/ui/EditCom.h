#pragma once
// Whether the COM ports take part in the device search (one box governs COM1 and COM2),
// and which of the system's serial devices each of them is.

#include <QDialog>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class TD;

class TFrmEditCom : public QDialog {
    Q_OBJECT
public:
    // Named FrmEditConfig, under which its texts are translated.
    explicit TFrmEditCom(QWidget* parent = nullptr);

    // The box, and a list per port: the standard device first, then the system's ports
    // (device, adapter, by-id name), and a stored device that is not attached now.
    void Load(const TD& d);
    // ShowCom1 and ShowCom2 both follow the one visible box; each port stores the chosen
    // device by its by-id name where it has one; saves the program INI file.
    void Store(TD& d) const;

    QLabel* Label1 = nullptr;
    QCheckBox* CBxCOM1 = nullptr;
    QCheckBox* CBxCOM2 = nullptr;  // hidden
    QLabel* LblCom1Device = nullptr;
    QComboBox* CbxCom1Device = nullptr;
    QLabel* LblCom2Device = nullptr;
    QComboBox* CbxCom2Device = nullptr;
    QPushButton* BtnOk = nullptr;
    QPushButton* Button1 = nullptr;
};

// Runs the COM dialog on the program's engine (D); the caller compares ShowCom1 and
// ShowCom2 before and after to decide on a new search.
void EditComPorts(QWidget* parent);
