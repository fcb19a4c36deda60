#include "uinput_keyboard_output.h"

#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "keystroke_keysyms.h"

namespace {

// Keys that are the same on every layout.
std::uint32_t NamedKeyCode(TNamedKey key) {
    switch (key) {
        case TNamedKey::Enter:
            return KEY_ENTER;
        case TNamedKey::Tab:
            return KEY_TAB;
        case TNamedKey::Down:
            return KEY_DOWN;
        case TNamedKey::Right:
            return KEY_RIGHT;
        case TNamedKey::Left:
            return KEY_LEFT;
        case TNamedKey::Up:
            return KEY_UP;
        case TNamedKey::Plain:
            break;
    }
    return 0;
}

// XKBLAYOUT="de" and XKBVARIANT="" from the system's keyboard setting.
std::string SystemKeyboardValue(const std::string& name) {
    std::ifstream in("/etc/default/keyboard");
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with(name + "=")) continue;
        std::string value = line.substr(name.size() + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        // Only the first of several layouts ("de,us"): the one active after start.
        return value.substr(0, value.find(','));
    }
    return "";
}

}  // namespace

TUinputKeyboardOutput::TUinputKeyboardOutput(const std::string& devicePath, TLayoutKeyMap layout)
    : Layout_(std::move(layout)) {
    Fd_ = open(devicePath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (Fd_ < 0) {
        const int error = errno;
        const TStatusText text = error == EACCES || error == EPERM ? TStatusText::UinputNoAccess
                                 : error == ENOENT                 ? TStatusText::UinputNoModule
                                                                   : TStatusText::UinputCannotOpen;
        Problem_ = {text, {devicePath, std::strerror(error)}};
        return;
    }
    if (!Create()) {
        Problem_ = {TStatusText::UinputCannotCreate, {devicePath, std::strerror(errno)}};
        close(Fd_);
        Fd_ = -1;
    }
}

TUinputKeyboardOutput::~TUinputKeyboardOutput() {
    if (Fd_ < 0) return;
    ioctl(Fd_, UI_DEV_DESTROY);
    close(Fd_);
}

bool TUinputKeyboardOutput::Create() {
    if (ioctl(Fd_, UI_SET_EVBIT, EV_KEY) < 0 || ioctl(Fd_, UI_SET_EVBIT, EV_SYN) < 0) {
        return false;
    }
    // Every key a layout may need: the desktop sees a full keyboard, not a key pad.
    for (int code = KEY_ESC; code <= KEY_MICMUTE; ++code) {
        if (ioctl(Fd_, UI_SET_KEYBIT, code) < 0) return false;
    }
    uinput_setup setup{};
    setup.id.bustype = BUS_VIRTUAL;
    setup.id.vendor = 0x1209;  // pid.codes, open-source hardware
    setup.id.product = 0x7a17;
    std::strncpy(setup.name, kDeviceName, UINPUT_MAX_NAME_SIZE - 1);
    return ioctl(Fd_, UI_DEV_SETUP, &setup) >= 0 && ioctl(Fd_, UI_DEV_CREATE) >= 0;
}

void TUinputKeyboardOutput::Emit(unsigned type, unsigned code, int value) {
    input_event event{};
    event.type = static_cast<__u16>(type);
    event.code = static_cast<__u16>(code);
    event.value = value;
    [[maybe_unused]] const ssize_t written = write(Fd_, &event, sizeof event);
}

void TUinputKeyboardOutput::Press(const TKeyPress& press) {
    for (std::uint32_t modifier : press.Modifiers) Emit(EV_KEY, modifier, 1);
    Emit(EV_KEY, press.Code, 1);
    Emit(EV_SYN, SYN_REPORT, 0);
    Emit(EV_KEY, press.Code, 0);
    for (auto it = press.Modifiers.rbegin(); it != press.Modifiers.rend(); ++it) {
        Emit(EV_KEY, *it, 0);
    }
    Emit(EV_SYN, SYN_REPORT, 0);
}

void TUinputKeyboardOutput::SendKeys(const std::string& keystrokeText, bool) {
    if (Fd_ < 0) return;
    for (const TKeystroke& key : ParseKeystrokeText(keystrokeText)) {
        if (key.Key != TNamedKey::Plain) {
            Press({NamedKeyCode(key.Key), {}});
        } else if (auto press = Layout_.PressFor(KeysymForKeystroke(key))) {
            Press(*press);
        }
    }
}

std::optional<TLayoutKeyMap> ActiveLayout() {
    if (auto layout = TLayoutKeyMap::FromNames(SystemKeyboardValue("XKBLAYOUT"),
                                               SystemKeyboardValue("XKBVARIANT"))) {
        return layout;
    }
    return TLayoutKeyMap::FromNames("", "");
}
