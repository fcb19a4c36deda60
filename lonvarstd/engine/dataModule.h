#pragma once
// The device engine's data module: device types, device records, the port and
// cable objects, the settings held for the configuration files, and the device
// search. The program makes one instance, D.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/captionTable.h"
#include "engine/device.h"
#include "engine/deviceDescr.h"
#include "engine/deviceListModel.h"
#include "engine/engineMessages.h"
#include "engine/rs232Device.h"
#include "engine/timerThread.h"
#include "platform/serial/serial_device.h"
#include "platform/spreadsheet/automation.h"
#include "system_ports.h"
#include "transport/comm/Comm.h"
#include "transport/d2xx/D2XX.h"

namespace tavrix {
struct XlsPlace;
}

class TD {
public:
    // Creates the lists, makes sure ProgDir/DAT exists, loads the program INI file,
    // the captions and the built-in device types.
    TD();
    // The devices must have been freed by ResetDevices before.
    ~TD();
    TD(const TD&) = delete;
    TD& operator=(const TD&) = delete;

    TComm CommSrchPorts;  // tests COM ports during the search
    bool HookActive = false;
    char DezTrenn = '.';
    std::int32_t UsbFound = 0;
    bool ThreadsRunning = false;
    std::int32_t ThreadCount = 0;
    std::vector<std::unique_ptr<tDevice>> Devices;
    TFtDeviceList FtDevices;
    std::vector<std::unique_ptr<tRS232_Device>> Rs232Devices;
    std::string XlsZielVorlageDir;
    std::string XlsZielFileDir;
    std::string TxtZielFileDir;
    bool XlsGlobSlct = true;
    bool XlsGlobVorlageSlct = true;
    std::string XlsGlobVorlage;
    std::string XlsGlobFile;
    std::string TvcFileName;
    bool ShowCom1 = true;
    bool ShowCom2 = true;
    tCaptionTable Captions;
    bool UseTmpConfig = false;
    // The user confirmed a change of the device settings in this run: an end signal
    // (log-out) saves the configuration then, as nobody is there to be asked.
    bool SettingsEdited = false;

    tDeviceDescrList UsbDescrs;
    tDeviceDescrList Rs232Descrs;

    // The rows of the device list that the search keeps in step.
    tDeviceListModel DeviceRows;

    // Counts the times ResetDevices freed the records: a message posted before the
    // last count names a device that is gone, even when its index is in use again.
    std::atomic<std::uint32_t> DevicesGeneration{0};

    // Where messages 1024-1028 go (the status window); none until it is set.
    void SetMessageSink(tavrix::MessageSink* sink) { messageSink_.store(sink); }
    // Safe from any thread; dropped while no sink is set.
    void PostMsg(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) const;

    // The serial ports the COM search may test; the system's ports by default.
    std::function<std::vector<tavrix::serial::PortInfo>()> PortLister;
    // The ports a user can give COM1 and COM2 (with their stable names); the system's
    // by default.
    std::function<std::vector<serial_ports::SystemPort>()> SystemPortLister;
    // The device chosen for COM1 and COM2 (program INI file, section "COMPORTS"), as a
    // by-id name where the port has one; empty for the standard /dev/ttyS0 and /dev/ttyS1.
    std::array<std::string, 2> ComPortDevices;
    // A port or cable that is attached but that the user may not open: told once per
    // device path and run with what to do (the windows show a message box); stderr
    // while none is set. The device's status text says it too.
    std::function<void(const std::string& message)> OnAccessProblem;

    // --- records ---
    void LoadLangTexts(const std::function<std::string(const std::string&)>& translate = {});
    void CreateDeviceDescrs();
    void ResetDevices();
    void DropValue(int index);
    std::string DeviceNameBySerNr(const std::string& serNr) const;
    static std::string MsToTimeStr(std::int64_t ms);

    // --- configuration files ---
    void LoadProgIni();
    void SaveProgIni() const;
    void LoadConfig(bool fromTmp);
    void SaveConfig(bool toTmp) const;
    std::string TmpConfigFileName() const;
    std::string DefaultTvcFileName() const;
    std::string DatDir() const;  // ProgDir + "DAT/"
    // A settings file that exists but cannot be read: its defaults are used and the file
    // is left as it is. Each file is reported once per run, on the main thread, to this
    // handler (the windows show it in a message box; `error` names the file and the
    // reason). A report from before the handler was set (the program INI file is read
    // while TD is made) is handed over when it is set. Without a handler: stderr.
    using SettingsFileErrorHandler =
        std::function<void(const std::string& fileName, const std::string& error)>;
    void SetOnSettingsFileError(SettingsFileErrorHandler handler);
    // The last such error, empty while there was none.
    const std::string& LastSettingsFileError() const { return lastSettingsFileError_; }

