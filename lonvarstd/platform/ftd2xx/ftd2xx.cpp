// The cable library entry points: pick the back end, keep the open handles.
// Handles are numbers that are never reused, so a stale or made-up handle is
// refused with FT_INVALID_HANDLE instead of touching freed memory.

#include "ftd2xx/ftd2xx.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "bench/bench_cables.h"
#include "bench/bench_ports.h"
#include "ftd2xx/ft_backend.h"
#include "ftd2xx/ftdi_backend.h"

namespace {

using tavrix::ftd2xx::FtBackend;
using tavrix::ftd2xx::FtCable;

// What the caller's list buffer holds at least (the vendor documents 64 bytes).
constexpr std::size_t kListBufferSize = 64;

std::mutex g_mutex;
std::map<std::uintptr_t, std::shared_ptr<FtCable>> g_open;
std::uintptr_t g_nextHandle = 1;

std::shared_ptr<FtBackend> backend() {
    static std::shared_ptr<FtBackend> bench;
    static std::string benchPath;
    static std::shared_ptr<FtBackend> ftdi;
    const std::string path = tavrix::bench::benchSocketPath();
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!path.empty()) {
        if (!bench || path != benchPath) {
            bench = tavrix::bench::makeBenchCableBackend(path);
            benchPath = path;
        }
        return bench;
    }
    if (!ftdi) ftdi = tavrix::ftd2xx::makeFtdiBackend();
    return ftdi;
}

std::shared_ptr<FtCable> cableOf(FT_HANDLE handle) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_open.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == g_open.end() ? nullptr : it->second;
}

template <class Call>
FT_STATUS withCable(FT_HANDLE handle, Call call) {
    auto cable = cableOf(handle);
    if (!cable) return FT_INVALID_HANDLE;
    return call(*cable);
}

}  // namespace

extern "C" {

FT_STATUS FT_ListDevices(void* pArg1, void* pArg2, DWORD Flags) {
    auto b = backend();
    if (Flags == FT_LIST_NUMBER_ONLY) {
        if (!pArg1) return FT_INVALID_PARAMETER;
        DWORD n = 0;
        FT_STATUS st = b->count(n);
        *static_cast<DWORD*>(pArg1) = st == FT_OK ? n : 0;
        return st;
    }
    const bool bySerial = Flags == (FT_LIST_BY_INDEX | FT_OPEN_BY_SERIAL_NUMBER);
    const bool byDescription = Flags == (FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION);
    if ((!bySerial && !byDescription) || !pArg2) return FT_INVALID_PARAMETER;
    const auto index = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(pArg1));
    std::string text;
    FT_STATUS st = bySerial ? b->serialNumber(index, text) : b->description(index, text);
    if (st != FT_OK) return st;
    // Never more than the buffer the caller is promised to have.
    const std::size_t n = std::min(text.size(), kListBufferSize - 1);
    std::memcpy(pArg2, text.data(), n);
    static_cast<char*>(pArg2)[n] = '\0';
    return FT_OK;
}

FT_STATUS FT_Open(int deviceNumber, FT_HANDLE* pHandle) {
    if (!pHandle || deviceNumber < 0) return pHandle ? FT_DEVICE_NOT_FOUND : FT_INVALID_PARAMETER;
    std::unique_ptr<FtCable> cable;
    FT_STATUS st = backend()->open(deviceNumber, cable);
    if (st != FT_OK) return st;
    if (!cable) return FT_DEVICE_NOT_OPENED;
    std::lock_guard<std::mutex> lock(g_mutex);
    const std::uintptr_t id = g_nextHandle++;
    g_open[id] = std::move(cable);
    *pHandle = reinterpret_cast<FT_HANDLE>(id);
    return FT_OK;
}

FT_STATUS FT_Close(FT_HANDLE ftHandle) {
    std::shared_ptr<FtCable> cable;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        auto it = g_open.find(reinterpret_cast<std::uintptr_t>(ftHandle));
        if (it == g_open.end()) return FT_INVALID_HANDLE;
        cable = std::move(it->second);
        g_open.erase(it);
    }
    return cable->close();
}

