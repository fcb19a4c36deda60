#pragma once
// A headless sway of the test's own, run as an unprivileged user (sway refuses root, and CI
// runs as root): a fresh HOME and XDG_RUNTIME_DIR for that user, the compositor started with
// the headless back end and a config of the test's, the test waiting until its socket is
// there. Clients started through Start() run as the same user with WAYLAND_DISPLAY and
// SWAYSOCK set. The destructor stops every process it started, by PID.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"

// The user that compositor tests run as: when the test runs as root, the system user
// "tavrixtest" (made on first use); otherwise the test's own user.
std::optional<TRunAs> CompositorTestUser();

// Makes the folder (and its parents) with the mode, owned by the user when run as root.
bool MakeFolderOwnedBy(const std::string& path, unsigned mode, const TRunAs& user);

class TSwaySession {
public:
    // configLines: sway config lines after the session's own (headless output 1280x800),
    // e.g. "input type:keyboard xkb_layout de" or "bindsym F9 exec ...".
    explicit TSwaySession(const std::vector<std::string>& configLines);
    ~TSwaySession();
    TSwaySession(const TSwaySession&) = delete;
    TSwaySession& operator=(const TSwaySession&) = delete;

    // True once the compositor accepts clients.
    bool Running() const { return !WaylandDisplay_.empty(); }
    const std::string& WaylandDisplay() const { return WaylandDisplay_; }
    const std::string& Home() const { return Home_; }
    const std::string& RuntimeDir() const { return RuntimeDir_; }
    const TRunAs& User() const { return User_; }
    // HOME, XDG_RUNTIME_DIR, WAYLAND_DISPLAY, SWAYSOCK, an empty DISPLAY (no X server).
    std::map<std::string, std::string> Environment() const;

    // A client of the compositor, as the session's user, with Environment() plus `extra`.
    std::unique_ptr<TChildProcess> Start(const std::string& program,
                                         const std::vector<std::string>& arguments,
                                         const std::map<std::string, std::string>& extra = {});
    // Runs swaymsg with the arguments and returns its exit code (nullopt: it hung).
    std::optional<int> Swaymsg(const std::vector<std::string>& arguments);
    // Hands a file (a pty the session's programs open) to the session's user.
    bool GiveToUser(const std::string& path) const;

private:
    TRunAs User_;
    std::string Root_;  // temporary folder holding HOME and the runtime folder
    std::string Home_;
    std::string RuntimeDir_;
    std::string WaylandDisplay_;
    std::string SwaySocket_;
    std::unique_ptr<TChildProcess> Sway_;
};