    // --- search and connection ---
    void SrchDevices(tDeviceListModel& listView, bool srchCom, bool srchUsb);
    void SrchDevices(bool srchCom, bool srchUsb) { SrchDevices(DeviceRows, srchCom, srchUsb); }
    void ListComPorts(std::vector<std::string>& list);
    // The search timer's tick: when the number of attached cables differs from
    // `lastCount`, resets, searches again, remembers the new count, runs `beforeOpen`
    // (the windows rebuild their panels there, and settings that decide whether a
    // port opens must be in place by then) and opens the devices with their
    // workers. True when it searched.
    bool SrchOnUsbChange(std::uint32_t& lastCount, const std::function<void()>& beforeOpen = {});
    void OpenDevices(bool startThreads);
    void CloseDevices(bool stopThreads);

    // --- clock: milliseconds of the monotonic tick count unless a test sets its own
    // source (before the workers start; they read it on every tick) ---
    std::function<std::int64_t()> TickSource;
    std::int64_t Now() const;

    // --- workers ---
    void StartThreads();
    // Asks every worker to end and waits, handling messages, until all have or 2000 ms
    // have passed. A worker still in its tick then is stranded: its port stays open
    // under it, and is closed when it ends (ReapStrandedWorkers).
    void StopThreads();
    void StartThread(int index);
    // The same for one worker; true when it has ended.
    bool StopThread(int index);
    // A worker's end event; runs on the main thread.
    void ThreadTerminated();
    // Main thread, from the search timer: the stranded workers that have ended are
    // reaped, and what their stop left undone is done (the port closed, a deferred
    // command run, a record let go). Returns how many still run.
    std::size_t ReapStrandedWorkers();
    // Called while StopThreads/StopThread wait, so that the windows keep handling
    // their messages; may stay empty.
    std::function<void()> ProcessPendingMessages;

    // --- requests (main thread) ---
    // F1..F12 (112..123): every instrument requested by that key gets a request.
    bool KeyRequest(std::uint16_t keyCode);
    static std::uint16_t KeyNameToCode(const std::string& name);
    static bool IsRequestKey(std::uint16_t keyCode);
    void RequestAll();
    void RequestOne(int index);
    // The timer button: down requests at once and then every AnforderTicksTimer ms.
    void TimerButtonDown(int index);
    void TimerButtonUp(int index);

    // --- values (main thread) ---
    void EvaluateValue(int index);
    // True when the value reached its target.
    bool OutputValue(int index);
    bool WriteTxtFile(int index);
    // Writes MwText of the device (and, when the office was already running, the
    // values still queued) into its spreadsheet; true when written. Automation errors
    // once the workbook is reached are thrown to the caller.
    bool XlsWriteValue(int index);
    // The cell text for a value text, with DezTrenn as decimal separator.
    std::string XlsValueText(const std::string& text) const;
    // The office while XlsWriteValue runs; empty outside a call.
    tavrix::spreadsheet::Application* XlsApp = nullptr;
    // The first write that reaches a sheet asks the office for its decimal separator.
    bool DezTrennProbe = true;
    // The office the spreadsheet output attaches to or starts: the real one (made on
    // first use) unless a test sets its own, which the caller keeps alive.
    void SetXlsOffice(tavrix::spreadsheet::Office* office) { xlsOffice_ = office; }
    tavrix::spreadsheet::Office& XlsOffice();
    // An automation error that escaped the output of a value on message 1024; the
    // status window shows it and goes on. Without a handler it goes to stderr.
    std::function<void(int index, const std::string& error)> OnXlsError;
    void ReportXlsError(int index, const std::string& error) const;
    // Message 1024 for the device at `index`: evaluate the oldest queued answer,
    // show it (OnShowValue), drop it from the queue, write it to its target (the
    // device's LastValueWritten and LastValueRow tell how that went).
    // False when the queue was empty.
    bool HandleValueMessage(int index);
    std::function<void(int index)> OnShowValue;

