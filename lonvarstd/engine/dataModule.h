#pragma once
// The device engine's data module: device types, device records, the port and
// cable objects, the settings held for the configuration files, and the device
// search. The program makes one instance, D.

#include <atomic>
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
#include "platform/serial/serial_device.h"
#include "transport/comm/Comm.h"
#include "transport/d2xx/D2XX.h"

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

    tDeviceDescrList UsbDescrs;
    tDeviceDescrList Rs232Descrs;

    // The rows of the device list that the search keeps in step.
    tDeviceListModel DeviceRows;

    // Where messages 1024-1028 go (the status window); none until it is set.
    void SetMessageSink(tavrix::MessageSink* sink) { messageSink_.store(sink); }
    // Safe from any thread; dropped while no sink is set.
    void PostMsg(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) const;

    // The serial ports the COM search may test; the system's ports by default.
    std::function<std::vector<tavrix::serial::PortInfo>()> PortLister;

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

    // --- search and connection ---
    void SrchDevices(tDeviceListModel& listView, bool srchCom, bool srchUsb);
    void SrchDevices(bool srchCom, bool srchUsb) { SrchDevices(DeviceRows, srchCom, srchUsb); }
    void ListComPorts(std::vector<std::string>& list);
    // The search timer's tick: when the number of attached cables differs from
    // `lastCount`, resets, searches again, remembers the new count and opens the
    // devices with their workers. True when it searched.
    bool SrchOnUsbChange(std::uint32_t& lastCount);
    void OpenDevices(bool startThreads);
    void CloseDevices(bool stopThreads);

    // --- workers (requests and reception build on these) ---
    void StartThreads();
    void StopThreads();
    void ThreadTerminated();

private:
    void TakeRs232Port(tDeviceListModel& listView, const std::string& portName, int listIdx,
                       int port);
    void SearchUsbCables(tDeviceListModel& listView);

    std::atomic<tavrix::MessageSink*> messageSink_{nullptr};
};

// The program's one data module, set while it exists.
extern TD* D;
