#pragma once
// The dialogs the main window opens, each as one call. The main window holds them
// as hooks (tMainBigDialogs) so it builds and is tested without the real dialogs;
// the program wires the real ones.

#include <functional>

class QWidget;
class tDevice;
class tDevicePictures;

// What the device dialog reports besides writing the record's fields on OK.
struct tEditDeviceResult {
    bool Ok = false;
    // A COM port device whose description the user changed: the new index into
    // Rs232Descrs, -1 when unchanged. The dialog does not apply it: the main window
    // stops the worker, applies it, and reopens and restarts the device.
    int NewRs232DescrIdx = -1;
};

struct tMainBigDialogs {
    // `pictures`: the main window's, whose positions the engine's descriptions hold.
    std::function<tEditDeviceResult(QWidget* parent, tDevice& device,
                                    const tDevicePictures& pictures)>
        EditDevice;
    std::function<bool(QWidget* parent)> EditExcelGlobal;  // true when confirmed
    std::function<void(QWidget* parent)> EditComPorts;
    std::function<void(QWidget* parent)> ShowInfo;
    std::function<bool(QWidget* parent)> ChooseLanguage;  // true when confirmed
    // The desktop's own shortcuts for the request keys; empty: no menu item.
    std::function<void(QWidget* parent)> DesktopShortcuts;
};

// The real dialogs (the device, spreadsheet, COM port, info and language dialogs).
tMainBigDialogs RealMainBigDialogs();
