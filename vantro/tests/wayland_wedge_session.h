#pragma once
// The Vantro program on a headless sway of the test's own: a gauge on a pty, a native
// Wayland window that records the keys it receives (tools/testsupport/wayland_key_window), and the
// wedge started with stored settings. Used by the Wayland tests and the benchmark.

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"
#include "pty_gauge.h"
#include "sway_session.h"

struct TReceivedKey {
    long long AtNs = 0;  // CLOCK_MONOTONIC
    std::string Text;    // a character, or a named key in braces
};

class TWaylandWedgeSession {
public:
    // keyboardLayout: set on the compositor's keyboards ("us", "de"); extraConfig: more
    // sway config lines.
    TWaylandWedgeSession(const std::string& keyboardLayout,
                         const std::vector<std::string>& extraConfig = {});
    ~TWaylandWedgeSession();

    bool Ready() const { return Sway_ && Sway_->Running() && KeyWindow_ != nullptr; }
    TSwaySession& Sway() { return *Sway_; }
    TPtyGauge& Gauge() { return Gauge_; }

    // Starts the wedge with these stored settings lines ("ComPort=1\nPostamble=1\n") and
    // waits until its port is open, then gives the focus back to the key window.
    bool StartWedge(const std::string& settings);
    // Closes the wedge's window as a user does; its exit code (nullopt: it hung or crashed).
    std::optional<int> StopWedge();
    // Runs `Vantro <arguments>` as the session's user; its exit code.
    std::optional<int> RunWedgeCommand(const std::vector<std::string>& arguments);
    // Why the last start failed, and what the wedge and its commands wrote.
    std::string WedgeOutput() const;

    // Keys received since the last call to Take.
    std::vector<TReceivedKey> Received();
    std::string ReceivedText();
    // Waits until the keys received since the last Take end with `ending`; returns them.
    std::string TakeUntil(const std::string& ending, std::chrono::milliseconds timeout);

private:
    bool WaitFor(const std::vector<std::string>& criteria, std::chrono::milliseconds timeout);
    std::string Path(const std::string& name) const;

    std::unique_ptr<TSwaySession> Sway_;
    TPtyGauge Gauge_;
    std::unique_ptr<TChildProcess> KeyWindow_;
    std::unique_ptr<TChildProcess> Wedge_;
    std::string Problem_;       // why the last start failed
    std::size_t KeysRead_ = 0;  // bytes of the key file already taken
};
