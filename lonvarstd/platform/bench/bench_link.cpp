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
        if (takeNotice(got)) continue;
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

bool BenchLink::takeNotice(const std::string& line) {
    if (line.rfind("! ", 0) != 0) return false;
    armed_ = false;
    if (notice_ != Notice::Gone) notice_ = line == "! gone" ? Notice::Gone : Notice::Ready;
    return true;
}

bool BenchLink::takePendingNotices() {
    for (;;) {
        const std::size_t nl = pending_.find('\n');
        if (nl == std::string::npos || pending_.compare(0, 2, "! ") != 0) break;
        takeNotice(pending_.substr(0, nl));
        pending_.erase(0, nl + 1);
    }
    return notice_ != Notice::None;
}

bool BenchLink::watch(int pins) {
    if (fd_ < 0) return false;
    if (takePendingNotices()) return true;  // already told: the rest ends at once
    if (armed_ && armedPins_ == pins) return true;
    Reply r;
    const std::string command = pins < 0 ? "watch" : "watch pins=" + std::to_string(pins);
    if (!call(command, r) || !r.ok) return false;
    armed_ = notice_ == Notice::None;
    armedPins_ = pins;
    return true;
}

BenchLink::Rest BenchLink::waitNotice(int wakeFd, int timeoutMs) {
    const std::int64_t deadline = timeoutMs < 0 ? -1 : nowMs() + timeoutMs;
    for (;;) {
        if (takePendingNotices()) {
            const bool gone = notice_ == Notice::Gone;
            // A gone line stays gone: its notice is kept for every later rest.
            if (!gone) notice_ = Notice::None;
            return gone ? Rest::Gone : Rest::Ready;
        }
        if (fd_ < 0) return Rest::Gone;
        int waitMs = -1;
        if (deadline >= 0) {
            const std::int64_t left = deadline - nowMs();
            if (left <= 0) return Rest::Timeout;
            waitMs = static_cast<int>(left);
        }
        pollfd p[2] = {{fd_, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        const int r = ::poll(p, wakeFd >= 0 ? 2 : 1, waitMs);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return Rest::Timeout;
        if (r == 0) return Rest::Timeout;
        if (p[0].revents != 0) {
            char buf[4096];
            const ssize_t got = ::recv(fd_, buf, sizeof(buf), MSG_DONTWAIT);
            if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (got <= 0) {
                kill();  // the bench went away: the line with it
                return Rest::Gone;
            }
            pending_.append(buf, static_cast<std::size_t>(got));
            continue;
        }
        return Rest::Woken;
    }
}

}  // namespace tavrix::bench
