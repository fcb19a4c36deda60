#pragma once
// Watches which ways request keys come in and tells the user: the status window's hint
// and a terminal line name the ways, and a request key in use that nothing watches in
// other programs is told once in a message, with the command to bind it to.

#include <QObject>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "shell/keyWays.h"

class TD;
class tGlobalShortcuts;

// The request keys of the configured instruments, each once, in key order.
std::vector<std::uint16_t> RequestKeysInUse(const TD& d);

class tKeyWatch : public QObject {
    Q_OBJECT
public:
    // `statusWindow` shows the hint and gets the portal's keys as key messages;
    // `hook`: the keyboard hook is installed. On a Wayland session the desktop's portal
    // binds the keys in use.
    tKeyWatch(TD& d, QWidget* statusWindow, bool hook);
    ~tKeyWatch() override;

    const tKeyWays& Ways() const { return ways_; }
    const std::vector<std::uint16_t>& Keys() const { return keys_; }
    // The ways as the hint says them, translated.
    QString HintText() const;

    // The portal's answer for the keys (from the portal client).
    void SetPortalState(tPortalState state);
    void SetDesktopShortcuts(bool set);
    // Looks at the keys in use again; the search and the device dialog change them.
    void CheckKeys();

signals:
    // The request keys in use changed (also once at the start).
    void KeysChanged(const std::vector<std::uint16_t>& keys);

private:
    void Show();
    void TellUnwatchedOnce();

    TD& d_;
    QWidget* statusWindow_;
    tKeyWays ways_;
    std::vector<std::uint16_t> keys_;
    std::unique_ptr<tGlobalShortcuts> portal_;
    QTimer keyCheck_;
    std::string lastLine_;
    bool gnome_ = false;  // GNOME's shortcuts can be ours
    bool told_ = false;
    bool checkedOnce_ = false;
};
