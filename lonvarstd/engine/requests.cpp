// Requests asked for on the main thread: function keys, the request commands
// and the timer button. Each sets flags that the device's worker picks up.
#include <array>

#include "engine/dataModule.h"

namespace {

struct KeyName {
    const char* name;
    std::uint16_t code;
};
constexpr std::array<KeyName, 12> kRequestKeys = {{{"F1", 112},
                                                   {"F2", 113},
                                                   {"F3", 114},
                                                   {"F4", 115},
                                                   {"F5", 116},
                                                   {"F6", 117},
                                                   {"F7", 118},
                                                   {"F8", 119},
                                                   {"F9", 120},
                                                   {"F10", 121},
                                                   {"F11", 122},
                                                   {"F12", 123}}};

}  // namespace

std::uint16_t TD::KeyNameToCode(const std::string& name) {
    for (const KeyName& key : kRequestKeys) {
        if (name == key.name) return key.code;
    }
    return 0;
}

bool TD::IsRequestKey(std::uint16_t keyCode) {
    for (const KeyName& key : kRequestKeys) {
        if (key.code == keyCode) return true;
    }
    return false;
}

bool TD::KeyRequest(std::uint16_t keyCode) {
    if (!IsRequestKey(keyCode)) return false;
    bool any = false;
    for (auto& dev : Devices) {
        if (dev->IsInstrument() && dev->AnforderType == AnforderKey &&
            KeyNameToCode(dev->AnforderTasteKeyb) == keyCode) {
            dev->ExtRequest = true;
            any = true;
        }
    }
    return any;
}

void TD::RequestAll() {
    for (auto& dev : Devices) dev->ExtRequest = true;
}

void TD::RequestOne(int index) {
    if (tDevice* dev = DeviceAt(index)) dev->ExtRequest = true;
}

void TD::TimerButtonDown(int index) {
    tDevice* dev = DeviceAt(index);
    if (dev == nullptr) return;
    dev->ExtRequest = true;
    // The due time first, so the worker never sees the timer running with an old one.
    dev->NextTimerTick = Now() + dev->TimerPeriodMs();
    dev->TimerRunning = true;
}

void TD::TimerButtonUp(int index) {
    tDevice* dev = DeviceAt(index);
    if (dev == nullptr) return;
    dev->TimerRunning = false;
    dev->NextTimerTick = 0;
}
