#pragma once
// One instrument or switch cable found by the search, with its settings.

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "engine/deviceDescr.h"
#include "engine/lockedText.h"
#include "engine/workerWake.h"

class TD;
namespace tavrix {
struct XlsPlace;
}
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

    // Received text without a terminator is dropped past this length (a line of a
    // gauge is a few dozen characters).
    static constexpr std::size_t kMaxRxBufLen = 4096;

    // Rings the worker; the fields below that the main thread sets ring it when stored.
    tavrix::WakeSignal WorkerWake;

    // --- worker state: written by the worker, read by the windows ---
    tTimerThread* Thread = nullptr;  // not owned
    // Main thread: the worker was asked to end but is still in its tick past the stop's
    // wait. Its port stays as it is (not closed, not opened again) until it has ended.
    bool WorkerStranded = false;
    std::atomic<bool> Starting{true};
    std::int64_t CreatedTick = 0;
    std::atomic<std::int32_t> FtStatus{0};
    std::atomic<std::uint8_t> State{0};  // 0 idle, 1 sent, 2 second sent, 3 first sent again
    std::int64_t ReqTick = -1;           // below 1: no request in force
    std::string LastMsg;
    std::int32_t AnswerCount = 0;
    // The spreadsheet output's memory (main thread): the marker of the workbook this
    // device writes to, and the target of its previous write, to notice a change.
    std::string XlsWbName;
    bool XlsLastVorlageSlct = false;
    std::string XlsLastFile;
    std::string XlsLastVorlage;
    // Where the last walk to this device's cell led, while still true (see XlsPlace).
    std::shared_ptr<tavrix::XlsPlace> XlsKnown;
    std::string RxBuf;

    // --- identity ---
    const std::uint8_t Connection;
    std::int32_t DescrIdx = 0;
    const std::int32_t DevIdx;
    std::int32_t ItemIdx;
    tavrix::WakingAtomic<bool> Opened{WorkerWake, false};
    const tDeviceDescr* Descr = nullptr;  // points into D's description lists
    std::string DescrText;
    tFT_Device* Ft = nullptr;        // owned by D.FtDevices
    tRS232_Device* Rs232 = nullptr;  // owned by D.Rs232Devices

    // --- settings stored in the configuration file under the same names ---
    std::string DeviceName;
    std::string DeviceType;
    tavrix::WakingAtomic<bool> ExtRequest{WorkerWake, false};
    std::string MwText;
    double MwValue = 0.0;
    std::int32_t LastFtStatus = -1;
    tavrix::LockedText FtStatusText;  // set by the worker and by the value output
    // The cable's own text for its last status (FtStatus), kept by the worker, so that a
    // recovered output can show it again.
    tavrix::LockedText CableStatusText;
    std::int64_t LedTick = -1;
    tavrix::WakingAtomic<std::int64_t> NextTimerTick{WorkerWake, 0};
    tavrix::WakingAtomic<bool> TimerRunning{WorkerWake, false};
    std::int64_t LastSecond = 0;
    tavrix::WakingAtomic<std::uint8_t> AnforderType{WorkerWake, AnforderNone};
    std::string AnforderTasteKeyb;
    std::string AnforderSerNrTVI;
    tavrix::WakingAtomic<std::int32_t> AnforderTicksTimer{WorkerWake, 10000};
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
    // The period of the timer requests: AnforderTicksTimer, but never below 1 s or the
    // type's answer time-out, so a bad settings file cannot send requests back to back.
    std::int32_t TimerPeriodMs() const;
    // The period a timer of `ms` runs with on a device of `descr` (may be null): at
    // least a second, and no shorter than the time the device may take to answer.
    static std::int32_t TimerPeriodFor(std::int64_t ms, const tDeviceDescr* descr);
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

    // --- the worker's tick and its steps (worker thread) ---
    void Poll();
    // A line that is not open cannot be asked: its requests fail at once (message 1027/3)
    // instead of waiting unseen to fire when it is opened later.
    void FailRequestsWhileClosed();
    // A COM port's state (open, not open, gone) as message 1026 when it changes.
    void ReportPortState();
    // The COM port's line failed while it was open (set by the worker, cleared by Open).
    std::atomic<bool> PortGone{false};
    void SendRequest();
    void SendRequest2();
    // Drops what was received before a request goes out.
    void DropWaitingInput();
    // Reads what arrived; false when the port or cable failed.
    bool ReadInput(std::string& text);
    bool ReadSwitch(std::uint8_t& pins);
    void SplitAnswers();
    void TakeAnswer();
    bool CheckAnswer(const std::string& answer) const;
    // The worker's rest after a tick: until the earliest moment something is due,
    // bytes or a switch change arrive on the line, or the worker is rung.
    void WaitForWork();
    // The engine time of the earliest moment the tick after one at `tickNow` has
    // something to do by the clock alone; -1 when nothing is due.
    std::int64_t NextDueTick(std::int64_t tickNow) const;

    // --- value (main thread) ---
    void ExtractValue();
    // The last text-file write failed; the next good one reports the recovery.
    bool TxtFileFailed = false;
    // What became of the last value handed to its target: written or not, and the
    // spreadsheet row it went to (0: none).
    bool LastValueWritten = false;
    std::int32_t LastValueRow = 0;

    TD& Owner() const { return owner_; }

    // A message about this device (lParam: its index) to the status window; none once
    // muted.
    void Post(std::uint32_t msg, std::int64_t wParam);
    // Main thread, before the record is let go while its worker still runs: once this
    // returns, no message of the worker can name the index a new record may have.
    void Mute();

private:
    TD& owner_;
    std::mutex postMutex_;
    bool muted_ = false;
    mutable std::mutex valuesMutex_;
    std::deque<std::string> values_;
};
