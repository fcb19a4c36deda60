#pragma once
// The two halves every cable back end provides: the device list, and one open
// cable. FT_HANDLE values handed to the program point at registered FtCable
// objects (see ftd2xx.cpp).

#include <memory>
#include <string>

#include "ftd2xx/ftd2xx.h"
#include "wake_rest.h"

namespace tavrix::ftd2xx {

class FtCable {
public:
    virtual ~FtCable() = default;
    // Releases the cable; the object is destroyed afterwards whatever it returns.
    virtual FT_STATUS close() = 0;
    virtual FT_STATUS setDtr(bool on) = 0;
    virtual FT_STATUS setRts(bool on) = 0;
    virtual FT_STATUS setBaudRate(ULONG baud) = 0;
    virtual FT_STATUS setDataCharacteristics(UCHAR wordLength, UCHAR stopBits, UCHAR parity) = 0;
    virtual FT_STATUS setTimeouts(ULONG readMs, ULONG writeMs) = 0;
    virtual FT_STATUS getQueueStatus(DWORD& rxBytes) = 0;
    virtual FT_STATUS write(const void* data, DWORD size, DWORD& written) = 0;
    virtual FT_STATUS read(void* data, DWORD size, DWORD& got) = 0;
    virtual FT_STATUS getBitMode(UCHAR& pins) = 0;
    virtual FT_STATUS waitForData(DWORD timeoutMs, DWORD& rxBytes) = 0;
    // See FTX_WaitForEvent.
    virtual FT_STATUS waitForEvent(int wakeFd, DWORD timeoutMs, DWORD watch, DWORD& events) = 0;
};

// Rests on `wakeFd` alone (-1: on nothing) for at most `timeoutMs`; FTX_EVENT_WAKE or 0.
inline DWORD restOnWake(int wakeFd, DWORD timeoutMs) {
    const int wait = timeoutMs > 3600000u ? 3600000 : static_cast<int>(timeoutMs);
    return platform::RestOnWake(wakeFd, wait) ? FTX_EVENT_WAKE : 0u;
}

class FtBackend {
public:
    virtual ~FtBackend() = default;
    virtual FT_STATUS count(DWORD& devices) = 0;
    virtual FT_STATUS serialNumber(DWORD index, std::string& text) = 0;
    virtual FT_STATUS description(DWORD index, std::string& text) = 0;
    virtual FT_STATUS open(int index, std::unique_ptr<FtCable>& cable) = 0;
};

}  // namespace tavrix::ftd2xx
