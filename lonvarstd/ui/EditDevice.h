#pragma once
// The device settings dialog: name, type, request and target of one device record,
// and the cycle of a switch cable. It copies the record into its controls when it
// opens and writes them back only on OK; a change of a COM port device's description
// is reported to the caller, which applies it while the device's worker is stopped.

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

#include "engine/deviceDescr.h"
#include "ui/DevicePictures.h"
#include "ui/DialogCalls.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class TD;
class TImage;
class TPanel;
class tDevice;

class TFrmEditDevice : public QDialog {
    Q_OBJECT
public:
    // Translates the form; the pictures come from the layout's data folders ("UDEVICES/", switch
    // pictures).
    explicit TFrmEditDevice(QWidget* parent = nullptr);
    ~TFrmEditDevice() override;

    // Fills the controls from `device`, shows the dialog modally and, on OK, stores
    // the controls into the record and the chosen start folders into the program INI
    // file. Cancel leaves the record and every file as they were.
    tEditDeviceResult Execute(tDevice& device);
    // Shows `pictures` (and the picture positions the engine's descriptions hold) instead
    // of loading its own; they must outlive the dialog.
    void UsePictures(const tDevicePictures& pictures) { shared_ = &pictures; }

    // The two halves of Execute, for callers that show the dialog themselves.
    void SetDevice(tDevice& device);
    // Stores the controls into the record (the OK path); returns what to report.
    tEditDeviceResult StoreDevice();

    // Identity.
    TPanel* PnlDeviceDescription = nullptr;
    TImage* Image = nullptr;
    QLabel* LblDevice = nullptr;
    QLabel* Label10 = nullptr;
    QComboBox* CBxDeviceDescription = nullptr;
    QLabel* LblDeviceDescription = nullptr;
    QLabel* Label14 = nullptr;
    QComboBox* CBxDeviceType = nullptr;
    QLabel* LblDeviceType = nullptr;
    QLabel* Label15 = nullptr;
    QLineEdit* EdtdeviceName = nullptr;
    QLabel* LblSerNrTitle = nullptr;
    QLabel* LblSerNr = nullptr;
    TPanel* PnlDeviceType = nullptr;
    TImage* ImgDeviceType = nullptr;
    // Switch cable.
    TPanel* PnlSchalter = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* EdtSchalterCycleCount = nullptr;
    QLabel* Label13 = nullptr;
    QLineEdit* EdtSchalterCycleIdx = nullptr;
    // Gauge: request.
    TPanel* PnlMessgeraet = nullptr;
    TPanel* PnlAnforder = nullptr;
    QLabel* Label11 = nullptr;
    QComboBox* CBxAnforderType = nullptr;
    QComboBox* CBxAnforderTasteKeyb = nullptr;
    QComboBox* CBxAnforderTasteTVI = nullptr;
    QLineEdit* EdtAnforderTimer = nullptr;
    TPanel* PnlAnforderCycle = nullptr;
    QRadioButton* RBtAnforderCycleEvery = nullptr;
    QRadioButton* RBtAnforderCycleNumber = nullptr;
    QLineEdit* EdtAnforderCycleIdx = nullptr;
    // Gauge: target.
    TPanel* PnlZiel = nullptr;
    QLabel* LblZiel = nullptr;
    QComboBox* CBxZielAppl = nullptr;
    QGroupBox* GBxTxt = nullptr;
    QLabel* Label9 = nullptr;
    QPushButton* BtnTxtZielFile = nullptr;
    QLineEdit* EdtTxtZielFile = nullptr;
    QGroupBox* GBxExcel = nullptr;
    QLabel* Label12 = nullptr;
    QRadioButton* RBtXlsZielVorlage = nullptr;
    QPushButton* BtnXlsZielVorlage = nullptr;
    QLineEdit* EdtXlsZielVorlage = nullptr;
    QRadioButton* RBtXlsZielFile = nullptr;
    QPushButton* BtnXlsZielFile = nullptr;
    QLineEdit* EdtXlsZielFile = nullptr;
    TPanel* PnlXlsGlobal = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* EdtXlsZieltable = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* EdtXlsZielCol = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* EdtXlsZielStartRow = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* EdtXlsZielActRow = nullptr;
    // Buttons and helpers.
    QPushButton* BtnOk = nullptr;
    QPushButton* Button1 = nullptr;
    QTimer* TmrBlink = nullptr;

    // Handlers (public so that tests can run them as the events would).
    void CBxDeviceDescrChange();
    void CBxDeviceTypeChange();
    void CBxAnforderTypeChange();
    void CBxZielApplChange();
    void RBtXlsZielFileClick();
    void BtnXlsZielVorlageClick();
    void BtnXlsZielFileClick();
    void BtnTxtZielFileClick();
    void EdtdeviceNameExit();
    void EdtXlsNumExit(QLineEdit* edit);
    void TmrBlinkTimer();

    // The switch cables offered in CBxAnforderTasteTVI, by GetId, parallel to its items.
    const std::vector<std::string>& SwitchIds() const { return switchIds_; }

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildIdentity();
    void BuildSwitchPanel();
    void BuildRequestPanel();
    void BuildTargetPanel();
    void LoadPictures(const TD& d);
    const std::vector<int>& ImageIdxOf(const tDeviceDescr* descr) const;
    void FillTypeList(const tDeviceDescr* descr);
    void SelectTypeName(const QString& typeName);
    void ShowKind(std::uint8_t kind);
    QString ChooseXlsFile(bool vorlage, const QString& startFolder);

    tDevice* device_ = nullptr;
    const tDeviceDescr* description_ = nullptr;  // the description chosen in the dialog
    std::uint8_t kind_ = DescrKindUndef;
    QString typeName_;
    int requestType_ = 0;
    std::vector<std::string> switchIds_;
    // The pictures and, for copies of the engine's descriptions, their picture
    // positions: the dialog never writes into the descriptions the workers read.
    tDevicePictures ownPictures_;
    // The pictures shown: the caller's (the main window's, so that both offer the same
    // types), else the dialog's own.
    const tDevicePictures* shared_ = nullptr;
    const tDevicePictures& Pictures() const { return shared_ ? *shared_ : ownPictures_; }
    tDeviceDescrList usbDescrs_;
    tDeviceDescrList rs232Descrs_;
    // What loading showed, to tell an untouched control from a changed one.
    QString loadedTypeText_;
    QString loadedTimerText_;
    // Start folders of the three file dialogs, and the files really chosen in them.
    QString vorlageStartDir_;
    QString xlsFileStartDir_;
    QString txtStartDir_;
    QString chosenVorlage_;
    QString chosenXlsFile_;
    QString chosenTxtFile_;
    QString lastCheckedName_;
    bool checkingName_ = false;
};

// Runs the device settings dialog for `device` (see TFrmEditDevice::Execute).
tEditDeviceResult EditDevice(QWidget* parent, tDevice& device, const tDevicePictures& pictures);
