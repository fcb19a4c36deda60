#include "shell/requestCommand.h"

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "engine/dataModule.h"

namespace {

// The instance answers from its main thread, which a spreadsheet call may hold for a
// while; longer than this and the user is told it did not answer.
constexpr int kAnswerSeconds = 3;
constexpr std::size_t kMaxAnswer = 128;

std::string Upper(std::string text) {
    for (char& ch : text) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return text;
}

// Closes the descriptor on every way out.
struct tSocket {
    int fd;
    ~tSocket() {
        if (fd >= 0) close(fd);
    }
};

}  // namespace

std::uint16_t RequestKeyCode(const std::string& name) {
    return TD::KeyNameToCode(Upper(name));
}

std::string RequestKeyName(std::uint16_t keyCode) {
    for (int n = 1; TD::KeyNameToCode("F" + std::to_string(n)) != 0; ++n) {
        if (TD::KeyNameToCode("F" + std::to_string(n)) == keyCode) return "F" + std::to_string(n);
    }
    return "";
}

std::string RequestKeyNames() {
    std::string names;
    for (int n = 1; TD::KeyNameToCode("F" + std::to_string(n)) != 0; ++n) {
        if (!names.empty()) names += ", ";
        names += "F" + std::to_string(n);
    }
    return names;
}

bool IsRequestCommand(const std::vector<std::string>& parameters, std::string& key) {
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        if (parameters[i] != "--request") continue;
        key = i + 1 < parameters.size() ? parameters[i + 1] : "";
        return true;
    }
    return false;
}

tRequestExit SendKeyRequest(const std::string& socketPath, const std::string& key,
                            std::string& message) {
    const std::uint16_t code = RequestKeyCode(key);
    if (code == 0) {
        message = "\"" + key + "\" is not a request key; valid keys: " + RequestKeyNames();
        return RequestBadKey;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) {
        message = "LonvarStd is not running (socket path too long: " + socketPath + ")";
        return RequestNoInstance;
    }
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const tSocket s{socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)};
    if (s.fd < 0) {
        message = std::string("no socket: ") + std::strerror(errno);
        return RequestNotTaken;
    }
    // Also bounds the connect: a full queue of a busy instance makes it wait.
    const timeval limit{kAnswerSeconds, 0};
    setsockopt(s.fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(s.fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    if (connect(s.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno == ENOENT || errno == ECONNREFUSED) {
            message = "LonvarStd is not running; nothing requested";
            return RequestNoInstance;
        }
        message = "LonvarStd did not take the request: " + std::string(std::strerror(errno));
        return RequestNotTaken;
    }
    const std::string line = "request " + Upper(key) + "\n";
    if (send(s.fd, line.data(), line.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(line.size())) {
        message = "LonvarStd did not take the request: " + std::string(std::strerror(errno));
        return RequestNotTaken;
    }
    std::string answer;
    char buffer[kMaxAnswer];
    while (answer.find('\n') == std::string::npos && answer.size() < kMaxAnswer) {
        const ssize_t got = recv(s.fd, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        answer.append(buffer, static_cast<std::size_t>(got));
    }
    answer = answer.substr(0, answer.find('\n'));
    if (answer == "ok") {
        message.clear();
        return RequestTaken;
    }
    message = answer.empty() ? "LonvarStd did not answer; the request may be lost"
                             : "LonvarStd did not take " + Upper(key) + ": " + answer;
    return RequestNotTaken;
}
