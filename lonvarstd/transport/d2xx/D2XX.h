#pragma once
// USB gauge cables: the device count, the cable list and one object per cable
// with one operation per cable library call. Every operation records the
// library's status and, on failure, an error text; the engine reads both.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ftd2xx/ftd2xx.h"

// Where the count's error message goes. The windows install one that shows a
// message box; without one the text goes to stderr.
class TD2xxMessageBox {
public:
    virtual ~TD2xxMessageBox() = default;
    // An error box (error icon, OK button) with `text`.
    virtual void ShowError(const std::string& text) = 0;
};
void SetD2xxMessageBox(TD2xxMessageBox* box);

// " - Invalid Handle..." and so on for codes 1..6; empty for any other code.
std::string FtStatusText(FT_STATUS status);

class tFT_Device {
public:
    static constexpr std::int32_t kBufSize = 100;
    static constexpr std::size_t kListBufSize = 32767;

    // Create: remembers the index and asks for serial number and description.
    explicit tFT_Device(std::int32_t index);
    ~tFT_Device();
    tFT_Device(const tFT_Device&) = delete;
    tFT_Device& operator=(const tFT_Device&) = delete;

    FT_STATUS GetFTDeviceSerialNo();
    FT_STATUS GetFTDeviceDescription();
    FT_STATUS Open();
    FT_STATUS Close();
    FT_STATUS SetRts();
    FT_STATUS ClrRts();
    FT_STATUS SetDtr();
    FT_STATUS ClrDtr();
    FT_STATUS SetBaudRate(std::int32_t baud);
    FT_STATUS SetDataCharacteristics(std::uint8_t wordLength, std::uint8_t stopBits,
                                     std::uint8_t parity);
    FT_STATUS SetTimeouts(std::uint32_t readMs, std::uint32_t writeMs);
    FT_STATUS GetQueueStatus();
    // Sends at most kBufSize - 1 bytes of `text`; the count sent, 0 on failure.
    std::int32_t WriteText(const std::string& text);
    // Reads up to `count` (at most kBufSize - 1) bytes. `text` ends at the first
    // zero byte; the result counts every byte received, 0 on failure.
    std::int32_t Read(std::int32_t count, std::string& text);
    // Reads and drops what waits in the receive queue when called; the bytes dropped.
    std::int32_t DiscardInput();
    FT_STATUS GetBitMode(std::uint8_t& mode);
    // Waits up to `timeoutMs` for received bytes, then sets RxBytes like GetQueueStatus.
    FT_STATUS WaitForData(std::uint32_t timeoutMs);
    // The worker's rest: until bytes arrive (or, with `pins`, the pin byte may have
    // changed), `wakeFd` turns readable, or `timeoutMs` passed. Our own call, not
    // the library's: it leaves Status and ErrorText alone.
    FT_STATUS WaitForEvent(int wakeFd, std::uint32_t timeoutMs, bool pins);

    std::int32_t Index;
    std::int32_t DevIdx = 0;
    bool IsOpen = false;
    FT_HANDLE Handle = nullptr;
    std::int32_t OpenIndex;
    std::string SerialNo;
    std::string Description;
    std::int32_t InBufSize = kBufSize;
    std::unique_ptr<char[]> InBuf;
    std::int32_t OutBufSize = kBufSize;
    std::unique_ptr<char[]> OutBuf;
    std::int32_t Status = 0;
    std::string ErrorText;
    std::int32_t BaudRate = 0;
    std::uint8_t WordLength = 0;
    std::uint8_t StopBits = 0;
    std::uint8_t Parity = 0;
    std::uint32_t RxBytes = 0;
    std::unique_ptr<char[]> ListBuf;

private:
    FT_STATUS Record(FT_STATUS status, const char* operation);
    FT_STATUS ListString(DWORD flags, std::string& out, const char* operation);
};

using TFtDeviceList = std::vector<std::unique_ptr<tFT_Device>>;

extern std::uint32_t FtDeviceCount;
extern std::int32_t LastCountStatus;
extern bool FtListFilled;
// The indexes of the cables of the last listing that are attached but could not be asked
// for their names because they could not be opened (no permission, or held by another
// program); they are not in the list.
extern std::vector<std::int32_t> FtUnopenedCables;

// Asks the library for the device count; an error box once per change of the error status.
FT_STATUS GetFTDeviceCount();
// Appends one object per cable whose queries succeeded, in index order.
void ListFtDevices(TFtDeviceList& list);
// Frees the list from the last to the first; does nothing before the first ListFtDevices.
void FreeFtDevices(TFtDeviceList& list);
