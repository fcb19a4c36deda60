#include "ftd2xx/ftdi_backend.h"

#include <ftdi.h>
#include <libusb.h>

#include <poll.h>
#include <sys/time.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "ftd2xx/cable_ids.h"

namespace tavrix::ftd2xx {

namespace {

// USB transfers never wait longer than this, so a pulled cable or a hung chip
// ends every call with a status.
constexpr int kUsbTimeoutMs = 1000;

std::int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Where a cable sits: its bus and the ports from the root hub down. It names the
// same cable in every library context, which an index into a list does not.
struct CablePlace {
    int bus = -1;
    std::vector<std::uint8_t> ports;
    std::string serial;  // as listed; empty until asked
    bool operator==(const CablePlace& o) const { return bus == o.bus && ports == o.ports; }
};

CablePlace placeOf(libusb_device* dev) {
    CablePlace p;
    p.bus = libusb_get_bus_number(dev);
    std::uint8_t ports[8];
    const int n = libusb_get_port_numbers(dev, ports, sizeof(ports));
    if (n > 0) p.ports.assign(ports, ports + n);
    return p;
}

// The cables the library sees right now, in its own order: every device of
// FTDI's vendor id (cables of gauge makers carry product ids of their own) and
// the vendor:product pairs the program INI file adds. A context or device list
// that cannot be had means no cables (no USB here at all).
class DeviceList {
public:
    // A list in a context of its own, which a cable opened from it takes over.
    explicit DeviceList(const std::vector<UsbId>& extra) : DeviceList(ftdi_new(), true, extra) {}
    // A list in a context the caller keeps (the queries that open nothing).
    DeviceList(ftdi_context* shared, const std::vector<UsbId>& extra)
        : DeviceList(shared, false, extra) {}
    ~DeviceList() {
        for (libusb_device* d : devices_) libusb_unref_device(d);
        if (ctx_ && ownsContext_) ftdi_free(ctx_);
    }
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;

    bool failed() const { return failed_; }
    ftdi_context* context() const { return ctx_; }
    DWORD size() const { return static_cast<DWORD>(devices_.size()); }
    libusb_device* at(DWORD index) const {
        return index < devices_.size() ? devices_[index] : nullptr;
    }
    libusb_device* find(const CablePlace& place) const {
        for (libusb_device* d : devices_)
            if (placeOf(d) == place) return d;
        return nullptr;
    }
    // Hands the context over to a cable opened in it. A libusb device belongs to the
    // context that found it, so that context has to live as long as the open cable;
    // the list itself can go (the open device holds its own reference).
    ftdi_context* releaseContext() {
        if (!ownsContext_) return nullptr;
        for (libusb_device* d : devices_) libusb_unref_device(d);
        devices_.clear();
        ftdi_context* ctx = ctx_;
        ctx_ = nullptr;
        return ctx;
    }

private:
    DeviceList(ftdi_context* ctx, bool owned, const std::vector<UsbId>& extra)
        : ctx_(ctx), ownsContext_(owned) {
        libusb_device** all = nullptr;
        if (!ctx_ || libusb_get_device_list(ctx_->usb_ctx, &all) < 0) {
            failed_ = true;
            return;
        }
        for (libusb_device** d = all; *d; ++d) {
            libusb_device_descriptor desc{};
            if (libusb_get_device_descriptor(*d, &desc) != 0) continue;
            const bool wanted = desc.idVendor == kFtdiVendor ||
                                std::find(extra.begin(), extra.end(),
                                          UsbId{desc.idVendor, desc.idProduct}) != extra.end();
            if (wanted) devices_.push_back(libusb_ref_device(*d));
        }
        libusb_free_device_list(all, 1);
    }

    ftdi_context* ctx_ = nullptr;
    bool ownsContext_ = false;
    std::vector<libusb_device*> devices_;
    bool failed_ = false;
};

FT_STATUS ioStatus(int result) {
    return result < 0 ? FT_IO_ERROR : FT_OK;
}

class FtdiCable : public FtCable {
public:
    explicit FtdiCable(ftdi_context* ctx) : ctx_(ctx) {}
    ~FtdiCable() override { release(); }

