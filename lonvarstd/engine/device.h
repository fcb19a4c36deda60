#pragma once
// One instrument or switch cable found by the search, with its settings.

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

#include "engine/deviceDescr.h"

class TD;
class tFT_Device;
class tRS232_Device;
class tTimerThread;
class TNewIniFile;

// Connection kinds.
enum : std::uint8_t { ConnectionRs232 = 1, ConnectionUsb = 2 };

// Request kinds (AnforderType) and value targets (MwZielAppl).
enum : std::uint8_t { AnforderNone = 0, AnforderKey = 1, AnforderSwitch = 2, AnforderTimer = 3 };
enum : std::uint8_t { MwZielNone = 0, MwZielXls = 1, MwZielTxt = 2 };

class tDevice {
public:
    // PortObject is the tRS232_Device for ConnectionRs232 and the tFT_Device for ConnectionUsb.
    tDevice(TD& owner, std::uint8_t connection, void* portObject, int itemIdx, int devIdx);
    tDevice(const tDevice&) = delete;
    tDevice& operator=(const tDevice&) = delete;
    ~tDevice();

    // --- worker state (filled in by the request and reception code) ---
    tTimerThread* Thread = nullptr;  // not owned
    std::atomic<bool> Starting{true};
    std::int64_t CreatedTick = 0;
    std::int32_t FtStatus = 0;
    std::uint8_t State = 0;
    std::int64_t ReqTick = -1;
    std::string LastMsg;
    std::int32_t AnswerCount = 0;
    std::string RxBuf;

    // --- identity ---
    const std::uint8_t Connection;
    std::int32_t DescrIdx = 0;
    const std::int32_t DevIdx;
    std::int32_t ItemIdx;
    std::atomic<bool> Opened{false};
    const tDeviceDescr* Descr = nullptr;  // points into D's description lists
    std::string DescrText;
    tFT_Device* Ft = nullptr;        // owned by D.FtDevices
    tRS232_Device* Rs232 = nullptr;  // owned by D.Rs232Devices

    // --- settings stored in the configuration file under the same names ---
    std::string DeviceName;
    std::string DeviceType;
    std::atomic<bool> ExtRequest{false};
    std::string MwText;
    double MwValue = 0.0;
    std::int32_t LastFtStatus = -1;
    std::string FtStatusText;
    std::int64_t LedTick = -1;
    std::atomic<std::int64_t> NextTimerTick{0};
    std::atomic<bool> TimerRunning{false};
    std::int64_t LastSecond = 0;
    std::atomic<std::uint8_t> AnforderType{AnforderNone};
    std::string AnforderTasteKeyb;
    std::string AnforderSerNrTVI;
    std::atomic<std::int32_t> AnforderTicksTimer{10000};
    std::uint8_t MwZielAppl = MwZielXls;
    std::string MwTxtZielFile;
    bool MwXlsZielVorlageSlct = true;
    std::string MwXlsZielVorlage;
    std::string MwXlsZielFile;
    std::string MwXlsZielTable;
    std::int32_t MwXlsZielCol = 1;
    std::int32_t MwXlsZielStartRow = 1;
    std::int32_t XlsRow = 1;
    bool AnforderCycle = false;
    std::int32_t AnforderCycleIdx = 1;
    std::int32_t SchalterCycleCount = 1;
    std::int32_t SchalterCycleIdx = 0;

    // --- queries ---
    std::string GetPortName() const;
    std::string GetSerNr() const;
    std::string GetId() const;
    std::string GetSectionName() const;
    bool IsSwitch() const { return Descr != nullptr && Descr->IsSwitch(); }
    bool IsInstrument() const { return Descr != nullptr && Descr->IsInstrument(); }

    // --- value queue: the worker appends, the main thread takes the oldest ---
    void AppendValue(const std::string& value);
    std::string GetFirstValue() const;
    void DropFirstValue();
    std::size_t ValueCount() const;

    // --- configuration (the file is the one D has open) ---
    void LoadConfig(TNewIniFile& ini, int columnCounter);
    void SaveConfig(TNewIniFile& ini) const;

    // --- connection ---
    bool Open();
    void Close();

    TD& Owner() const { return owner_; }

private:
    TD& owner_;
    mutable std::mutex valuesMutex_;
    std::deque<std::string> values_;
};
