#pragma once
// A headless KWin of the test's own with the desktop's real portals: the compositor on
// its virtual back end inside a session bus of its own, run as the unprivileged compositor
// test user (see sway_session.h) with a fresh HOME; the bus starts xdg-desktop-portal and
// its KDE back end on demand, and they find the compositor. Clients started through Start()
// run as the same user on that bus and compositor. The destructor stops the compositor by
// PID, which ends the session bus and what it started.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"
#include "sway_session.h"

class TKWinSession : public TCompositorSession {
public:
    // keyboardLayout: the layout KWin's keyboards use ("us", "de").
    explicit TKWinSession(const std::string& keyboardLayout);
    ~TKWinSession() override;

    // True once the compositor accepts clients and the portal answers.
    bool Running() const { return Running_; }
    // Why the session did not come up.
    const std::string& Problem() const { return Problem_; }
    std::map<std::string, std::string> Environment() const override;

    // Runs a command as the session's user; its exit code (nullopt: it hung).
    std::optional<int> Run(const std::string& program, const std::vector<std::string>& arguments);

private:
    std::string BusAddress_;
    std::string Problem_;
    bool Running_ = false;
    std::unique_ptr<TChildProcess> Session_;
};
