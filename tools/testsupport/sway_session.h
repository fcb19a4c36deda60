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

// What the compositor sessions share: the compositor test user, a fresh folder under /tmp
// holding HOME (0755) and XDG_RUNTIME_DIR (0700) that are the user's (removed with all in it
// at the end), and clients started as that user with the session's environment.
class TCompositorSession {
public:
    virtual ~TCompositorSession();
    TCompositorSession(const TCompositorSession&) = delete;
    TCompositorSession& operator=(const TCompositorSession&) = delete;

    const std::string& Home() const { return Home_; }
    const std::string& RuntimeDir() const { return RuntimeDir_; }
    const TRunAs& User() const { return User_; }
    virtual std::map<std::string, std::string> Environment() const = 0;

    // A client of the compositor, as the session's user, with Environment() plus `extra`.
    std::unique_ptr<TChildProcess> Start(const std::string& program,
                                         const std::vector<std::string>& arguments,
                                         const std::map<std::string, std::string>& extra = {});
    // Hands a file (a pty the session's programs open) to the session's user.
    bool GiveToUser(const std::string& path) const;

protected:
    TCompositorSession() = default;
    // The user and the folders, under /tmp/tavrix-<name>-*; false where they cannot be made.
    bool MakeUserAndFolders(const std::string& name);
    const std::string& Root() const { return Root_; }

private:
    TRunAs User_;
    std::string Root_;
    std::string Home_;
    std::string RuntimeDir_;
};

class TSwaySession : public TCompositorSession {
public:
    // configLines: sway config lines after the session's own (headless output 1280x800),
    // e.g. "input type:keyboard xkb_layout de" or "bindsym F9 exec ...".
    explicit TSwaySession(const std::vector<std::string>& configLines);
    ~TSwaySession() override;

    // True once the compositor accepts clients.
    bool Running() const { return !WaylandDisplay_.empty(); }
    const std::string& WaylandDisplay() const { return WaylandDisplay_; }
    // HOME, XDG_RUNTIME_DIR, WAYLAND_DISPLAY, SWAYSOCK, an empty DISPLAY (no X server).
    std::map<std::string, std::string> Environment() const override;

    // Runs swaymsg with the arguments and returns its exit code (nullopt: it hung).
    std::optional<int> Swaymsg(const std::vector<std::string>& arguments);

private:
    std::string WaylandDisplay_;
    std::string SwaySocket_;
    std::unique_ptr<TChildProcess> Sway_;
};
