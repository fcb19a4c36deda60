#include "transport/d2xx/D2XX.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>

std::uint32_t FtDeviceCount = 0;
std::int32_t LastCountStatus = 0;
bool FtListFilled = false;
std::vector<std::int32_t> FtUnopenedCables;

namespace {

std::atomic<TD2xxMessageBox*> g_messageBox{nullptr};

void ShowCountError(const std::string& text) {
    if (TD2xxMessageBox* box = g_messageBox.load()) {
        box->ShowError(text);
        return;
    }
    std::fprintf(stderr, "%s\n", text.c_str());
}

}  // namespace

void SetD2xxMessageBox(TD2xxMessageBox* box) {
    g_messageBox.store(box);
}

std::string FtStatusText(FT_STATUS status) {
    switch (status) {
        case 1:
            return " - Invalid Handle...";
        case 2:
            return " - Device not Found....";
        case 3:
            return " - Device not Opened...";
        case 4:
            return " - General IO Error...";
        case 5:
            return " - Insufficient Resources...";
        case 6:
            return " - Invalid Parameter ...";
        default:
            return std::string();
    }
}

tFT_Device::tFT_Device(std::int32_t index)
    : Index(index),
      OpenIndex(index),
      InBuf(new char[kBufSize]()),
      OutBuf(new char[kBufSize]()),
      ListBuf(new char[kListBufSize]()) {
    GetFTDeviceSerialNo();
    GetFTDeviceDescription();
}

tFT_Device::~tFT_Device() {
    // A cable still open would stay claimed by this process, and no later open
    // of it could succeed until the program ends.
    if (IsOpen) FT_Close(Handle);
}

FT_STATUS tFT_Device::Record(FT_STATUS status, const char* operation) {
    Status = static_cast<std::int32_t>(status);
    if (status != FT_OK) {
        const std::string text = FtStatusText(status);
        ErrorText = text.empty() ? std::string() : operation + text;
    }
    return status;
}

FT_STATUS tFT_Device::ListString(DWORD flags, std::string& out, const char* operation) {
    std::memset(ListBuf.get(), 0, kListBufSize);
    FT_STATUS st = FT_ListDevices(reinterpret_cast<void*>(static_cast<std::uintptr_t>(Index)),
                                  ListBuf.get(), flags);
    out = st == FT_OK ? std::string(ListBuf.get(), strnlen(ListBuf.get(), kListBufSize))
                      : std::string();
    return Record(st, operation);
}

FT_STATUS tFT_Device::GetFTDeviceSerialNo() {
    return ListString(FT_LIST_BY_INDEX | FT_OPEN_BY_SERIAL_NUMBER, SerialNo, "GetFTDeviceSerialNo");
}

FT_STATUS tFT_Device::GetFTDeviceDescription() {
    return ListString(FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION, Description,
                      "GetFTDeviceDescription");
}

FT_STATUS tFT_Device::Open() {
    FT_HANDLE handle = nullptr;
    FT_STATUS st = FT_Open(OpenIndex, &handle);
    if (st == FT_OK) {
        Handle = handle;
        IsOpen = true;
    }
    return Record(st, "FT_Open");
}

FT_STATUS tFT_Device::Close() {
    IsOpen = false;
    FT_STATUS st = FT_Close(Handle);
    // The library has let go of the handle either way; keeping it would let a
    // later call reach a closed cable.
    Handle = nullptr;
    return Record(st, "FT_Close");
}

FT_STATUS tFT_Device::SetRts() {
    return Record(FT_SetRts(Handle), "FT_SetRTS");
}
FT_STATUS tFT_Device::ClrRts() {
    return Record(FT_ClrRts(Handle), "FT_ClrRTS");
}
FT_STATUS tFT_Device::SetDtr() {
    return Record(FT_SetDtr(Handle), "FT_SetDTR");
}
FT_STATUS tFT_Device::ClrDtr() {
    return Record(FT_ClrDtr(Handle), "FT_ClrDTR");
}

FT_STATUS tFT_Device::SetBaudRate(std::int32_t baud) {
    BaudRate = baud;
    return Record(FT_SetBaudRate(Handle, static_cast<ULONG>(baud)), "FT_SetBaudRate");
}

FT_STATUS tFT_Device::SetDataCharacteristics(std::uint8_t wordLength, std::uint8_t stopBits,
                                             std::uint8_t parity) {
    WordLength = wordLength;
    StopBits = stopBits;
    Parity = parity;
    return Record(FT_SetDataCharacteristics(Handle, wordLength, stopBits, parity),
                  "FT_SetDataCharacteristics");
}

