#include "emulated_ft232r.h"

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <umockdev.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "usb_testbed.h"

namespace tavrix::ftdiemu {

namespace {

// The chip's vendor requests.
enum : std::uint8_t {
    kReset = 0x00,
    kModemCtrl = 0x01,
    kFlowCtrl = 0x02,
    kBaudRate = 0x03,
    kData = 0x04,
    kPollModemStatus = 0x05,
    kEventChar = 0x06,
    kErrorChar = 0x07,
    kSetLatency = 0x09,
    kGetLatency = 0x0a,
    kSetBitMode = 0x0b,
    kReadPins = 0x0c,
    kReadEeprom = 0x90,
};

constexpr int kPacket = 64;
constexpr std::uint8_t kLineStatusIdle = 0x60;  // transmitter empty

// The baud rate a divisor of the FT232R's 3 MHz base clock stands for.
int baudFromDivisor(std::uint16_t value, std::uint16_t index) {
    static const int eighths[8] = {0, 4, 2, 1, 3, 5, 6, 7};
    const unsigned encoded = value | (static_cast<unsigned>(index & 1) << 16);
    const unsigned whole = encoded & 0x3fff;
    const unsigned frac = eighths[(encoded >> 14) & 7];
    if (whole == 0 && frac == 0) return 3000000;
    if (whole == 1 && frac == 0) return 2000000;
    return static_cast<int>((3000000ull * 8 + (whole * 8 + frac) / 2) / (whole * 8 + frac));
}

void appendString(std::vector<std::uint8_t>& out, const std::string& text) {
    out.push_back(static_cast<std::uint8_t>(2 + 2 * text.size()));
    out.push_back(3);
    for (char c : text) {
        out.push_back(static_cast<std::uint8_t>(c));
        out.push_back(0);
    }
}

std::string hex(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    char b[3];
    for (std::uint8_t v : bytes) {
        std::snprintf(b, sizeof(b), "%02x", v);
        out += b;
    }
    return out;
}

gboolean onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    return static_cast<EmulatedFt232r*>(self)->handleIoctl(client);
}

void onVanished(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    static_cast<EmulatedFt232r*>(self)->clientGone(client);
}

}  // namespace

EmulatedFt232r::EmulatedFt232r(CableIdentity id) : id_(std::move(id)) {
    if (id_.port.empty()) id_.port = std::to_string(id_.address - 1);
    syspath_ = "/sys/devices/pci0000:00/0000:00:14.0/usb" + std::to_string(id_.bus) + "/" +
               std::to_string(id_.bus) + "-" + id_.port;
    trace_ = getenv("TAVRIX_FTDIEMU_TRACE") != nullptr;
    handler_ = umockdev_ioctl_base_new();
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(onIoctl), this);
    g_signal_connect(handler_, "client-vanished", G_CALLBACK(onVanished), this);
    plug();
}

EmulatedFt232r::~EmulatedFt232r() {
    unplug();
    // Not on unplug: a pulled cable's open handles still get their "no device".
    umockdev_testbed_detach_ioctl(Testbed::instance().get(), deviceNode().c_str(), nullptr);
    g_signal_handlers_disconnect_by_data(handler_, this);
    g_object_unref(handler_);
}

std::string EmulatedFt232r::deviceNode() const {
    char node[64];
    std::snprintf(node, sizeof(node), "/dev/bus/usb/%03d/%03d", id_.bus, id_.address);
    return node;
}

std::vector<std::uint8_t> EmulatedFt232r::descriptors() const {
    const std::uint8_t serialIndex = id_.serial.empty() ? 0 : 3;
    std::vector<std::uint8_t> d = {
        18, 1, 0x00, 0x02, 0, 0, 0, 8,  //
        static_cast<std::uint8_t>(id_.vendor), static_cast<std::uint8_t>(id_.vendor >> 8),
        static_cast<std::uint8_t>(id_.product), static_cast<std::uint8_t>(id_.product >> 8), 0x00,
        0x06, 1, 2, serialIndex, 1,
        // configuration 1: one vendor interface, bulk IN 0x81 and OUT 0x02
        9, 2, 32, 0, 1, 1, 0, 0xa0, 45,      //
        9, 4, 0, 0, 2, 0xff, 0xff, 0xff, 2,  //
        7, 5, 0x81, 2, kPacket, 0, 0,        //
        7, 5, 0x02, 2, kPacket, 0, 0};
    return d;
}

