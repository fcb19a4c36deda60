#pragma once
// Whether the COM ports take part in the device search: one box governs COM1 and COM2.

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class TD;

class TFrmEditCom : public QDialog {
    Q_OBJECT
public:
    // Named FrmEditConfig, under which its texts are translated.
    explicit TFrmEditCom(QWidget* parent = nullptr);

    void Load(const TD& d);
    // ShowCom1 and ShowCom2 both follow the one visible box; saves the program INI file.
    void Store(TD& d) const;

    QLabel* Label1 = nullptr;
    QCheckBox* CBxCOM1 = nullptr;
    QCheckBox* CBxCOM2 = nullptr;  // hidden
    QPushButton* BtnOk = nullptr;
    QPushButton* Button1 = nullptr;
};

// Runs the COM dialog on the program's engine (D); the caller compares ShowCom1 and
// ShowCom2 before and after to decide on a new search.
void EditComPorts(QWidget* parent);
