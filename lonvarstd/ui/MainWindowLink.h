#pragma once
// What the status window needs of the main window. The main window implements it;
// tests of the status window use a small stand-in.

#include <cstdint>

class tMainWindowLink {
public:
    virtual ~tMainWindowLink() = default;

    // Runs the device search and draws every row.
    virtual void BuildDeviceList() = 0;
    // Resets the devices (workers stopped, ports closed, settings kept in "TVC.TMP");
    // with `freePanels` also removes every panel.
    virtual void ClearDeviceList(bool freePanels) = 0;
    // The engine's messages, relayed by the status window; each ignores an index that
    // no longer names a device.
    virtual void ShowValue(int devIdx) = 0;                      // 1024
    virtual void ShowDeviceError(int devIdx, bool isError) = 0;  // 1026
    virtual void ShowDeviceState(int devIdx, int state) = 0;     // 1027
    virtual void ShowTimerCountdown(int devIdx) = 0;             // 1028
    // The number of USB cables of the last search, against which the search timer
    // compares.
    virtual void SetKnownUsbCount(std::uint32_t count) = 0;
    virtual void SetSearchTimerEnabled(bool enabled) = 0;
    // Shows the window (the status window's double click, or Enter on it).
    virtual void ShowMainWindow() = 0;
    // The window is shown now.
    virtual bool IsMainWindowVisible() const = 0;
};
