#include "bench_server.h"
#include "gauge_reply.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace tavrix::gaugebench {

using bench::fromHex;
using bench::quote;
using bench::toHex;
using bench::toNumber;
using bench::Word;

namespace {

// Like a real chip, a receive queue that overflows drops what comes next.
constexpr std::size_t kRxLimit = 1 << 20;
// The cable library's strings come in buffers of at least 64 bytes.
constexpr std::size_t kMaxListString = 63;

constexpr const char* kHelp[] = {
    "control: cable NAME [serial=S] [desc=D] [pins=N] | port COMn | remove NAME",
    "control: gauge NAME [answer=T] [delay=MS] [chunk=N] [gap=MS] "
    "[mode=answer|never|garbage|flood]",
    "control:       [flood=BYTES] [vary=0|1] [trigger=dtr|rts] [pulse=MS] [request=T] | nogauge "
    "NAME",
    "control: press NAME [bit=N] | release NAME [bit=N] | setpins NAME N | trigger NAME",
    "control: plug NAME | unplug NAME | inject NAME T|hex=H",
    "control: fail NAME CALL STATUS [times=N] | fail count STATUS [times=N] | heal NAME|count",
    "control: list | state NAME | log | clearlog | ping | help",
    "device:  ft-count | ft-serial I | ft-desc I | ft-open I | ports | port-open COMn | close",
    "device:  dtr 0|1 | rts 0|1 | baud N | line W S P | timeouts R W | queue | pins",
    "device:  write HEX | read N | recv N MS | wait MS | watch [pins=N]",
};

// Status codes of the cable library, also used for the ports.
constexpr std::uint32_t FT_INVALID_HANDLE_CODE = 1;
constexpr std::uint32_t FT_DEVICE_NOT_FOUND_CODE = 2;
constexpr std::uint32_t FT_DEVICE_NOT_OPENED_CODE = 3;
constexpr std::uint32_t FT_IO_ERROR_CODE = 4;
constexpr std::uint32_t FT_INVALID_PARAMETER_CODE = 6;

std::string err(std::uint32_t status, const std::string& text = std::string()) {
    return "ERR " + std::to_string(status) + (text.empty() ? "" : " " + text);
}

bool isComName(const std::string& name) {
    if (name.size() < 4 || name.compare(0, 3, "COM") != 0) return false;
    auto n = toNumber(name.substr(3));
    return n && *n >= 1 && *n <= 255 && std::to_string(*n) == name.substr(3);
}

std::string word(const std::vector<Word>& w, std::size_t i) {
    return i < w.size() ? w[i].value : std::string();
}

const std::string* option(const std::vector<Word>& w, const std::string& key) {
    for (const auto& x : w)
        if (x.key == key) return &x.value;
    return nullptr;
}

bool numberOption(const std::vector<Word>& w, const std::string& key, int& out, int lo, int hi) {
    const std::string* v = option(w, key);
    if (!v) return true;
    auto n = toNumber(*v);
    if (!n || *n < lo || *n > hi) return false;
    out = static_cast<int>(*n);
    return true;
}

}  // namespace

BenchServer::BenchServer(std::string socketPath) : path_(std::move(socketPath)) {
    startMs_ = now();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        wakeRead_ = fds[0];
        wakeWrite_ = fds[1];
    }
}

BenchServer::~BenchServer() {
    for (auto& [id, c] : clients_) ::close(c.fd);
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        ::unlink(path_.c_str());
    }
    if (wakeRead_ >= 0) ::close(wakeRead_);
    if (wakeWrite_ >= 0) ::close(wakeWrite_);
}

std::int64_t BenchServer::now() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool BenchServer::listen(std::string& error) {
    sockaddr_un addr{};
    if (path_.empty() || path_.size() >= sizeof(addr.sun_path)) {
        error = "socket path empty or too long: " + path_;
        return false;
    }
    if (wakeRead_ < 0) {
        error = "no wake pipe";
        return false;
    }
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenFd_ < 0) {
        error = std::strerror(errno);
        return false;
    }
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path_.data(), path_.size());
    // A socket file left by a bench that died is replaced; a live bench is not.
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) {
            error = path_ + " exists and is not a socket";
            return false;
        }
        int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        bool live =
            probe >= 0 && ::connect(probe, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
        if (probe >= 0) ::close(probe);
        if (live) {
            error = "a bench already listens on " + path_;
            return false;
        }
        ::unlink(path_.c_str());
    }
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
        ::listen(listenFd_, 64) != 0) {
        error = path_ + ": " + std::strerror(errno);
        ::close(listenFd_);
        listenFd_ = -1;
        return false;
    }
    return true;
}

