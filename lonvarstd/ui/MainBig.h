#pragma once
// The large window: one panel per row of the engine's device list, with the
// device's port, name, type, value, line status, request kind and target. The
// status window creates it hidden, shows it on a double click (or Enter) and relays
// the engine's messages to its display operations. Closing it only hides it.

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <vector>

#include "ui/DevicePictures.h"
#include "ui/DialogCalls.h"
#include "ui/MainWindowLink.h"

class QAction;
class QKeyEvent;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QTimer;
class QTreeView;
class TD;
class TDXLed;
class TPanel;
class TSize;
class tDevice;
struct tDeviceListRow;
class tDeviceRowsModel;
class tPnlViewDevice;

class TFrmMainBig : public QMainWindow, public tMainWindowLink {
    Q_OBJECT
public:
    // `statusWindow` is the always-on-top status window: MitBeenden closes it, Enter on
    // it opens this window, and closing this window puts it back on top. It may be null.
    TFrmMainBig(TD& d, tMainBigDialogs dialogs, QWidget* statusWindow = nullptr,
                QWidget* parent = nullptr);
    ~TFrmMainBig() override;

    // --- what the status window calls (tMainWindowLink) ---
    // Searches (the first call is the program's first search) and draws every row.
    void BuildDeviceList() override;
    void ClearDeviceList(bool freePanels) override;
    // Each ignores a device index that no longer names a device, or whose device is not
    // the one its panel shows: a message posted before a re-search may arrive after it.
    void ShowValue(int devIdx) override;
    void ShowDeviceError(int devIdx, bool isError) override;
    void ShowDeviceState(int devIdx, int state) override;
    void ShowTimerCountdown(int devIdx) override;
    void SetKnownUsbCount(std::uint32_t count) override { FKnownUsbCount = count; }
    void SetSearchTimerEnabled(bool enabled) override;
    void ShowMainWindow() override;
    bool IsMainWindowVisible() const override { return isVisible(); }

    // --- panels ---
    const std::vector<tPnlViewDevice*>& Panels() const { return FPanels; }
    int CurrentPanel() const { return FCurrentPanel; }
    // Draws panel i from its device (a row without one shows its "?" caption).
    void ShowDevice(int panelIndex);
    // The request kind of a gauge's panel: key, switch, timer button or nothing.
    void ShowRequestInfo(int panelIndex);
    // Selects a panel (clamped into the list) and scrolls it into view.
    void SelectPanel(int index);
    const tDevicePictures& Pictures() const { return pictures_; }

    // --- commands (menu items, buttons, keys) ---
    void MItVorigerClick();
    void MItNaechsterClick();
    void BtnEdtitDeviceClick();
    void MItAnforderungClick();
    void SpBTimerClick(int panelIndex);
    void MItResetZyklusClick();
    void BtnRefreshClick();
    void MitSpracheClick();
    void MitComClick();
    void MItDateiClick();
    void MitInfoClick();
    void MitBeendenClick();
    void MItFensterschliessenClick();
    void BtnExcelStartClick();
    // The 200 ms tick: blinks LedUSB and searches again when the cable count changed;
    // waits while a modal dialog is open and catches up after it.
    void TimerSrchDevicesTimer();

    // --- components, named after their components ---
    TPanel* PnlHeaders = nullptr;
    TDXLed* LedUSB = nullptr;
    QLabel* LblUSB = nullptr;
    QLabel* LblUSBTxt1 = nullptr;
    QLabel* LblUSBTxtX = nullptr;
    QLabel* Label3 = nullptr;  // name
    QLabel* Label4 = nullptr;  // type, connection
    QLabel* Label6 = nullptr;  // value
    QLabel* Label5 = nullptr;  // status
    QLabel* Label1 = nullptr;  // request
    QLabel* Label7 = nullptr;  // target
    QPushButton* BtnExcelStart = nullptr;
    QScrollArea* ScrollBox = nullptr;
    QWidget* PnlList = nullptr;
    QTreeView* ListView = nullptr;
    tPnlViewDevice* PnlViewDevice = nullptr;  // the hidden template
    QTimer* TimerSrchDevices = nullptr;

    QMenu* MItProgramm = nullptr;
    QAction* MItFensterschliessen = nullptr;
    QAction* MitBeenden = nullptr;
    QMenu* MitTeilnehmer = nullptr;
    QAction* MItResetZyklus = nullptr;
    QAction* MItVoriger = nullptr;
    QAction* MItNaechster = nullptr;
    QAction* MItEditieren = nullptr;
    QAction* MItAnforderung = nullptr;
    QAction* MItRefresh = nullptr;
    QMenu* MItEinstellungen = nullptr;
    QAction* MitSprache_ = nullptr;
    QAction* MitCom = nullptr;
    QAction* MitDesktopShortcuts = nullptr;
    QAction* MItDatei = nullptr;
    QAction* MitLoadConfig = nullptr;
    QAction* MitSaveConfig = nullptr;
    QAction* MitSaveConfigAs = nullptr;
    QAction* MitEinstStrich1 = nullptr;
    QMenu* MItQuest = nullptr;
    QAction* MitInfo = nullptr;
    QAction* MitWebOskel = nullptr;

    // Cable count of the last search, which the search timer compares against.
    std::uint32_t FKnownUsbCount = 0;

protected:
    // HandleMessage: the program's key presses, once each (see the .cpp).
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateHeader(QWidget* central);
    void CreateMenu();
    void CreateDevicePanel();
    // BuildDeviceList past the search: the rows as the last search left them.
    void ShowDeviceRows();
    void HandleKey(const QKeyEvent& key);
    // The device a panel shows, null when it has none or its record is gone.
    tDevice* DeviceOf(int panelIndex) const;
    // The device at `devIdx` of the current search, null for an index that is not.
    tDevice* CurrentDevice(int devIdx) const;
    // The panel and the row of device `devIdx`, null when the index is stale or they
    // show another device.
    tPnlViewDevice* PanelOfDevice(int devIdx) const;
    tDeviceListRow* RowOfDevice(int devIdx) const;
    void ShowDeviceOnAllPanels();
    void ShowDest(tPnlViewDevice& panel, const tDevice& dev);
    void RowChanged(int row);
    void StorePlacement();

    TD& d_;
    tMainBigDialogs dialogs_;
    QPointer<QWidget> statusWindow_;
    std::unique_ptr<TSize> size_;
    tDeviceRowsModel* rowsModel_ = nullptr;
    QWidget* panelHost_ = nullptr;  // inside ScrollBox
    tDevicePictures pictures_;

    std::int64_t FLastBlink = 0;
    int FCurrentPanel = 0;
    std::vector<tPnlViewDevice*> FPanels;  // owned by panelHost_, in row order
    bool shownOnce_ = false;
    bool inSearchTick_ = false;
};
