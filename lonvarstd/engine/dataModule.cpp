#include "engine/dataModule.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "support/num_text.h"
#include "support/prog_layout.h"
#include "support/prog_paths.h"
#include "support/tick_count.h"

TD* D = nullptr;

TD::TD()
    : CommSrchPorts(nullptr),
      PortLister(&tavrix::serial::listPorts),
      SystemPortLister([] { return serial_ports::ListSystemPorts(); }) {
    // The port tester's stored settings.
    CommSrchPorts.SetPort(1);
    CommSrchPorts.SetBaudrate(bd_9600);
    CommSrchPorts.SetByteSize(bs_8);
    CommSrchPorts.SetStopBits(sb_1);
    CommSrchPorts.SetParity(TParity::none);
    CommSrchPorts.SetEnterTimeout(1000);
    CommSrchPorts.SetOutputTimeout(1000);
    CommSrchPorts.SetEOT(13);
    if (D == nullptr) D = this;

    // Every default target lies in DAT, so it must exist before anything is written there.
    std::error_code ec;
    std::filesystem::create_directories(DatDir(), ec);
    if (ec) std::fprintf(stderr, "Cannot create %s: %s\n", DatDir().c_str(), ec.message().c_str());

    LoadProgIni();
    LoadLangTexts();
    CreateDeviceDescrs();
}

TD::~TD() {
    // Normally ResetDevices has run; never leave a port or cable open behind us.
    if (!Devices.empty()) CloseDevices(true);
    JoinAllWorkers();
    // Descriptions go last to first; records should already be gone (ResetDevices).
    while (!UsbDescrs.empty()) UsbDescrs.pop_back();
    while (!Rs232Descrs.empty()) Rs232Descrs.pop_back();
    if (D == this) D = nullptr;
}

std::int64_t TD::Now() const {
    return TickSource ? TickSource() : TickCountMs();
}

void TD::PostMsg(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) const {
    if (tavrix::MessageSink* sink = messageSink_.load()) sink->post(msg, wParam, lParam);
}

void TD::LoadLangTexts(const std::function<std::string(const std::string&)>& translate) {
    Captions.Load(translate);
}

void TD::CreateDeviceDescrs() {
    tavrix::CreateBuiltInDescrs(UsbDescrs, Rs232Descrs);
}

void TD::ResetDevices() {
    CloseDevices(true);
    try {
        SaveConfig(true);
        UseTmpConfig = true;
    } catch (const std::exception& e) {
        // Without a fresh temporary file the next search reads the last good one instead of
        // handing the devices a stale or empty file.
        std::fprintf(stderr, "Device settings not kept across the search: %s\n", e.what());
    }
    HoldStrandedRecords();
    FreeFtDevices(FtDevices);
    FtDevices.clear();  // cables put in by other means than ListFtDevices go too
    while (!Rs232Devices.empty()) Rs232Devices.pop_back();
    while (!Devices.empty()) Devices.pop_back();
    ++DevicesGeneration;
}

void TD::DropValue(int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < Devices.size()) {
        Devices[static_cast<std::size_t>(index)]->DropFirstValue();
    }
}

std::string TD::DeviceNameBySerNr(const std::string& serNr) const {
    for (const auto& dev : Devices) {
        if (dev->Connection != ConnectionUsb || dev->GetSerNr() != serNr) continue;
        if (!tavrix::TrimBlanks(dev->DeviceName).empty()) return dev->DeviceName;
        return serNr;
    }
    return {};
}

std::string TD::MsToTimeStr(std::int64_t ms) {
    if (ms < 0) ms = 0;  // a countdown that ran past its due time shows zero
    const std::int64_t hours = ms / 3600000;
    const std::int64_t restSeconds = (ms % 3600000) / 1000;
    const std::string sep(1, TimeSeparator());
    return PadLeft(2, std::to_string(hours), '0') + sep +
           PadLeft(2, std::to_string(restSeconds / 60), '0') + sep +
           PadLeft(2, std::to_string(restSeconds % 60), '0');
}

std::string TD::DatDir() const {
    return tavrix::ProgLayout().DatDir();
}
std::string TD::DefaultTvcFileName() const {
    return DatDir() + "DEFAULT.TVC";
}
std::string TD::TmpConfigFileName() const {
    return tavrix::ProgLayout().TmpConfigFile();
}
