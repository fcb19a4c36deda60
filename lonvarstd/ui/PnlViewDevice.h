#pragma once
// One row of the main window: a device's port, name, type, connection, value,
// line status, request kind and target. The form keeps one hidden template,
// PnlViewDevice, with the controls at their design places; every shown panel is
// made of run-time copies of it.

#include "ui/Panel.h"

class QLabel;
class TDXLed;
class TImage;
class TSpeedButton;

class tPnlViewDevice : public TPanel {
    Q_OBJECT
public:
    // The template: the controls themselves, named after their components.
    static tPnlViewDevice* CreateTemplate(QWidget* parent);
    // A panel of copies of `templ`'s controls, at position `panelIndex` of the form's list.
    tPnlViewDevice(QWidget* owner, const tPnlViewDevice& templ, int panelIndex);

    // Position in the form's list of panels; -1 for the template.
    const int PanelIndex;
    // Index of the shown device in the engine's Devices, negative when the row has none.
    int DeviceIndex = -1;

    TDXLed* LedState = nullptr;
    QLabel* LblDevice = nullptr;
    TDXLed* LedErrState = nullptr;
    QLabel* LblName = nullptr;
    QLabel* LblTyp = nullptr;
    QLabel* LblIntf = nullptr;
    QLabel* LblState = nullptr;
    TPanel* PnlMw = nullptr;
    QLabel* LblAnforder = nullptr;
    QLabel* LblBetaetigung = nullptr;
    QLabel* LblDest = nullptr;
    TImage* ImgIntfType = nullptr;
    TPanel* PnlDeviceType = nullptr;
    TImage* ImgDeviceType = nullptr;  // inside PnlDeviceType
    TSpeedButton* SpBTimer = nullptr;
    QLabel* LblTimer = nullptr;
    QLabel* LblTime = nullptr;

signals:
    // A click on the panel or any of its controls (a double click on the timer button).
    void Selected(int panelIndex);
    // A double click on the panel or any control but the timer button.
    void EditRequested(int panelIndex);
    // The timer button was clicked; its new state is SpBTimer->Down().
    void TimerClicked(int panelIndex);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit tPnlViewDevice(QWidget* parent);
    void WatchClicks();
};