void EmulatedFt232r::addToTestbed() {
    char text[2048];
    std::snprintf(text, sizeof(text),
                  "P: %s\nN: bus/usb/%03d/%03d\n"
                  "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DEVNAME=/dev/bus/usb/%03d/%03d\n"
                  "E: BUSNUM=%03d\nE: DEVNUM=%03d\nE: PRODUCT=%x/%x/600\n"
                  "A: busnum=%d\nA: devnum=%d\nA: speed=12\nA: bConfigurationValue=1\n"
                  "A: bNumConfigurations=1\nA: idVendor=%04x\nA: idProduct=%04x\n"
                  "A: manufacturer=%s\nA: product=%s\n%s%s%sH: descriptors=%s\n",
                  syspath_.substr(4).c_str(), id_.bus, id_.address, id_.bus, id_.address, id_.bus,
                  id_.address, id_.vendor, id_.product, id_.bus, id_.address, id_.vendor,
                  id_.product, id_.manufacturer.c_str(), id_.description.c_str(),
                  id_.serial.empty() ? "" : "A: serial=", id_.serial.c_str(),
                  id_.serial.empty() ? "" : "\n", hex(descriptors()).c_str());
    GError* error = nullptr;
    UMockdevTestbed* bed = Testbed::instance().get();
    // The handler stays attached while unplugged (see the destructor).
    if (!umockdev_testbed_add_from_string(bed, text, &error) ||
        (!attached_ && !(attached_ = umockdev_testbed_attach_ioctl(bed, deviceNode().c_str(),
                                                                   handler_, &error)))) {
        std::fprintf(stderr, "ftdiemu: %s\n", error ? error->message : "cannot add the cable");
        g_clear_error(&error);
    }
}

void EmulatedFt232r::plug() {
    {
        auto l = lock();
        if (plugged_) return;
        plugged_ = true;
        driverBound_ = true;
        claimed_.clear();
        rx_.clear();
        lines_.clear();
        lines_.dtr = lines_.rts = false;
        baud_ = 9600, word_ = 8, parity_ = 0, stop_ = 0, latency_ = 16;
    }
    addToTestbed();
}

void EmulatedFt232r::unplug() {
    {
        auto l = lock();
        if (!plugged_) return;
        plugged_ = false;
        if (trace_) std::fprintf(stderr, "ftdiemu %s: unplugged\n", deviceNode().c_str());
        // Transfers in flight end with "no device"; the reap still hands them back.
        for (Urb& u : urbs_) {
            auto* urb = reinterpret_cast<usbdevfs_urb*>(u.urb->data);
            if (!u.done) urb->status = -ENODEV, urb->actual_length = 0, u.done = true;
        }
    }
    UMockdevTestbed* bed = Testbed::instance().get();
    // This umockdev does not send "remove" itself.
    umockdev_testbed_uevent(bed, syspath_.c_str(), "remove");
    umockdev_testbed_remove_device(bed, syspath_.c_str());
}

bool EmulatedFt232r::plugged() const {
    auto l = lock();
    return plugged_;
}

void EmulatedFt232r::setGauge(std::optional<gaugebench::SimulatedGauge> gauge) {
    auto l = lock();
    lines_.gauge = std::move(gauge);
}

void EmulatedFt232r::press(int bit) {
    auto l = lock();
    pins_ = static_cast<std::uint8_t>(pins_ & ~(1u << bit));
}

void EmulatedFt232r::release(int bit) {
    auto l = lock();
    pins_ = static_cast<std::uint8_t>(pins_ | (1u << bit));
}

void EmulatedFt232r::send(const std::string& bytes) {
    auto l = lock();
    rx_.insert(rx_.end(), bytes.begin(), bytes.end());
}

void EmulatedFt232r::failPinReads(int count) {
    auto l = lock();
    pinFailures_ = count;
}

int EmulatedFt232r::baudRate() const {
    return lock(), baud_;
}
int EmulatedFt232r::wordLength() const {
    return lock(), word_;
}
int EmulatedFt232r::parity() const {
    return lock(), parity_;
}
int EmulatedFt232r::stopBits() const {
    return lock(), stop_;
}
int EmulatedFt232r::latencyMs() const {
    return lock(), latency_;
}
bool EmulatedFt232r::dtr() const {
    return lock(), lines_.dtr;
}
bool EmulatedFt232r::rts() const {
    return lock(), lines_.rts;
}
bool EmulatedFt232r::kernelDriverBound() const {
    return lock(), driverBound_;
}
std::string EmulatedFt232r::written() const {
    return lock(), written_;
}
std::vector<LineEdge> EmulatedFt232r::edges() const {
    return lock(), lines_.edges;
}
int EmulatedFt232r::handlerThread() const {
    return lock(), handlerTid_;
}