FT_STATUS tFT_Device::SetTimeouts(std::uint32_t readMs, std::uint32_t writeMs) {
    return Record(FT_SetTimeouts(Handle, readMs, writeMs), "FT_SetTimeouts");
}

FT_STATUS tFT_Device::GetQueueStatus() {
    DWORD rx = 0;
    FT_STATUS st = FT_GetQueueStatus(Handle, &rx);
    RxBytes = st == FT_OK ? rx : 0;
    return Record(st, "FT_GetQueueStatus");
}

FT_STATUS tFT_Device::WaitForData(std::uint32_t timeoutMs) {
    DWORD rx = 0;
    FT_STATUS st = FTX_WaitForData(Handle, timeoutMs, &rx);
    RxBytes = st == FT_OK ? rx : 0;
    return Record(st, "FT_GetQueueStatus");
}

FT_STATUS tFT_Device::WaitForEvent(int wakeFd, std::uint32_t timeoutMs, bool pins) {
    DWORD events = 0;
    return FTX_WaitForEvent(Handle, wakeFd, timeoutMs, pins ? FTX_WATCH_PINS : FTX_WATCH_RX,
                            &events);
}

std::int32_t tFT_Device::WriteText(const std::string& text) {
    // The send buffer keeps a terminating zero: a longer text is cut, and the
    // smaller count tells the caller so.
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(OutBufSize - 1));
    std::memcpy(OutBuf.get(), text.data(), n);
    OutBuf[n] = '\0';
    DWORD written = 0;
    FT_STATUS st = FT_Write(Handle, OutBuf.get(), static_cast<DWORD>(n), &written);
    Record(st, "FT_Write");
    return st == FT_OK ? static_cast<std::int32_t>(written) : 0;
}

std::int32_t tFT_Device::Read(std::int32_t count, std::string& text) {
    std::memset(InBuf.get(), 0, static_cast<std::size_t>(InBufSize));
    // Never more than the buffer holds with its terminating zero.
    const std::int32_t wanted = std::max(0, std::min(count, InBufSize - 1));
    DWORD got = 0;
    FT_STATUS st = FT_Read(Handle, InBuf.get(), static_cast<DWORD>(wanted), &got);
    Record(st, "FT_Read");
    if (st != FT_OK) {
        text.clear();
        return 0;
    }
    text.assign(InBuf.get());
    return static_cast<std::int32_t>(got);
}

std::int32_t tFT_Device::DiscardInput() {
    if (GetQueueStatus() != FT_OK) return 0;
    std::int32_t left = static_cast<std::int32_t>(RxBytes);
    std::int32_t dropped = 0;
    std::string ignored;
    while (left > 0) {
        const std::int32_t got = Read(std::min(left, InBufSize - 1), ignored);
        if (got <= 0) break;
        left -= got;
        dropped += got;
    }
    return dropped;
}

FT_STATUS tFT_Device::GetBitMode(std::uint8_t& mode) {
    UCHAR pins = 0;
    FT_STATUS st = FT_GetBitMode(Handle, &pins);
    if (st == FT_OK) mode = pins;
    return Record(st, "FT_GetBitMode");
}

FT_STATUS GetFTDeviceCount() {
    DWORD n = 0;
    FT_STATUS st = FT_ListDevices(&n, nullptr, FT_LIST_NUMBER_ONLY);
    FtDeviceCount = st == FT_OK ? n : 0;
    if (st != FT_OK && static_cast<std::int32_t>(st) != LastCountStatus)
        ShowCountError("GetFTDeviceCount" + FtStatusText(st));
    LastCountStatus = static_cast<std::int32_t>(st);
    return st;
}

void ListFtDevices(TFtDeviceList& list) {
    GetFTDeviceCount();
    FtUnopenedCables.clear();
    for (std::uint32_t k = 0; k < FtDeviceCount; ++k) {
        auto device = std::make_unique<tFT_Device>(static_cast<std::int32_t>(k));
        if (device->Status == 0) {
            list.push_back(std::move(device));
        } else if (device->Status == FT_DEVICE_NOT_OPENED) {
            FtUnopenedCables.push_back(static_cast<std::int32_t>(k));
        }
    }
    FtListFilled = true;
}

void FreeFtDevices(TFtDeviceList& list) {
    if (!FtListFilled) return;
    while (!list.empty()) list.pop_back();
}
