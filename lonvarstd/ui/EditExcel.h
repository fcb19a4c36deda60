#pragma once
// The global spreadsheet target: when switched on, every device writes into this one
// template or workbook instead of its own.

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TD;

class TFrmEditExcel : public QDialog {
    Q_OBJECT
public:
    explicit TFrmEditExcel(QWidget* parent = nullptr);

    // Fills the controls from the engine's global target.
    void Load(const TD& d);
    // Writes the controls back and saves the program INI file (the OK path).
    void Store(TD& d) const;

    QCheckBox* CBxXlsGlobSlct = nullptr;
    QLabel* Label1 = nullptr;
    QRadioButton* RBtXlsGlobVorlage = nullptr;
    QPushButton* BtnXlsGlobVorlage = nullptr;
    QLineEdit* EdtXlsGlobVorlage = nullptr;
    QLabel* Label2 = nullptr;
    QRadioButton* RBtXlsGlobFile = nullptr;
    QPushButton* BtnXlsGlobFile = nullptr;
    QLineEdit* EdtXlsGlobFile = nullptr;
    QPushButton* BtnOk = nullptr;
    QPushButton* Button1 = nullptr;

    void RBtXlsGlobFileClick();
    // The file questions; a chosen name goes into the edit. The start folders of the
    // program stay as they are.
    void BtnXlsGlobVorlageClick();
    void BtnXlsGlobFileClick();

private:
    QString vorlageStartDir_;
    QString fileStartDir_;
};

// Runs the spreadsheet dialog on the program's engine (D); true when confirmed with
// OK, which writes the global target and saves the program INI file.
bool EditExcelGlobal(QWidget* parent);