long EmulatedFt232r::transfers() const {
    return lock(), transfers_;
}

int EmulatedFt232r::pinReads() const {
    return lock(), pinReads_;
}

int EmulatedFt232r::claims() const {
    auto l = lock();
    int n = 0;
    for (const auto& [client, claimed] : claimed_) n += claimed ? 1 : 0;
    return n;
}

std::uint8_t EmulatedFt232r::modemStatus() const {
    // Bits 0..3 read 0001 on this chip; CTS and DSR follow the gauge's lines.
    return 0x01 | 0x10 | 0x20;
}

void EmulatedFt232r::modemControl(std::uint16_t value) {
    const std::int64_t t = steadyMs();
    // The high byte says which lines the low byte sets: DTR 1, RTS 2.
    if (value & 0x0100) lines_.set(true, (value & 0x01) != 0, t);
    if (value & 0x0200) lines_.set(false, (value & 0x02) != 0, t);
}

int EmulatedFt232r::controlVendor(std::uint8_t request, std::uint16_t value, std::uint16_t index,
                                  std::uint8_t* data, int length) {
    switch (request) {
        case kReset:
            if (value == 0 || value == 1) rx_.clear(), lines_.clear();
            return 0;
        case kModemCtrl:
            modemControl(value);
            return 0;
        case kBaudRate:
            baud_ = baudFromDivisor(value, index);
            return 0;
        case kData:
            word_ = value & 0xff;
            parity_ = (value >> 8) & 7;
            stop_ = (value >> 11) & 3;
            return 0;
        case kSetLatency:
            latency_ = std::max(1, value & 0xff);
            return 0;
        case kGetLatency:
            if (length < 1) return -EPIPE;
            data[0] = static_cast<std::uint8_t>(latency_);
            return 1;
        case kPollModemStatus:
            if (length < 2) return -EPIPE;
            data[0] = modemStatus();
            data[1] = kLineStatusIdle;
            return 2;
        case kReadPins:
            if (length < 1) return -EPIPE;
            ++pinReads_;
            if (pinFailures_ > 0) {
                --pinFailures_;
                return -EPIPE;
            }
            data[0] = pins_;
            return 1;
        case kReadEeprom:
            // An erased EEPROM: the strings come from the string descriptors.
            if (length < 2) return -EPIPE;
            data[0] = data[1] = 0xff;
            return 2;
        case kFlowCtrl:
        case kEventChar:
        case kErrorChar:
        case kSetBitMode:
            return 0;
        default:
            return -EPIPE;
    }
}

int EmulatedFt232r::standardDescriptor(std::uint16_t value, std::uint8_t* data, int length) const {
    const int type = value >> 8, index = value & 0xff;
    std::vector<std::uint8_t> d;
    const std::vector<std::uint8_t> all = descriptors();
    if (type == 1) {
        d.assign(all.begin(), all.begin() + 18);
    } else if (type == 2 && index == 0) {
        d.assign(all.begin() + 18, all.end());
    } else if (type == 3 && index == 0) {
        d = {4, 3, 0x09, 0x04};
    } else if (type == 3 && index >= 1 && index <= 3) {
        if (index == 3 && id_.serial.empty()) return -EPIPE;
        appendString(d, index == 1 ? id_.manufacturer : index == 2 ? id_.description : id_.serial);
    } else {
        return -EPIPE;
    }
    const int n = std::min<int>(length, static_cast<int>(d.size()));
    std::memcpy(data, d.data(), static_cast<std::size_t>(n));
    return n;
}

void EmulatedFt232r::control(Urb& u) {
    auto* urb = reinterpret_cast<usbdevfs_urb*>(u.urb->data);
    std::uint8_t* buf = u.buffer->data;
    u.done = true;
    if (urb->buffer_length < 8) {
        urb->status = -EINVAL;
        return;
    }
    const std::uint8_t type = buf[0], request = buf[1];
    const std::uint16_t value = static_cast<std::uint16_t>(buf[2] | buf[3] << 8);
    const std::uint16_t index = static_cast<std::uint16_t>(buf[4] | buf[5] << 8);
    const int length = std::min<int>(buf[6] | buf[7] << 8, urb->buffer_length - 8);
    int r = -EPIPE;
    if ((type & 0x60) == 0x40)
        r = controlVendor(request, value, index, buf + 8, length);
    else if (type == 0x80 && request == 6)
        r = standardDescriptor(value, buf + 8, length);
    else if ((type & 0x60) == 0)
        r = 0;  // standard requests without data: set feature, clear halt ...
    urb->status = r < 0 ? r : 0;
    urb->actual_length = r < 0 ? 0 : r;
}