    FT_STATUS close() override {
        cancelPending();
        int r = ctx_ ? ftdi_usb_close(ctx_) : 0;
        release();
        return ioStatus(r);
    }
    FT_STATUS setDtr(bool on) override { return ioStatus(ftdi_setdtr(ctx_, on ? 1 : 0)); }
    FT_STATUS setRts(bool on) override { return ioStatus(ftdi_setrts(ctx_, on ? 1 : 0)); }
    FT_STATUS setBaudRate(ULONG baud) override {
        if (baud == 0 || baud > 12000000) return FT_INVALID_PARAMETER;
        int r = ftdi_set_baudrate(ctx_, static_cast<int>(baud));
        return r == -1 ? FT_INVALID_PARAMETER : ioStatus(r);
    }
    FT_STATUS setDataCharacteristics(UCHAR w, UCHAR s, UCHAR p) override {
        if ((w != 7 && w != 8) || s > 2 || p > 4) return FT_INVALID_PARAMETER;
        const ftdi_stopbits_type stop = s == 0 ? STOP_BIT_1 : s == 1 ? STOP_BIT_15 : STOP_BIT_2;
        const ftdi_parity_type parity[] = {NONE, ODD, EVEN, MARK, SPACE};
        return ioStatus(ftdi_set_line_property(ctx_, w == 7 ? BITS_7 : BITS_8, stop, parity[p]));
    }
    FT_STATUS setTimeouts(ULONG readMs, ULONG writeMs) override {
        readTimeoutMs_ = readMs;
        ctx_->usb_write_timeout =
            writeMs == 0 || writeMs > 60000 ? kUsbTimeoutMs : static_cast<int>(writeMs);
        return FT_OK;
    }
    FT_STATUS getQueueStatus(DWORD& rx) override {
        FT_STATUS st = pull(0);
        rx = static_cast<DWORD>(buffer_.size());
        return st;
    }
    FT_STATUS waitForData(DWORD timeoutMs, DWORD& rx) override {
        const std::int64_t deadline = nowMs() + timeoutMs;
        for (;;) {
            FT_STATUS st = pull(static_cast<int>(std::max<std::int64_t>(0, deadline - nowMs())));
            rx = static_cast<DWORD>(buffer_.size());
            if (st != FT_OK || rx > 0 || nowMs() >= deadline) return st;
        }
    }
    FT_STATUS waitForEvent(int wakeFd, DWORD timeoutMs, DWORD watch, DWORD& events) override {
        events = 0;
        if (gone_) {
            events = restOnWake(wakeFd, timeoutMs);
            return FT_IO_ERROR;
        }
        if ((watch & FTX_WATCH_RX) == 0) {
            // The chip tells no pin change by itself: the tick asks for the pin
            // byte again after a rest far shorter than a press.
            events = restOnWake(wakeFd, std::min<DWORD>(timeoutMs, kPinPollMs));
            return FT_OK;
        }
        if (!buffer_.empty()) {
            events = FTX_EVENT_RX;
            return FT_OK;
        }
        // The read the rest waits on cannot be handed to a pulled cable: say so now,
        // not after the rest's time (the calls after this one rest instead).
        if (!arm()) {
            gone_ = true;
            return FT_IO_ERROR;
        }
        // Rests in the USB stack: libusb's descriptors beside the wake-up one. The chip
        // ends an empty transfer every latency period, which libftdi submits again.
        const std::int64_t deadline = nowMs() + std::min<DWORD>(timeoutMs, 3600000);
        for (;;) {
            FT_STATUS st = FT_OK;
            if (collect(0, st)) {
                if (st == FT_OK) events = FTX_EVENT_RX;
                return st;
            }
            const std::int64_t left = deadline - nowMs();
            if (left <= 0) return FT_OK;
            std::vector<pollfd> fds;
            if (const libusb_pollfd** usb = libusb_get_pollfds(ctx_->usb_ctx)) {
                for (const libusb_pollfd** p = usb; *p; ++p)
                    fds.push_back({(*p)->fd, (*p)->events, 0});
                libusb_free_pollfds(usb);
            }
            if (wakeFd >= 0) fds.push_back({wakeFd, POLLIN, 0});
            // Without descriptors (never on Linux) the stack is asked every millisecond.
            const int wait = fds.size() > (wakeFd >= 0 ? 1u : 0u) ? static_cast<int>(left) : 1;
            const int rc = ::poll(fds.data(), fds.size(), wait);
            if (rc < 0 && errno != EINTR) return FT_OK;
            if (rc > 0 && wakeFd >= 0 && (fds.back().revents & POLLIN) != 0) {
                events = FTX_EVENT_WAKE;
                return FT_OK;
            }
        }
    }
    FT_STATUS write(const void* data, DWORD size, DWORD& written) override {
        int r =
            ftdi_write_data(ctx_, static_cast<const unsigned char*>(data), static_cast<int>(size));
        if (r < 0) return FT_IO_ERROR;
        written = static_cast<DWORD>(r);
        return FT_OK;
    }
    FT_STATUS read(void* data, DWORD size, DWORD& got) override {
        // 0 waits until all bytes came; a pulled cable still ends it with an error.
        const std::int64_t deadline = readTimeoutMs_ == 0 ? -1 : nowMs() + readTimeoutMs_;
        auto* out = static_cast<unsigned char*>(data);
        for (;;) {
            while (got < size && !buffer_.empty()) {
                out[got++] = buffer_.front();
                buffer_.pop_front();
            }
            if (got >= size || (deadline >= 0 && nowMs() >= deadline)) return FT_OK;
            // Each pull waits at most one latency period when nothing comes.
            const int left = deadline < 0
                                 ? kUsbTimeoutMs
                                 : static_cast<int>(std::max<std::int64_t>(0, deadline - nowMs()));
            if (FT_STATUS st = pull(std::min(left, kLatencyTimerMs + 1)); st != FT_OK) return st;
        }
    }
    FT_STATUS getBitMode(UCHAR& pins) override {
        // The chip's "read pins" request, asked directly: libftdi's own call tells
        // no failure from another, and only a pulled cable is gone. A transfer that
        // fails once (a stall, a busy bus) is asked again at the next tick, not
        // after the long rest of a gone cable, where a short press would be lost.
        // Request type: vendor, to the device, answer in (libftdi's macro for it mixes
        // two enum types, which clang refuses).
        constexpr std::uint8_t kVendorDeviceIn = 0x40 | 0x00 | 0x80;
        unsigned char v = 0;
        const int r = libusb_control_transfer(ctx_->usb_dev, kVendorDeviceIn, SIO_READ_PINS_REQUEST,
                                              0, static_cast<std::uint16_t>(ctx_->index), &v, 1,
                                              ctx_->usb_read_timeout);
        if (r == LIBUSB_ERROR_NO_DEVICE) gone_ = true;
        if (r != 1) return FT_IO_ERROR;
        gone_ = false;
        pins = v;
        return FT_OK;
    }

private:
    // Moves what the chip has received into our queue. While a rest's read is
    // under way it gets the line's bytes first (bulk transfers end in order): only
    // once it ended may a plain read follow, or bytes would change places.
    // `waitMs` bounds the wait for that read's end.
    FT_STATUS pull(int waitMs) {
        if (tc_ != nullptr) {
            FT_STATUS st = FT_OK;
            if (!collect(waitMs, st)) return FT_OK;
            if (st != FT_OK) return st;
        }
        // What the rest's read brought beyond its one byte waits in libftdi's buffer:
        // taken from there, it costs no transfer, which would wait for the chip's next
        // packet (one latency period) before the answer could be seen.
        unsigned char chunk[4096];
        const int buffered = static_cast<int>(ctx_->readbuffer_remaining);
        int r = ftdi_read_data(
            ctx_, chunk, buffered > 0 ? std::min<int>(buffered, sizeof(chunk)) : sizeof(chunk));
        if (r < 0) return FT_IO_ERROR;
        buffer_.insert(buffer_.end(), chunk, chunk + r);
        return FT_OK;
    }
    // A read of one byte handed to the USB stack, for a rest to wait on.
    bool arm() {
        if (tc_ == nullptr) tc_ = ftdi_read_data_submit(ctx_, &asyncByte_, 1);
        return tc_ != nullptr;
    }
    // Lets the stack run its events for up to `waitMs`; true when the rest's read
    // ended (its byte, if any, is then queued and `st` tells how it ended).
    bool collect(int waitMs, FT_STATUS& st) {
        if (tc_ == nullptr) return false;
        if (!tc_->completed) {
            timeval tv{waitMs / 1000, (waitMs % 1000) * 1000};
            libusb_handle_events_timeout_completed(ctx_->usb_ctx, &tv, &tc_->completed);
            if (!tc_->completed) return false;
        }
        const int n = ftdi_transfer_data_done(tc_);
        tc_ = nullptr;
        if (n < 0) {
            gone_ = true;
            st = FT_IO_ERROR;
        } else if (n > 0) {
            buffer_.push_back(asyncByte_);
        }
        return true;
    }
    void cancelPending() {
        if (tc_ == nullptr) return;
        timeval tv{0, 100000};
        ftdi_transfer_data_cancel(tc_, &tv);
        tc_ = nullptr;
    }
    void release() {
        cancelPending();
        if (ctx_) ftdi_free(ctx_);
        ctx_ = nullptr;
    }