    // --- commands of the windows (main thread) ---
    // The device dialog was confirmed for the device at `index`: a COM port device's new
    // description (`newRs232DescrIdx`, -1 unchanged) is put in while its worker is
    // stopped, and the port is reopened with it; the settings count as edited.
    void ApplyDeviceEdit(int index, int newRs232DescrIdx);
    // The spreadsheet test: three test texts through the spreadsheet output of the
    // device at `index`. False when a write failed (reported like any value's); an
    // automation error is thrown to the caller.
    bool XlsWriteTestValues(int index);
    // Every switch cable's cycle and every device's spreadsheet row start again.
    void ResetCycles();

private:
    tDevice* DeviceAt(int index) const;
    // A worker not yet reaped, with the device it ticks (whose WorkerStranded tells a
    // stranded one). A stranded worker's slot takes the device and its port object once
    // the records are freed, so that nothing it may still touch is freed before it ends.
    struct WorkerSlot {
        tDevice* Device = nullptr;
        // Run when a stranded worker of a live record ends (a device edit that waited for
        // it); `resume` false when a stop of all workers came since, or the program ends.
        std::function<void(bool resume)> AfterEnd;
        bool Resume = true;
        std::unique_ptr<tRS232_Device> HeldRs232;
        std::unique_ptr<tFT_Device> HeldFt;
        std::unique_ptr<tDevice> HeldDevice;
        std::unique_ptr<tTimerThread> Thread;  // last, so it is joined first
    };
    // Waits (processing messages) until every one of `ending` has ended or 2000 ms have
    // passed, reaping the workers that ended meanwhile; the rest are marked stranded.
    void WaitForWorkers(const std::vector<tTimerThread*>& ending);
    // Reaps the slot's ended worker and finishes its stop; `runAfterEnd` false when the
    // program ends.
    void FinishWorker(WorkerSlot& slot, bool runAfterEnd);
    // Before the records are freed: each stranded worker's slot takes its record and port.
    void HoldStrandedRecords();
    // When the data module ends: waits for every worker for good.
    void JoinAllWorkers();

    void TakeRs232Port(tDeviceListModel& listView, const std::string& portName, int listIdx,
                       int port);
    void SearchUsbCables(tDeviceListModel& listView);
    void TakeUsbCables(tDeviceListModel& listView);

    void ReportUnreadableSettings(const std::string& fileName, const std::string& error);
    // Tells `what` (a device path, a cable) once per run: `status`, then `advice`.
    void ReportAccessProblem(const std::string& what, const std::string& status,
                             const std::string& advice);
    // The row of the first cable that is attached but cannot be opened to be asked.
    void ShowUnopenedCable(tDeviceListModel& listView);
    // Message 1026 after a good write of a value: code 0, or the cable's status while the
    // cable still fails, so that the light does not turn good over a failing cable.
    void PostOutputRecovered(tDevice& dev);
    // The two ways of XlsWriteValue once the office is reached: the walk to the cell, and
    // the write into the place a walk found while nothing changed since.
    bool XlsWalk(tDevice& dev, bool officeStarted);
    bool XlsWriteKnown(tDevice& dev, bool officeStarted);
    // Steps 12 and 13 of either way: the value and the queued ones into the place's column.
    void XlsWriteIntoColumn(tDevice& dev, tavrix::XlsPlace& place, bool officeStarted);
    // A cell this program wrote: every kept column that holds it is told.
    void XlsNoteOwnWrite(tavrix::XlsPlace& writer, int row, int col, bool empty);

    std::atomic<tavrix::MessageSink*> messageSink_{nullptr};
    tavrix::spreadsheet::Office* xlsOffice_ = nullptr;
    std::unique_ptr<tavrix::spreadsheet::Office> ownXlsOffice_;
    // Every worker not yet reaped, running, asked to end, or stranded.
    std::vector<WorkerSlot> workers_;
    SettingsFileErrorHandler onSettingsFileError_;
    std::vector<std::string> unreadableSettingsFiles_;  // reported or waiting for a handler
    std::vector<std::pair<std::string, std::string>> unhandledSettingsErrors_;
    std::string lastSettingsFileError_;
    std::vector<std::string> toldAccessProblems_;  // device paths and cables, once per run
    std::vector<int> deniedComPorts_;              // of the last COM listing
};

// The program's one data module, set while it exists.
extern TD* D;
