#pragma once
// A sway compositor on its headless back end for one test, and the programs of the test
// as its clients. Compositors refuse to run as root: run as root, the session and every
// program started through it run as the unprivileged user "tavrixway" (made when
// missing), with a runtime folder of its own; run as anyone else, as that user.

#include <sys/types.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A program of the session's user; ended (SIGTERM, then SIGKILL) when the object goes,
// and by the kernel when the test program ends.
class tSessionProcess {
public:
    tSessionProcess(pid_t pid) : pid_(pid) {}
    ~tSessionProcess();
    tSessionProcess(const tSessionProcess&) = delete;
    tSessionProcess& operator=(const tSessionProcess&) = delete;

    bool Running();
    // Exit code once it ended within the time-out (nullopt: still running, or a signal).
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout);

private:
    pid_t pid_;
    bool reaped_ = false;
    int status_ = 0;
};

class tSwaySession {
public:
    // `folder`: the test's own folder, given to the session's user; the config gets an
    // output of 1280x800 and then `configLines`.
    tSwaySession(const std::string& folder, const std::string& configLines);
    ~tSwaySession();
    tSwaySession(const tSwaySession&) = delete;
    tSwaySession& operator=(const tSwaySession&) = delete;

    // The compositor answers on its Wayland socket.
    bool Running() const { return running_; }
    std::string Log() const;

    // Starts `argv` as a client of the session; its output (stdout and stderr) goes to
    // `outFile` ("" = /dev/null). `environment` adds to the session's own.
    std::unique_ptr<tSessionProcess> Start(
        const std::vector<std::string>& argv, const std::string& outFile = "",
        const std::map<std::string, std::string>& environment = {});
    // Runs `argv` to its end (at most `timeout`); its output lands in `output`.
    std::optional<int> Run(const std::vector<std::string>& argv, std::string& output,
                           std::chrono::milliseconds timeout = std::chrono::seconds(20));

    // XDG_RUNTIME_DIR, WAYLAND_DISPLAY, SWAYSOCK, XDG_SESSION_TYPE, HOME, PATH.
    const std::map<std::string, std::string>& Environment() const { return env_; }

private:
    std::string folder_;
    uid_t uid_;
    gid_t gid_;
    std::map<std::string, std::string> env_;
    std::unique_ptr<tSessionProcess> sway_;
    bool running_ = false;
    int runs_ = 0;
};