    ftdi_context* ctx_;
    ULONG readTimeoutMs_ = 0;
    std::deque<unsigned char> buffer_;
    ftdi_transfer_control* tc_ = nullptr;  // the rest's read, while under way
    unsigned char asyncByte_ = 0;
    bool gone_ = false;  // the cable failed: rests no longer wait on it
};

class FtdiBackend : public FtBackend {
public:
    ~FtdiBackend() override {
        if (listing_) ftdi_free(listing_);
    }

    FT_STATUS count(DWORD& devices) override {
        std::lock_guard<std::mutex> lock(mutex_);
        relist();
        devices = static_cast<DWORD>(listed_.size());
        return FT_OK;
    }
    FT_STATUS serialNumber(DWORD index, std::string& text) override {
        return strings(index, text, true);
    }
    FT_STATUS description(DWORD index, std::string& text) override {
        return strings(index, text, false);
    }
    FT_STATUS open(int index, std::unique_ptr<FtCable>& cable) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (listed_.empty()) relist();
        if (index < 0 || static_cast<std::size_t>(index) >= listed_.size())
            return FT_DEVICE_NOT_FOUND;
        const CablePlace& want = listed_[static_cast<std::size_t>(index)];
        // Opened in the context that found it: a device found in one context and
        // opened in another would outlive the context it belongs to. A new list may
        // order the cables differently; the place names the one that was listed.
        DeviceList list(extra_);
        libusb_device* dev = list.find(want);
        if (!dev) return FT_DEVICE_NOT_FOUND;
        ftdi_context* ctx = list.context();
        ctx->usb_read_timeout = kUsbTimeoutMs;
        ctx->usb_write_timeout = kUsbTimeoutMs;
        // The cable's own tty driver gets it back when we let go.
        ftdi_set_interface(ctx, INTERFACE_A);
        ctx->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
        if (ftdi_usb_open_dev(ctx, dev) < 0) return FT_DEVICE_NOT_OPENED;
        auto opened = std::make_unique<FtdiCable>(list.releaseContext());
        // Another cable plugged into the same port since the listing is not it.
        if (!want.serial.empty()) {
            char serial[128] = {};
            if (ftdi_usb_get_strings2(ctx, dev, nullptr, 0, nullptr, 0, serial, sizeof(serial)) ==
                    0 &&
                want.serial != serial) {
                opened->close();
                return FT_DEVICE_NOT_FOUND;
            }
        }
        // Plain UART mode, and answers handed over without the 16 ms hold-back.
        ftdi_set_bitmode(ctx, 0, BITMODE_RESET);
        ftdi_set_latency_timer(ctx, kLatencyTimerMs);
        cable = std::move(opened);
        return FT_OK;
    }

private:
    // The places of a new listing: indexes handed out from now on mean these cables.
    void relist() {
        extra_ = extraCableIds();
        DeviceList list(listingContext(), extra_);
        std::vector<CablePlace> places;
        for (DWORD i = 0; i < list.size(); ++i) places.push_back(placeOf(list.at(i)));
        listed_ = std::move(places);
    }