bool BenchServer::preload(const std::vector<std::string>& commands, std::string* refused) {
    for (const auto& line : commands) {
        auto words = bench::splitWords(line);
        if (!words || words->empty() || control((*words)[0].value, *words).rfind("OK", 0) != 0) {
            if (refused) *refused = line;
            return false;
        }
    }
    return true;
}

void BenchServer::stop() {
    char b = 1;
    if (wakeWrite_ >= 0) {
        ssize_t ignored = ::write(wakeWrite_, &b, 1);
        (void)ignored;
    }
}

std::int64_t BenchServer::nextWakeMs() const {
    std::int64_t next = -1;
    if (!deliveries_.empty()) next = deliveries_.begin()->first;
    for (const auto& [id, c] : clients_) {
        if (c.pending.kind != Pending::Kind::None && c.pending.deadline >= 0 &&
            (next < 0 || c.pending.deadline < next))
            next = c.pending.deadline;
    }
    return next;
}

void BenchServer::run() {
    if (listenFd_ < 0) return;
    for (;;) {
        std::vector<pollfd> fds;
        std::vector<int> ids;
        fds.push_back({wakeRead_, POLLIN, 0});
        fds.push_back({listenFd_, POLLIN, 0});
        for (const auto& [id, c] : clients_) {
            short ev = POLLIN;
            if (!c.out.empty()) ev |= POLLOUT;
            fds.push_back({c.fd, ev, 0});
            ids.push_back(id);
        }
        int waitMs = -1;
        std::int64_t wake = nextWakeMs();
        if (wake >= 0) waitMs = static_cast<int>(std::max<std::int64_t>(0, wake - now()));
        int r = ::poll(fds.data(), fds.size(), waitMs);
        if (r < 0 && errno != EINTR) return;
        if (r > 0 && (fds[0].revents & POLLIN)) return;
        if (r > 0 && (fds[1].revents & POLLIN)) acceptClients();
        for (std::size_t i = 0; r > 0 && i < ids.size(); ++i) {
            const short rev = fds[i + 2].revents;
            if (rev == 0) continue;
            auto it = clients_.find(ids[i]);
            if (it == clients_.end()) continue;
            if ((rev & POLLOUT) != 0) flushClient(it->second);
            if ((rev & (POLLIN | POLLHUP | POLLERR)) != 0 && !readClient(ids[i]))
                dropClient(ids[i]);
        }
        runDueDeliveries();
        for (auto& [id, c] : clients_) servePending(c);
        for (auto& [id, c] : clients_) processLines(id);
        for (auto& [id, c] : clients_) checkWatch(c);
        for (auto& [id, c] : clients_) flushClient(c);
    }
}

void BenchServer::acceptClients() {
    for (;;) {
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) return;
        Client c;
        c.fd = fd;
        clients_[nextId_++] = std::move(c);
    }
}

void BenchServer::flushClient(Client& c) {
    while (!c.out.empty()) {
        ssize_t n = ::send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL);
        if (n <= 0) return;  // a dead peer is noticed by the next read
        c.out.erase(0, static_cast<std::size_t>(n));
    }
}