void EmulatedFt232r::finishBulkIn(Urb& u, std::int64_t now) {
    auto* urb = reinterpret_cast<usbdevfs_urb*>(u.urb->data);
    std::uint8_t* out = u.buffer->data;
    int room = urb->buffer_length, got = 0;
    // Each packet carries the two status bytes first; a short packet ends the transfer.
    while (room >= 2) {
        const int n = std::min<int>({kPacket - 2, room - 2, static_cast<int>(rx_.size())});
        out[got] = modemStatus();
        out[got + 1] = kLineStatusIdle;
        for (int i = 0; i < n; ++i) out[got + 2 + i] = rx_[static_cast<std::size_t>(i)];
        rx_.erase(rx_.begin(), rx_.begin() + n);
        got += 2 + n;
        room -= 2 + n;
        if (n < kPacket - 2) break;
    }
    urb->status = 0;
    urb->actual_length = got;
    u.done = true;
    lastInMs_ = now;
}

bool EmulatedFt232r::handleIoctl(UMockdevIoctlClient* client) {
    const gulong request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    const std::size_t size = _IOC_SIZE(request);
    auto l = lock();
    handlerTid_ = static_cast<int>(::gettid());
    // A pulled cable still hands back its ended transfers, then fails everything.
    const bool reap = request == USBDEVFS_REAPURB || request == USBDEVFS_REAPURBNDELAY;
    if (!plugged_ && (!reap || urbs_.empty())) {
        umockdev_ioctl_client_complete(client, -1, ENODEV);
        return true;
    }
    UMockdevIoctlData* data = nullptr;
    if (size > 0 && (data = umockdev_ioctl_data_resolve(arg, 0, size, nullptr)) == nullptr) {
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return true;
    }
    long res = 0;
    int err = 0;
    switch (request) {
        case USBDEVFS_GET_CAPABILITIES:
            *reinterpret_cast<std::uint32_t*>(data->data) =
                USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
                USBDEVFS_CAP_REAP_AFTER_DISCONNECT | USBDEVFS_CAP_ZERO_PACKET;
            break;
        case USBDEVFS_CONNECTINFO: {
            auto* ci = reinterpret_cast<usbdevfs_connectinfo*>(data->data);
            ci->devnum = static_cast<unsigned>(id_.address);
            ci->slow = 0;
            break;
        }
        case USBDEVFS_GET_SPEED:
            res = 2;  // full speed
            break;
        case USBDEVFS_SETCONFIGURATION:
        case USBDEVFS_SETINTERFACE:
        case USBDEVFS_CLEAR_HALT:
        case USBDEVFS_RESET:
        case USBDEVFS_RESETEP:
            break;
        case USBDEVFS_CLAIMINTERFACE:
            // The kernel refuses a claim while its own driver holds the interface.
            if (driverBound_ || claimed_[client]) {
                res = -1, err = EBUSY;
                break;
            }
            for (auto& [other, claimed] : claimed_)
                if (claimed && other != client) res = -1, err = EBUSY;
            if (res == 0) claimed_[client] = true;
            break;
        case USBDEVFS_RELEASEINTERFACE:
            if (!claimed_[client]) res = -1, err = EINVAL;
            claimed_[client] = false;
            break;
        case USBDEVFS_DISCONNECT_CLAIM: {
            auto* dc = reinterpret_cast<usbdevfs_disconnect_claim*>(data->data);
            (void)dc;
            driverBound_ = false;
            claimed_[client] = true;
            break;
        }
        case USBDEVFS_GETDRIVER: {
            auto* gd = reinterpret_cast<usbdevfs_getdriver*>(data->data);
            if (driverBound_)
                std::snprintf(gd->driver, sizeof(gd->driver), "ftdi_sio");
            else if (claimed_[client])
                std::snprintf(gd->driver, sizeof(gd->driver), "usbfs");
            else
                res = -1, err = ENODATA;
            break;
        }
        case USBDEVFS_IOCTL: {
            auto* io = reinterpret_cast<usbdevfs_ioctl*>(data->data);
            if (io->ioctl_code == static_cast<int>(USBDEVFS_DISCONNECT)) {
                if (!driverBound_) res = -1, err = ENODATA;
                driverBound_ = false;
            } else if (io->ioctl_code == static_cast<int>(USBDEVFS_CONNECT)) {
                bool held = false;
                for (auto& [c, claimed] : claimed_) held = held || claimed;
                if (held)
                    res = -1, err = EBUSY;
                else
                    driverBound_ = true;
            } else {
                res = -1, err = ENOTTY;
            }
            break;
        }
        case USBDEVFS_SUBMITURB: {
            auto* urb = reinterpret_cast<usbdevfs_urb*>(data->data);
            UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(
                data, offsetof(usbdevfs_urb, buffer),
                static_cast<gsize>(std::max(0, urb->buffer_length)), nullptr);
            if (!buffer) {
                res = -1, err = EFAULT;
                break;
            }
            if (!claimed_[client] && urb->type != USBDEVFS_URB_TYPE_CONTROL) {
                g_object_unref(buffer);
                res = -1, err = EINVAL;
                break;
            }
            Urb u{client, static_cast<UMockdevIoctlData*>(g_object_ref(data)), buffer};
            ++transfers_;
            const std::int64_t now = steadyMs();
            if (urb->type == USBDEVFS_URB_TYPE_CONTROL) {
                control(u);
            } else if (urb->type == USBDEVFS_URB_TYPE_BULK && (urb->endpoint & 0x80)) {
                u.dueMs = std::max(now, lastInMs_ + latency_);
            } else if (urb->type == USBDEVFS_URB_TYPE_BULK) {
                written_.append(reinterpret_cast<const char*>(buffer->data),
                                static_cast<std::size_t>(urb->buffer_length));
                urb->status = 0;
                urb->actual_length = urb->buffer_length;
                u.done = true;
            } else {
                g_object_unref(u.urb);
                g_object_unref(buffer);
                res = -1, err = EINVAL;
                break;
            }
            urbs_.push_back(u);
            break;
        }
        case USBDEVFS_DISCARDURB: {
            const auto addr = *reinterpret_cast<gulong*>(arg->data);
            res = -1, err = EINVAL;
            for (Urb& u : urbs_) {
                if (u.urb->client_addr != addr || u.done) continue;
                auto* urb = reinterpret_cast<usbdevfs_urb*>(u.urb->data);
                urb->status = -ENOENT;
                urb->actual_length = 0;
                u.done = true;
                res = 0, err = 0;
            }
            break;
        }
        case USBDEVFS_REAPURB:
        case USBDEVFS_REAPURBNDELAY: {
            const std::int64_t now = steadyMs();
            const std::string due = lines_.takeDue(now);
            rx_.insert(rx_.end(), due.begin(), due.end());
            auto it = urbs_.end();
            for (auto u = urbs_.begin(); u != urbs_.end(); ++u) {
                if (u->client != client) continue;
                if (!u->done && u->dueMs > 0 &&
                    (u->dueMs <= now || rx_.size() >= static_cast<std::size_t>(kPacket - 2)))
                    finishBulkIn(*u, now);
                if (u->done) {
                    it = u;
                    break;
                }
            }
            if (it == urbs_.end()) {
                res = -1, err = EAGAIN;
                break;
            }
            umockdev_ioctl_data_set_ptr(data, 0, it->urb);
            g_object_unref(it->urb);
            g_object_unref(it->buffer);
            urbs_.erase(it);
            break;
        }
        default:
            res = -1, err = ENOTTY;
            break;
    }
    if (trace_)
        std::fprintf(stderr, "ftdiemu %s: ioctl %08lx -> %ld %d\n", deviceNode().c_str(), request,
                     res, err);
    umockdev_ioctl_client_complete(client, res, err);
    if (data) g_object_unref(data);
    return true;
}

void EmulatedFt232r::clientGone(UMockdevIoctlClient* client) {
    auto l = lock();
    claimed_.erase(client);
    for (auto u = urbs_.begin(); u != urbs_.end();) {
        if (u->client != client) {
            ++u;
            continue;
        }
        g_object_unref(u->urb);
        g_object_unref(u->buffer);
        u = urbs_.erase(u);
    }
}

}  // namespace tavrix::ftdiemu