    FT_STATUS strings(DWORD index, std::string& text, bool serial) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (listed_.empty()) relist();
        if (index >= listed_.size()) return FT_DEVICE_NOT_FOUND;
        DeviceList list(listingContext(), extra_);
        libusb_device* dev = list.find(listed_[index]);
        if (!dev) return FT_DEVICE_NOT_FOUND;
        if (serial) {
            // A cable without a serial number has an empty one, not a failed query.
            libusb_device_descriptor desc{};
            if (libusb_get_device_descriptor(dev, &desc) == 0 && desc.iSerialNumber == 0) {
                text.clear();
                return FT_OK;
            }
        }
        char buf[128] = {};
        int r = serial ? ftdi_usb_get_strings(list.context(), dev, nullptr, 0, nullptr, 0, buf,
                                              sizeof(buf))
                       : ftdi_usb_get_strings(list.context(), dev, nullptr, 0, buf, sizeof(buf),
                                              nullptr, 0);
        // The strings need the device opened: no permission reads as "not opened".
        if (r < 0) return r == -4 ? FT_DEVICE_NOT_OPENED : FT_IO_ERROR;
        buf[sizeof(buf) - 1] = '\0';
        text = buf;
        if (serial) listed_[index].serial = text;
        return FT_OK;
    }

    // The count runs every 200 ms and a listing asks two strings per cable: one
    // library context serves them all instead of a new one (a new USB session
    // with its threads) per query. Made on first use; null while it cannot be had.
    ftdi_context* listingContext() {
        if (!listing_) listing_ = ftdi_new();
        return listing_;
    }

    std::mutex mutex_;
    ftdi_context* listing_ = nullptr;
    std::vector<CablePlace> listed_;  // the last count's cables, by index
    std::vector<UsbId> extra_;
};

}  // namespace

std::unique_ptr<FtBackend> makeFtdiBackend() {
    return std::make_unique<FtdiBackend>();
}

}  // namespace tavrix::ftd2xx
