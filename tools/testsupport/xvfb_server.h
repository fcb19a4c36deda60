#pragma once
// A virtual X server of the test's own, on a display number it picks itself.

#include <sys/types.h>

#include <string>

class TXvfbServer {
public:
    TXvfbServer();  // starts Xvfb and waits until it accepts clients
    ~TXvfbServer();
    TXvfbServer(const TXvfbServer&) = delete;
    TXvfbServer& operator=(const TXvfbServer&) = delete;

    bool Running() const { return !Display_.empty(); }
    const std::string& Display() const { return Display_; }  // ":N"

private:
    pid_t Pid_ = -1;
    std::string Display_;
};
