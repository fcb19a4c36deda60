#include "bench/bench_link.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace tavrix::bench {

namespace {

std::int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::unique_ptr<BenchLink> BenchLink::connect(const std::string& socketPath) {
    sockaddr_un addr{};
    if (socketPath.empty() || socketPath.size() >= sizeof(addr.sun_path)) return nullptr;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, socketPath.data(), socketPath.size());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<BenchLink>(new BenchLink(fd));
}

BenchLink::~BenchLink() {
    kill();
}

void BenchLink::kill() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool BenchLink::readLine(std::string& line, std::int64_t deadlineMs) {
    for (;;) {
        std::size_t nl = pending_.find('\n');
        if (nl != std::string::npos) {
            line = pending_.substr(0, nl);
            pending_.erase(0, nl + 1);
            return true;
        }
        int waitMs = -1;
        if (deadlineMs >= 0) {
            std::int64_t left = deadlineMs - nowMs();
            if (left <= 0) return false;
            waitMs = static_cast<int>(left);
        }
        pollfd p{fd_, POLLIN, 0};
        int r = ::poll(&p, 1, waitMs);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        char buf[4096];
        ssize_t got = ::recv(fd_, buf, sizeof(buf), 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        pending_.append(buf, static_cast<std::size_t>(got));
    }
}

bool BenchLink::call(const std::string& line, Reply& reply, int timeoutMs) {
    reply = Reply{};
    if (fd_ < 0) return false;
    std::string out = line + "\n";
    std::size_t sent = 0;
    while (sent < out.size()) {
        ssize_t n = ::send(fd_, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            kill();
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    const std::int64_t deadline = timeoutMs < 0 ? -1 : nowMs() + timeoutMs;
    std::string got;
    for (;;) {
        if (!readLine(got, deadline)) {
            kill();  // a late answer would be taken for the next command's
            return false;
        }
        if (got.rfind("* ", 0) == 0) {
            reply.lines.push_back(got.substr(2));
            continue;
        }
        if (got == "OK" || got.rfind("OK ", 0) == 0) {
            reply.ok = true;
            reply.text = got.size() > 3 ? got.substr(3) : std::string();
            return true;
        }
        if (got.rfind("ERR", 0) == 0) {
            std::size_t pos = 3;
            while (pos < got.size() && got[pos] == ' ') ++pos;
            std::size_t end = pos;
            while (end < got.size() && got[end] >= '0' && got[end] <= '9') ++end;
            reply.status = end > pos ? static_cast<std::uint32_t>(std::strtoul(
                                           got.substr(pos, end - pos).c_str(), nullptr, 10))
                                     : 6u;
            if (reply.status == 0) reply.status = 6;  // an ERR is never a success
            while (end < got.size() && got[end] == ' ') ++end;
            reply.text = got.substr(end);
            return true;
        }
        // Anything else is not ours: the peer is not a bench.
        kill();
        return false;
    }
}

}  // namespace tavrix::bench