FT_STATUS FT_SetDtr(FT_HANDLE ftHandle) {
    return withCable(ftHandle, [&](FtCable& c) { return c.setDtr(true); });
}
FT_STATUS FT_ClrDtr(FT_HANDLE ftHandle) {
    return withCable(ftHandle, [&](FtCable& c) { return c.setDtr(false); });
}
FT_STATUS FT_SetRts(FT_HANDLE ftHandle) {
    return withCable(ftHandle, [&](FtCable& c) { return c.setRts(true); });
}
FT_STATUS FT_ClrRts(FT_HANDLE ftHandle) {
    return withCable(ftHandle, [&](FtCable& c) { return c.setRts(false); });
}
FT_STATUS FT_SetBaudRate(FT_HANDLE ftHandle, ULONG BaudRate) {
    return withCable(ftHandle, [&](FtCable& c) { return c.setBaudRate(BaudRate); });
}
FT_STATUS FT_SetDataCharacteristics(FT_HANDLE ftHandle, UCHAR WordLength, UCHAR StopBits,
                                    UCHAR Parity) {
    return withCable(ftHandle, [&](FtCable& c) {
        return c.setDataCharacteristics(WordLength, StopBits, Parity);
    });
}
FT_STATUS FT_SetTimeouts(FT_HANDLE ftHandle, ULONG ReadTimeout, ULONG WriteTimeout) {
    return withCable(ftHandle,
                     [&](FtCable& c) { return c.setTimeouts(ReadTimeout, WriteTimeout); });
}

FT_STATUS FT_GetQueueStatus(FT_HANDLE ftHandle, DWORD* dwRxBytes) {
    if (!dwRxBytes) return FT_INVALID_PARAMETER;
    *dwRxBytes = 0;
    return withCable(ftHandle, [&](FtCable& c) { return c.getQueueStatus(*dwRxBytes); });
}

FT_STATUS FT_Write(FT_HANDLE ftHandle, void* lpBuffer, DWORD dwBytesToWrite,
                   DWORD* lpBytesWritten) {
    if (!lpBytesWritten || (!lpBuffer && dwBytesToWrite > 0)) return FT_INVALID_PARAMETER;
    *lpBytesWritten = 0;
    return withCable(
        ftHandle, [&](FtCable& c) { return c.write(lpBuffer, dwBytesToWrite, *lpBytesWritten); });
}

FT_STATUS FT_Read(FT_HANDLE ftHandle, void* lpBuffer, DWORD dwBytesToRead, DWORD* lpBytesReturned) {
    if (!lpBytesReturned || (!lpBuffer && dwBytesToRead > 0)) return FT_INVALID_PARAMETER;
    *lpBytesReturned = 0;
    return withCable(ftHandle,
                     [&](FtCable& c) { return c.read(lpBuffer, dwBytesToRead, *lpBytesReturned); });
}

FT_STATUS FT_GetBitMode(FT_HANDLE ftHandle, UCHAR* pucMode) {
    if (!pucMode) return FT_INVALID_PARAMETER;
    return withCable(ftHandle, [&](FtCable& c) { return c.getBitMode(*pucMode); });
}

FT_STATUS FTX_WaitForEvent(FT_HANDLE ftHandle, int wakeFd, DWORD timeoutMs, DWORD watch,
                           DWORD* events) {
    if (!events) return FT_INVALID_PARAMETER;
    *events = 0;
    auto cable = cableOf(ftHandle);
    if (!cable) {
        *events = tavrix::ftd2xx::restOnWake(wakeFd, timeoutMs);
        return FT_INVALID_HANDLE;
    }
    return cable->waitForEvent(wakeFd, timeoutMs, watch, *events);
}

FT_STATUS FTX_WaitForData(FT_HANDLE ftHandle, DWORD timeoutMs, DWORD* dwRxBytes) {
    if (!dwRxBytes) return FT_INVALID_PARAMETER;
    *dwRxBytes = 0;
    return withCable(ftHandle, [&](FtCable& c) { return c.waitForData(timeoutMs, *dwRxBytes); });
}

}  // extern "C"
