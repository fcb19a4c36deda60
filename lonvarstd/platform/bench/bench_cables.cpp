#include "bench/bench_cables.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "bench/bench_link.h"
#include "bench/bench_text.h"

namespace tavrix::bench {

namespace {

// A bench that went away reads as a cable that went away.
constexpr FT_STATUS kLost = FT_IO_ERROR;

FT_STATUS statusOf(bool answered, const Reply& r) {
    if (!answered) return kLost;
    return r.ok ? FT_OK : r.status;
}

class BenchCable : public ftd2xx::FtCable {
public:
    explicit BenchCable(std::unique_ptr<BenchLink> link) : link_(std::move(link)) {}

    FT_STATUS close() override {
        Reply r;
        return statusOf(link_->call("close", r), r);
    }
    FT_STATUS setDtr(bool on) override { return simple(on ? "dtr 1" : "dtr 0"); }
    FT_STATUS setRts(bool on) override { return simple(on ? "rts 1" : "rts 0"); }
    FT_STATUS setBaudRate(ULONG baud) override { return simple("baud " + std::to_string(baud)); }
    FT_STATUS setDataCharacteristics(UCHAR w, UCHAR s, UCHAR p) override {
        return simple("line " + std::to_string(w) + " " + std::to_string(s) + " " +
                      std::to_string(p));
    }
    FT_STATUS setTimeouts(ULONG readMs, ULONG writeMs) override {
        FT_STATUS st = simple("timeouts " + std::to_string(readMs) + " " + std::to_string(writeMs));
        if (st == FT_OK) readTimeoutMs_ = readMs;
        return st;
    }
    FT_STATUS getQueueStatus(DWORD& rx) override { return number("queue", rx, -1); }
    FT_STATUS waitForData(DWORD timeoutMs, DWORD& rx) override {
        return number("wait " + std::to_string(timeoutMs), rx, static_cast<int>(timeoutMs));
    }
    FT_STATUS getBitMode(UCHAR& pins) override {
        DWORD v = 0;
        FT_STATUS st = number("pins", v, -1);
        if (st == FT_OK) {
            pins = static_cast<UCHAR>(v);
            lastPins_ = static_cast<int>(pins);
        }
        return st;
    }
    FT_STATUS waitForEvent(int wakeFd, DWORD timeoutMs, DWORD watch, DWORD& events) override {
        events = 0;
        const int wait = static_cast<int>(std::min<DWORD>(timeoutMs, 3600000));
        // A line the bench reported gone, or a refused watch, is rested beside, not asked again.
        const bool pins = (watch & FTX_WATCH_PINS) != 0;
        if (gone_ || !link_->watch(pins ? lastPins_ : -1)) {
            gone_ = true;
            events = ftd2xx::restOnWake(wakeFd, timeoutMs);
            return kLost;
        }
        switch (link_->waitNotice(wakeFd, wait)) {
            case BenchLink::Rest::Ready:
                events = pins ? FTX_EVENT_PINS | FTX_EVENT_RX : FTX_EVENT_RX;
                return FT_OK;
            case BenchLink::Rest::Woken:
                events = FTX_EVENT_WAKE;
                return FT_OK;
            case BenchLink::Rest::Timeout:
                return FT_OK;
            case BenchLink::Rest::Gone:
                break;
        }
        gone_ = true;
        // Told at once; the rest itself goes on beside the line.
        events = ftd2xx::restOnWake(wakeFd, timeoutMs);
        return kLost;
    }
    FT_STATUS write(const void* data, DWORD size, DWORD& written) override {
        written = 0;
        return number("write " + toHex(std::string(static_cast<const char*>(data), size)), written,
                      -1);
    }
    FT_STATUS read(void* data, DWORD size, DWORD& got) override {
        got = 0;
        Reply r;
        // The bench applies the read time-out (0 = wait until the bytes come);
        // our own limit only guards against a bench that hangs.
        const int limit = readTimeoutMs_ == 0
                              ? -1
                              : static_cast<int>(std::min<ULONG>(readTimeoutMs_, 3600000)) +
                                    BenchLink::kDefaultTimeoutMs;
        bool answered = link_->call("read " + std::to_string(size), r, limit);
        FT_STATUS st = statusOf(answered, r);
        if (st != FT_OK) return st;
        auto bytes = fromHex(r.text);
        if (!bytes || bytes->size() > size) return FT_IO_ERROR;
        std::memcpy(data, bytes->data(), bytes->size());
        got = static_cast<DWORD>(bytes->size());
        return FT_OK;
    }

private:
    FT_STATUS simple(const std::string& command) {
        Reply r;
        return statusOf(link_->call(command, r), r);
    }
    FT_STATUS number(const std::string& command, DWORD& out, int waitMs) {
        Reply r;
        const int limit =
            waitMs < 0 ? BenchLink::kDefaultTimeoutMs : waitMs + BenchLink::kDefaultTimeoutMs;
        FT_STATUS st = statusOf(link_->call(command, r, limit), r);
        if (st != FT_OK) return st;
        auto n = toNumber(r.text);
        if (!n || *n < 0) return FT_IO_ERROR;
        out = static_cast<DWORD>(*n);
        return FT_OK;
    }

