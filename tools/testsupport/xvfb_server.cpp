#include "xvfb_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "spawn_tied.h"

extern char** environ;

TXvfbServer::TXvfbServer() {
    int fds[2];
    if (pipe(fds) != 0) return;
    const std::string fd = std::to_string(fds[1]);
    const char* argv[] = {"Xvfb",      "-displayfd", fd.c_str(), "-screen",   "0",    "1024x768x24",
                          "-nolisten", "tcp",        "-noreset", "-nocursor", nullptr};
    // Xvfb's own messages (each display number it finds taken) are noise here.
    Pid_ = SpawnTiedToParent(const_cast<char* const*>(argv), environ, fds[0], true);
    close(fds[1]);
    if (Pid_ <= 0) {
        close(fds[0]);
        return;
    }
    // Xvfb writes the display number once it is ready for clients.
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd in{fds[0], POLLIN, 0};
        if (poll(&in, 1, 200) <= 0) continue;
        char c = 0;
        if (read(fds[0], &c, 1) != 1) break;
        if (c == '\n') {
            Display_ = ":" + number;
            break;
        }
        number += c;
    }
    close(fds[0]);
}

TXvfbServer::~TXvfbServer() {
    if (Pid_ <= 0) return;
    kill(Pid_, SIGTERM);
    int status = 0;
    waitpid(Pid_, &status, 0);
}
