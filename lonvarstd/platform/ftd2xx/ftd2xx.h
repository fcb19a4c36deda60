#pragma once
// The USB cable library interface the program uses, with the vendor's function
// names, argument order, flags and status codes. Two back ends: libftdi1 for
// real cables, and the gauge bench when the environment names one.

#include <cstdint>

extern "C" {

typedef void* FT_HANDLE;
typedef std::uint32_t FT_STATUS;
typedef std::uint32_t DWORD;
typedef std::uint32_t ULONG;
typedef unsigned char UCHAR;

enum : FT_STATUS {
    FT_OK = 0,
    FT_INVALID_HANDLE = 1,
    FT_DEVICE_NOT_FOUND = 2,
    FT_DEVICE_NOT_OPENED = 3,
    FT_IO_ERROR = 4,
    FT_INSUFFICIENT_RESOURCES = 5,
    FT_INVALID_PARAMETER = 6,
};

enum : DWORD {
    FT_LIST_NUMBER_ONLY = 0x80000000u,
    FT_LIST_BY_INDEX = 0x40000000u,
    FT_OPEN_BY_SERIAL_NUMBER = 1u,
    FT_OPEN_BY_DESCRIPTION = 2u,
};

// Line setting codes of FT_SetDataCharacteristics.
enum : UCHAR {
    FT_BITS_7 = 7,
    FT_BITS_8 = 8,
    FT_STOP_BITS_1 = 0,
    FT_STOP_BITS_1_5 = 1,
    FT_STOP_BITS_2 = 2,
    FT_PARITY_NONE = 0,
    FT_PARITY_ODD = 1,
    FT_PARITY_EVEN = 2,
    FT_PARITY_MARK = 3,
    FT_PARITY_SPACE = 4,
};

// FT_LIST_NUMBER_ONLY: pArg1 = DWORD* count, pArg2 unused.
// FT_LIST_BY_INDEX | FT_OPEN_BY_x: pArg1 = index cast to a pointer, pArg2 = char buffer
// (at least 64 bytes) that receives a zero-terminated string.
FT_STATUS FT_ListDevices(void* pArg1, void* pArg2, DWORD Flags);
FT_STATUS FT_Open(int deviceNumber, FT_HANDLE* pHandle);
FT_STATUS FT_Close(FT_HANDLE ftHandle);
FT_STATUS FT_SetDtr(FT_HANDLE ftHandle);
FT_STATUS FT_ClrDtr(FT_HANDLE ftHandle);
FT_STATUS FT_SetRts(FT_HANDLE ftHandle);
FT_STATUS FT_ClrRts(FT_HANDLE ftHandle);
FT_STATUS FT_SetBaudRate(FT_HANDLE ftHandle, ULONG BaudRate);
FT_STATUS FT_SetDataCharacteristics(FT_HANDLE ftHandle, UCHAR WordLength, UCHAR StopBits,
                                    UCHAR Parity);
FT_STATUS FT_SetTimeouts(FT_HANDLE ftHandle, ULONG ReadTimeout, ULONG WriteTimeout);
FT_STATUS FT_GetQueueStatus(FT_HANDLE ftHandle, DWORD* dwRxBytes);
FT_STATUS FT_Write(FT_HANDLE ftHandle, void* lpBuffer, DWORD dwBytesToWrite, DWORD* lpBytesWritten);
FT_STATUS FT_Read(FT_HANDLE ftHandle, void* lpBuffer, DWORD dwBytesToRead, DWORD* lpBytesReturned);
FT_STATUS FT_GetBitMode(FT_HANDLE ftHandle, UCHAR* pucMode);

// Our own addition, not a vendor call: waits up to timeoutMs (0 = just looks)
// until received bytes are waiting, so a worker can block instead of polling.
// *dwRxBytes is the queue length afterwards (0 when the time ran out).
FT_STATUS FTX_WaitForData(FT_HANDLE ftHandle, DWORD timeoutMs, DWORD* dwRxBytes);

// Our own addition too: rests until the cable has received bytes (FTX_WATCH_RX),
// its pin byte may have changed (FTX_WATCH_PINS), wakeFd (-1: none) turns
// readable, or timeoutMs passed. *events says which (FTX_EVENT_*, 0 when the
// time ran out). A cable that has gone away is not waited on: the call rests on
// wakeFd alone and reports the failure, so its caller never spins.
enum : DWORD { FTX_WATCH_RX = 1u, FTX_WATCH_PINS = 2u };
enum : DWORD { FTX_EVENT_RX = 1u, FTX_EVENT_PINS = 2u, FTX_EVENT_WAKE = 4u };
FT_STATUS FTX_WaitForEvent(FT_HANDLE ftHandle, int wakeFd, DWORD timeoutMs, DWORD watch,
                           DWORD* events);

}  // extern "C"