    std::unique_ptr<BenchLink> link_;
    ULONG readTimeoutMs_ = 0;
    int lastPins_ = -1;  // the pin byte last read, for the bench to compare with
    bool gone_ = false;
};

class BenchCableBackend : public ftd2xx::FtBackend {
public:
    explicit BenchCableBackend(std::string path) : path_(std::move(path)) {}

    FT_STATUS count(DWORD& devices) override {
        Reply r;
        bool reached = false;
        FT_STATUS st = call("ft-count", r, &reached);
        devices = 0;
        if (st != FT_OK || !reached) return st;  // no bench listening: no cables
        auto n = toNumber(r.text);
        if (!n || *n < 0) return FT_IO_ERROR;
        devices = static_cast<DWORD>(*n);
        return FT_OK;
    }
    FT_STATUS serialNumber(DWORD index, std::string& text) override {
        return string("ft-serial " + std::to_string(index), text);
    }
    FT_STATUS description(DWORD index, std::string& text) override {
        return string("ft-desc " + std::to_string(index), text);
    }
    FT_STATUS open(int index, std::unique_ptr<ftd2xx::FtCable>& cable) override {
        auto link = BenchLink::connect(path_);
        if (!link) return FT_DEVICE_NOT_FOUND;
        Reply r;
        FT_STATUS st = statusOf(link->call("ft-open " + std::to_string(index), r), r);
        if (st != FT_OK) return st;
        cable = std::make_unique<BenchCable>(std::move(link));
        return FT_OK;
    }

private:
    // Listing calls share one link, reopened when the bench was restarted.
    FT_STATUS call(const std::string& command, Reply& r, bool* reached = nullptr) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (!link_ || !link_->alive()) link_ = BenchLink::connect(path_);
            if (!link_) return reached ? FT_OK : FT_DEVICE_NOT_FOUND;
            if (link_->call(command, r)) {
                if (reached) *reached = true;
                return r.ok ? FT_OK : r.status;
            }
            link_.reset();
        }
        return FT_IO_ERROR;
    }
    FT_STATUS string(const std::string& command, std::string& text) {
        Reply r;
        FT_STATUS st = call(command, r);
        if (st != FT_OK) return st;
        auto words = splitWords(r.text);
        if (!words || words->size() != 1) return FT_IO_ERROR;
        text = (*words)[0].value;
        return FT_OK;
    }

    std::string path_;
    std::mutex mutex_;
    std::unique_ptr<BenchLink> link_;
};

}  // namespace

std::unique_ptr<ftd2xx::FtBackend> makeBenchCableBackend(const std::string& socketPath) {
    return std::make_unique<BenchCableBackend>(socketPath);
}

}  // namespace tavrix::bench
