#include "bench/bench_ports.h"

#include <cstdlib>
#include <deque>

#include "bench/bench_link.h"
#include "bench/bench_text.h"

namespace tavrix::bench {

namespace {

// Line codes as the bench takes them (the cable library's codes).
int parityCode(serial::Parity p) {
    switch (p) {
        case serial::Parity::None:
            return 0;
        case serial::Parity::Odd:
            return 1;
        case serial::Parity::Even:
            return 2;
        case serial::Parity::Mark:
            return 3;
        case serial::Parity::Space:
            return 4;
    }
    return 0;
}

int stopCode(serial::StopBits s) {
    switch (s) {
        case serial::StopBits::One:
            return 0;
        case serial::StopBits::OneAndHalf:
            return 1;
        case serial::StopBits::Two:
            return 2;
    }
    return 0;
}

class BenchSerialPort : public serial::SerialDevice {
public:
    BenchSerialPort(std::unique_ptr<BenchLink> link, std::string name)
        : link_(std::move(link)), name_(std::move(name)) {}

    bool configure(const serial::LineSettings& s) override {
        bool ok = simple("baud " + std::to_string(s.baud));
        ok = simple("line " + std::to_string(s.dataBits) + " " +
                    std::to_string(stopCode(s.stopBits)) + " " +
                    std::to_string(parityCode(s.parity))) &&
             ok;
        ok = setDtr(s.dtr) && ok;
        ok = setRts(s.rts) && ok;
        return ok;
    }

    serial::ReadResult readByte(std::uint8_t& byte, int timeoutMs) override {
        if (received_.empty()) {
            // The bench holds the reply until a byte is there or the time is up.
            Reply r;
            const int limit = timeoutMs <= 0 ? -1 : timeoutMs + BenchLink::kDefaultTimeoutMs;
            if (!link_->call("recv 4096 " + std::to_string(timeoutMs < 0 ? 0 : timeoutMs), r,
                             limit) ||
                !r.ok)
                return serial::ReadResult::Failed;
            auto bytes = fromHex(r.text);
            if (!bytes) return serial::ReadResult::Failed;
            received_.insert(received_.end(), bytes->begin(), bytes->end());
            if (received_.empty()) return serial::ReadResult::Timeout;
        }
        byte = static_cast<std::uint8_t>(received_.front());
        received_.pop_front();
        return serial::ReadResult::Byte;
    }

    long write(const char* data, std::size_t size, int) override {
        Reply r;
        if (!link_->call("write " + toHex(std::string(data, size)), r) || !r.ok) return -1;
        auto n = toNumber(r.text);
        return n ? static_cast<long>(*n) : -1;
    }

    bool setDtr(bool on) override { return simple(on ? "dtr 1" : "dtr 0"); }
    bool setRts(bool on) override { return simple(on ? "rts 1" : "rts 0"); }

    serial::WaitResult waitInput(int wakeFd, int timeoutMs) override {
        if (!received_.empty()) return serial::WaitResult::Input;
        if (gone_ || !link_->watch(-1)) {
            gone_ = true;
            return serial::waitWakeOnly(wakeFd, timeoutMs);
        }
        switch (link_->waitNotice(wakeFd, timeoutMs)) {
            case BenchLink::Rest::Ready:
                return serial::WaitResult::Input;
            case BenchLink::Rest::Woken:
                return serial::WaitResult::Woken;
            case BenchLink::Rest::Timeout:
                return serial::WaitResult::Timeout;
            case BenchLink::Rest::Gone:
                break;
        }
        gone_ = true;
        return serial::waitWakeOnly(wakeFd, timeoutMs);
    }

    std::size_t pendingBytes() override {
        Reply r;
        std::size_t waiting = received_.size();
        if (link_->call("queue", r) && r.ok) {
            if (auto n = toNumber(r.text); n && *n > 0) waiting += static_cast<std::size_t>(*n);
        }
        return waiting;
    }

    std::string name() const override { return name_; }

private:
    bool simple(const std::string& command) {
        Reply r;
        return link_->call(command, r) && r.ok;
    }

    std::unique_ptr<BenchLink> link_;
    std::string name_;
    std::deque<char> received_;  // bytes fetched from the bench, not yet read
    bool gone_ = false;          // the bench reported the port gone: rest beside it
};

}  // namespace

std::string benchSocketPath() {
    const char* path = std::getenv("TAVRIX_BENCH");
    return path ? std::string(path) : std::string();
}

std::unique_ptr<serial::SerialDevice> openBenchPort(int port) {
    const std::string path = benchSocketPath();
    if (path.empty() || port < 1) return nullptr;
    auto link = BenchLink::connect(path);
    if (!link) return nullptr;
    const std::string name = "COM" + std::to_string(port);
    Reply r;
    if (!link->call("port-open " + name, r) || !r.ok) return nullptr;
    return std::make_unique<BenchSerialPort>(std::move(link), "bench:" + name);
}

std::vector<serial::PortInfo> listBenchPorts() {
    std::vector<serial::PortInfo> ports;
    const std::string path = benchSocketPath();
    if (path.empty()) return ports;
    auto link = BenchLink::connect(path);
    Reply r;
    if (!link || !link->call("ports", r) || !r.ok) return ports;
    for (const auto& line : r.lines) {
        if (line.rfind("COM", 0) != 0) continue;
        if (auto n = toNumber(line.substr(3)); n && *n >= 1 && *n <= 255)
            ports.push_back({static_cast<int>(*n), "bench:" + line});
    }
    return ports;
}

}  // namespace tavrix::bench