bool BenchServer::readClient(int id) {
    char buf[8192];
    Client& c = clients_.at(id);
    ssize_t n = ::recv(c.fd, buf, sizeof(buf), 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
    if (n <= 0) return false;
    c.in.append(buf, static_cast<std::size_t>(n));
    processLines(id);
    // A line that never ends is not a client of ours.
    return clients_.at(id).in.size() <= (4u << 20);
}

void BenchServer::processLines(int id) {
    for (;;) {
        Client& c = clients_.at(id);
        // One command at a time: a deferred read holds back what follows.
        if (c.pending.kind != Pending::Kind::None) return;
        std::size_t nl = c.in.find('\n');
        if (nl == std::string::npos) return;
        std::string line = c.in.substr(0, nl);
        c.in.erase(0, nl + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto words = bench::splitWords(line);
        std::string reply;
        if (!words)
            reply = err(FT_INVALID_PARAMETER_CODE, "broken quote or escape");
        else if (words->empty())
            continue;
        else
            reply = handle(id, *words);
        Client& again = clients_.at(id);
        if (!reply.empty()) again.out += reply + "\n";
        servePending(again);
    }
}

void BenchServer::dropClient(int id) {
    auto it = clients_.find(id);
    if (it == clients_.end()) return;
    if (!it->second.line.empty()) {
        if (auto* l = find(it->second.line); l && l->owner == id) l->owner = -1;
    }
    ::close(it->second.fd);
    clients_.erase(it);
}

void BenchServer::log(const std::string& line, const std::string& what) {
    if (log_.size() >= 10000) log_.erase(log_.begin(), log_.begin() + 5000);
    log_.push_back(std::to_string(now() - startMs_) + " " + line + " " + what);
}

SimulatedLine* BenchServer::find(const std::string& name) {
    auto it = lines_.find(name);
    return it == lines_.end() ? nullptr : &it->second;
}

std::vector<SimulatedLine*> BenchServer::pluggedCables() {
    std::vector<SimulatedLine*> out;
    for (auto& [name, l] : lines_)
        if (l.isCable && l.plugged) out.push_back(&l);
    std::sort(out.begin(), out.end(), [](const SimulatedLine* a, const SimulatedLine* b) {
        return a->plugOrder < b->plugOrder;
    });
    return out;
}

bool BenchServer::takeFailure(SimulatedLine& line, const std::string& call, std::uint32_t& status) {
    for (const char* key : {call.c_str(), "any"}) {
        auto it = line.failures.find(key);
        if (it == line.failures.end()) continue;
        status = it->second.status;
        if (it->second.remaining > 0 && --it->second.remaining == 0) line.failures.erase(it);
        return true;
    }
    return false;
}

void BenchServer::plug(SimulatedLine& line) {
    if (line.plugged) return;
    line.plugged = true;
    line.plugOrder = ++plugCounter_;
    log(line.name, "plug");
}

void BenchServer::unplug(SimulatedLine& line) {
    if (!line.plugged) return;
    line.plugged = false;
    ++line.generation;
    line.owner = -1;
    line.rx.clear();
    line.dtr = line.rts = false;
    line.dtrLowSince = line.rtsLowSince = -1;
    log(line.name, "unplug");
    // Whoever waits on it learns at once.
    for (auto& [id, c] : clients_) servePending(c);
}

void BenchServer::addBytes(SimulatedLine& line, const std::string& bytes) {
    std::size_t room = kRxLimit > line.rx.size() ? kRxLimit - line.rx.size() : 0;
    std::size_t take = std::min(room, bytes.size());
    line.rx.insert(line.rx.end(), bytes.begin(), bytes.begin() + static_cast<long>(take));
    if (take < bytes.size()) log(line.name, "overflow " + std::to_string(bytes.size() - take));
    serveLine(line.name);
}

void BenchServer::serveLine(const std::string& name) {
    for (auto& [id, c] : clients_)
        if (c.line == name) servePending(c);
}

void BenchServer::servePending(Client& c) {
    Pending& p = c.pending;
    if (p.kind == Pending::Kind::None) return;
    SimulatedLine* l = c.line.empty() ? nullptr : find(c.line);
    std::string reply;
    const bool expired = p.deadline >= 0 && now() >= p.deadline;
    if (!l || !l->plugged || l->generation != c.generation) {
        reply = err(FT_IO_ERROR_CODE, "unplugged");
    } else if (p.kind == Pending::Kind::Wait) {
        if (l->rx.empty() && !expired) return;
        reply = "OK " + std::to_string(l->rx.size());
    } else {
        const bool enough = p.kind == Pending::Kind::Read ? l->rx.size() >= p.want : !l->rx.empty();
        if (!enough && !expired) return;
        std::size_t take = std::min(p.want, l->rx.size());
        std::string bytes(l->rx.begin(), l->rx.begin() + static_cast<long>(take));
        l->rx.erase(l->rx.begin(), l->rx.begin() + static_cast<long>(take));
        reply = "OK " + toHex(bytes);
    }
    p = Pending{};
    c.out += reply + "\n";
}

void BenchServer::checkWatch(Client& c) {
    if (!c.watching) return;
    SimulatedLine* l = c.line.empty() ? nullptr : find(c.line);
    const char* notice = nullptr;
    if (!l || !l->plugged || l->generation != c.generation)
        notice = "! gone\n";
    else if (!l->rx.empty() || (c.watchPins >= 0 && l->pins != c.watchPins))
        notice = "! ready\n";
    if (!notice) return;
    c.watching = false;
    c.out += notice;
}

void BenchServer::runDueDeliveries() {
    const std::int64_t t = now();
    while (!deliveries_.empty() && deliveries_.begin()->first <= t) {
        Delivery d = std::move(deliveries_.begin()->second);
        deliveries_.erase(deliveries_.begin());
        SimulatedLine* l = find(d.line);
        if (!l || !l->plugged || l->generation != d.generation) continue;
        log(l->name, "sent " + toHex(d.bytes));
        addBytes(*l, d.bytes);
    }
}

void BenchServer::requestReading(SimulatedLine& line) {
    if (!line.gauge) return;
    const std::vector<ReplyPart> parts = gaugeReply(*line.gauge, noise_);
    if (parts.empty()) log(line.name, "silent");
    const std::int64_t t = now();
    for (const ReplyPart& p : parts)
        deliveries_.emplace(t + p.atMs, Delivery{line.name, line.generation, p.bytes});
}

void BenchServer::modemChange(SimulatedLine& line, bool rtsLine, bool on) {
    bool& level = rtsLine ? line.rts : line.dtr;
    std::int64_t& lowSince = rtsLine ? line.rtsLowSince : line.dtrLowSince;
    const char* name = rtsLine ? "rts" : "dtr";
    if (level == on) return;
    level = on;
    log(line.name, std::string(name) + (on ? " 1" : " 0"));
    if (!on) {
        lowSince = now();
        return;
    }
    if (lowSince < 0) return;
    const std::int64_t length = now() - lowSince;
    lowSince = -1;
    log(line.name, std::string("pulse ") + name + " " + std::to_string(length));
    if (line.gauge && line.gauge->rtsTrigger == rtsLine && length >= line.gauge->minPulseMs)
        requestReading(line);
}

std::string BenchServer::handle(int id, const std::vector<Word>& w) {
    const std::string cmd = w[0].value;
    Client& c = clients_.at(id);
    static const char* const deviceCommands[] = {"close",    "dtr",   "rts",  "baud",  "line",
                                                 "timeouts", "queue", "pins", "write", "read",
                                                 "recv",     "wait",  "watch"};
    if (cmd == "ft-count") {
        if (auto it = countFailures_.find("count"); it != countFailures_.end()) {
            std::uint32_t st = it->second.status;
            if (it->second.remaining > 0 && --it->second.remaining == 0) countFailures_.erase(it);
            return err(st);
        }
        return "OK " + std::to_string(pluggedCables().size());
    }
    if (cmd == "ft-serial" || cmd == "ft-desc" || cmd == "ft-open") {
        auto idx = toNumber(word(w, 1));
        auto cables = pluggedCables();
        if (!idx || *idx < 0 || static_cast<std::size_t>(*idx) >= cables.size())
            return err(FT_DEVICE_NOT_FOUND_CODE);
        SimulatedLine& l = *cables[static_cast<std::size_t>(*idx)];
        std::uint32_t st = 0;
        const std::string call = cmd == "ft-serial" ? "serial" : cmd == "ft-desc" ? "desc" : "open";
        if (takeFailure(l, call, st)) return err(st);
        if (cmd == "ft-serial") return "OK " + quote(l.serial.substr(0, kMaxListString));
        if (cmd == "ft-desc") return "OK " + quote(l.description.substr(0, kMaxListString));
        if (!c.line.empty())
            return err(FT_DEVICE_NOT_OPENED_CODE, "this connection has a device open");
        if (l.owner >= 0) return err(FT_DEVICE_NOT_OPENED_CODE, "in use");
        l.owner = id;
        c.line = l.name;
        c.generation = l.generation;
        log(l.name, "open");
        return "OK";
    }
    if (cmd == "ports") {
        std::string r;
        for (auto& [name, l] : lines_)
            if (!l.isCable && l.plugged) r += "* " + name + "\n";
        return r + "OK";
    }
    if (cmd == "port-open") {
        SimulatedLine* l = find(word(w, 1));
        if (!l || l->isCable || !l->plugged) return err(FT_DEVICE_NOT_FOUND_CODE);
        std::uint32_t st = 0;
        if (takeFailure(*l, "open", st)) return err(st);
        if (!c.line.empty() || l->owner >= 0) return err(FT_DEVICE_NOT_OPENED_CODE, "in use");
        l->owner = id;
        c.line = l->name;
        c.generation = l->generation;
        log(l->name, "open");
        return "OK";
    }
    for (const char* d : deviceCommands)
        if (cmd == d) return deviceCall(c, cmd, w);
    return control(cmd, w);
}

std::string BenchServer::deviceCall(Client& c, const std::string& cmd, const std::vector<Word>& w) {
    if (c.line.empty()) return err(FT_INVALID_HANDLE_CODE, "nothing open");
    SimulatedLine* l = find(c.line);
    const bool gone = !l || !l->plugged || l->generation != c.generation;
    if (cmd == "close") {
        c.watching = false;
        if (l && l->owner >= 0 && !gone) {
            l->owner = -1;
            log(l->name, "close");
        }
        c.line.clear();
        std::uint32_t st = 0;
        if (!gone && takeFailure(*l, "close", st)) return err(st);
        return "OK";
    }
    if (gone) return err(FT_IO_ERROR_CODE, "unplugged");
    // Not a library call: failures injected for the calls leave it alone.
    if (cmd == "watch") {
        int pins = -1;
        if (!numberOption(w, "pins", pins, 0, 255)) return err(FT_INVALID_PARAMETER_CODE);
        c.watching = true;
        c.watchPins = pins;
        return "OK";  // the notice, if already due, follows this reply
    }
    std::uint32_t st = 0;
    const std::string call = cmd == "recv" ? "read" : cmd;
    if (takeFailure(*l, call, st)) return err(st);
    auto num = [&](std::size_t i) { return toNumber(word(w, i)); };
    if (cmd == "dtr" || cmd == "rts") {
        auto v = num(1);
        if (!v || (*v != 0 && *v != 1)) return err(FT_INVALID_PARAMETER_CODE);
        modemChange(*l, cmd == "rts", *v == 1);
        return "OK";
    }
    if (cmd == "baud") {
        auto v = num(1);
        if (!v || *v <= 0 || *v > 3000000) return err(FT_INVALID_PARAMETER_CODE);
        l->baud = static_cast<int>(*v);
        return "OK";
    }
    if (cmd == "line") {
        auto a = num(1), b = num(2), p = num(3);
        if (!a || !b || !p || *a < 4 || *a > 8 || *b < 0 || *b > 2 || *p < 0 || *p > 4)
            return err(FT_INVALID_PARAMETER_CODE);
        l->wordLength = static_cast<int>(*a);
        l->stopBits = static_cast<int>(*b);
        l->parity = static_cast<int>(*p);
        return "OK";
    }
    if (cmd == "timeouts") {
        auto r = num(1), wr = num(2);
        if (!r || !wr || *r < 0 || *wr < 0 || *r > 0xffffffffLL || *wr > 0xffffffffLL)
            return err(FT_INVALID_PARAMETER_CODE);
        l->readTimeoutMs = static_cast<std::uint32_t>(*r);
        l->writeTimeoutMs = static_cast<std::uint32_t>(*wr);
        return "OK";
    }
    if (cmd == "queue") return "OK " + std::to_string(l->rx.size());
    if (cmd == "pins") return "OK " + std::to_string(l->pins);
    if (cmd == "write") {
        auto bytes = fromHex(word(w, 1));
        if (!bytes) return err(FT_INVALID_PARAMETER_CODE);
        log(l->name, "write " + toHex(*bytes));
        if (l->gauge && !l->gauge->request.empty() &&
            bytes->find(l->gauge->request) != std::string::npos)
            requestReading(*l);
        return "OK " + std::to_string(bytes->size());
    }
    // read N (the line's read time-out), recv N MS, wait MS: answered by servePending.
    Pending p;
    std::int64_t timeout = 0;
    if (cmd == "read") {
        auto n = num(1);
        if (!n || *n < 0 || *n > (1 << 20)) return err(FT_INVALID_PARAMETER_CODE);
        p.kind = Pending::Kind::Read;
        p.want = static_cast<std::size_t>(*n);
        timeout = l->readTimeoutMs;
    } else if (cmd == "recv") {
        auto n = num(1), t = num(2);
        if (!n || !t || *n <= 0 || *n > (1 << 20) || *t < 0) return err(FT_INVALID_PARAMETER_CODE);
        p.kind = Pending::Kind::Recv;
        p.want = static_cast<std::size_t>(*n);
        timeout = *t;
    } else {
        auto t = num(1);
        if (!t || *t < 0) return err(FT_INVALID_PARAMETER_CODE);
        p.kind = Pending::Kind::Wait;
        // Waiting 0 ms asks for the queue without waiting.
        p.deadline = now() + *t;
    }
    if (p.kind != Pending::Kind::Wait) p.deadline = timeout > 0 ? now() + timeout : -1;
    c.pending = p;
    return std::string();
}

std::string BenchServer::listLines() {
    std::string r;
    std::vector<SimulatedLine*> order;
    for (auto* l : pluggedCables()) order.push_back(l);
    for (auto& [name, l] : lines_)
        if (!(l.isCable && l.plugged)) order.push_back(&l);
    int index = 0;
    for (auto* l : order) {
        r += "* " + std::string(l->isCable ? "cable " : "port ") + l->name;
        if (l->isCable)
            r += " index=" + (l->plugged ? std::to_string(index++) : std::string("-")) +
                 " serial=" + quote(l->serial) + " desc=" + quote(l->description);
        r += std::string(" plugged=") + (l->plugged ? "1" : "0") +
             " open=" + (l->owner >= 0 ? "1" : "0") + " gauge=" + (l->gauge ? "1" : "0") + "\n";
    }
    return r + "OK";
}

std::string BenchServer::control(const std::string& cmd, const std::vector<Word>& w) {
    const std::string name = word(w, 1);
    if (cmd == "ping") return "OK";
    if (cmd == "help") {
        std::string r;
        for (const char* h : kHelp) r += std::string("* ") + h + "\n";
        return r + "OK";
    }
    if (cmd == "list") return listLines();
    if (cmd == "log") {
        std::string r;
        for (const auto& entry : log_) r += "* " + entry + "\n";
        return r + "OK";
    }
    if (cmd == "clearlog") {
        log_.clear();
        return "OK";
    }
    if (cmd == "fail" && name == "count") {
        auto st = toNumber(word(w, 2));
        int times = -1;
        if (!st || *st < 0 || *st > 0xffffffffLL || !numberOption(w, "times", times, 1, 1 << 30))
            return err(FT_INVALID_PARAMETER_CODE);
        if (*st == 0)
            countFailures_.clear();
        else
            countFailures_["count"] = {static_cast<std::uint32_t>(*st), times};
        return "OK";
    }
    if (cmd == "heal" && name == "count") {
        countFailures_.clear();
        return "OK";
    }
    if (cmd == "cable" || cmd == "port") {
        if (name.empty() || w[1].key.size() > 0)
            return err(FT_INVALID_PARAMETER_CODE, "name missing");
        if (cmd == "port" && !isComName(name))
            return err(FT_INVALID_PARAMETER_CODE, "ports are COM1..COM255");
        if (cmd == "cable" && isComName(name))
            return err(FT_INVALID_PARAMETER_CODE, "COMn names ports");
        SimulatedLine* existing = find(name);
        if (existing && existing->isCable != (cmd == "cable"))
            return err(FT_INVALID_PARAMETER_CODE, "name taken");
        SimulatedLine& l = lines_[name];
        if (!existing) {
            l.name = name;
            l.isCable = cmd == "cable";
            l.plugOrder = ++plugCounter_;
            log(name, "plug");
        }
        if (const auto* v = option(w, "serial")) l.serial = *v;
        if (const auto* v = option(w, "desc")) l.description = *v;
        int pins = l.pins;
        if (!numberOption(w, "pins", pins, 0, 255)) return err(FT_INVALID_PARAMETER_CODE);
        l.pins = static_cast<std::uint8_t>(pins);
        return "OK";
    }
    SimulatedLine* l = find(name);
    if (!l) return err(FT_DEVICE_NOT_FOUND_CODE, "no line named " + quote(name));
    if (cmd == "remove") {
        unplug(*l);
        for (auto& [id, c] : clients_)
            if (c.line == name) c.generation = ~0ull;  // stays dead if the name comes back
        lines_.erase(name);
        return "OK";
    }
    if (cmd == "gauge") {
        SimulatedGauge g = l->gauge.value_or(SimulatedGauge{});
        if (const auto* v = option(w, "answer")) g.answer = *v;
        if (const auto* v = option(w, "request")) g.request = *v;
        if (const auto* v = option(w, "mode")) {
            if (*v == "answer")
                g.mode = SimulatedGauge::Mode::Answer;
            else if (*v == "never")
                g.mode = SimulatedGauge::Mode::Never;
            else if (*v == "garbage")
                g.mode = SimulatedGauge::Mode::Garbage;
            else if (*v == "flood")
                g.mode = SimulatedGauge::Mode::Flood;
            else
                return err(FT_INVALID_PARAMETER_CODE, "mode");
        }
        if (const auto* v = option(w, "trigger")) {
            if (*v != "dtr" && *v != "rts") return err(FT_INVALID_PARAMETER_CODE, "trigger");
            g.rtsTrigger = *v == "rts";
        }
        int vary = g.vary ? 1 : 0;
        if (!numberOption(w, "delay", g.delayMs, 0, 600000) ||
            !numberOption(w, "chunk", g.chunk, 0, 1 << 20) ||
            !numberOption(w, "gap", g.gapMs, 0, 600000) ||
            !numberOption(w, "flood", g.floodBytes, 1, 1 << 24) ||
            !numberOption(w, "pulse", g.minPulseMs, 0, 600000) ||
            !numberOption(w, "vary", vary, 0, 1))
            return err(FT_INVALID_PARAMETER_CODE);
        g.vary = vary == 1;
        l->gauge = g;
        return "OK";
    }
    if (cmd == "nogauge") {
        l->gauge.reset();
        return "OK";
    }
    if (cmd == "press" || cmd == "release") {
        int bit = 5;
        if (!numberOption(w, "bit", bit, 0, 7)) return err(FT_INVALID_PARAMETER_CODE);
        // The switch pulls its pin low while pressed.
        if (cmd == "press")
            l->pins = static_cast<std::uint8_t>(l->pins & ~(1u << bit));
        else
            l->pins = static_cast<std::uint8_t>(l->pins | (1u << bit));
        log(name, cmd);
        return "OK";
    }
    if (cmd == "setpins") {
        auto v = toNumber(word(w, 2));
        if (!v || *v < 0 || *v > 255) return err(FT_INVALID_PARAMETER_CODE);
        l->pins = static_cast<std::uint8_t>(*v);
        return "OK";
    }
    if (cmd == "trigger") {
        if (!l->plugged) return err(FT_IO_ERROR_CODE, "unplugged");
        requestReading(*l);
        return "OK";
    }
    if (cmd == "plug") {
        plug(*l);
        return "OK";
    }
    if (cmd == "unplug") {
        unplug(*l);
        return "OK";
    }
    if (cmd == "inject") {
        std::string bytes;
        if (const auto* h = option(w, "hex")) {
            auto b = fromHex(*h);
            if (!b) return err(FT_INVALID_PARAMETER_CODE);
            bytes = *b;
        } else {
            bytes = word(w, 2);
        }
        if (!l->plugged) return err(FT_IO_ERROR_CODE, "unplugged");
        addBytes(*l, bytes);
        return "OK";
    }
    if (cmd == "fail") {
        const std::string call = word(w, 2);
        auto st = toNumber(word(w, 3));
        int times = -1;
        if (call.empty() || !st || *st < 0 || *st > 0xffffffffLL ||
            !numberOption(w, "times", times, 1, 1 << 30))
            return err(FT_INVALID_PARAMETER_CODE);
        if (*st == 0)
            l->failures.erase(call);
        else
            l->failures[call] = {static_cast<std::uint32_t>(*st), times};
        return "OK";
    }
    if (cmd == "heal") {
        l->failures.clear();
        return "OK";
    }
    if (cmd == "state") {
        return "OK plugged=" + std::to_string(l->plugged) +
               " open=" + std::to_string(l->owner >= 0) + " dtr=" + std::to_string(l->dtr) +
               " rts=" + std::to_string(l->rts) + " baud=" + std::to_string(l->baud) +
               " line=" + std::to_string(l->wordLength) + "," + std::to_string(l->stopBits) + "," +
               std::to_string(l->parity) + " timeouts=" + std::to_string(l->readTimeoutMs) + "," +
               std::to_string(l->writeTimeoutMs) + " pins=" + std::to_string(l->pins) +
               " rx=" + std::to_string(l->rx.size());
    }
    return err(FT_INVALID_PARAMETER_CODE, "unknown command " + quote(cmd));
}

}  // namespace tavrix::gaugebench
