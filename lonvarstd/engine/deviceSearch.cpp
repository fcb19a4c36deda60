// The device search: at most one COM port gauge (COM1 or COM2) and one USB
// cable become device records; the rows of the device list keep their places
// across searches, and rows of devices that are gone stay marked with "?".
#include <algorithm>
#include <charconv>
#include <cstdio>

#include "engine/dataModule.h"
#include "support/prog_paths.h"

namespace {

// The number behind "COM" in a port name, 0 if there is none.
int PortNumberOf(const std::string& name) {
    if (name.rfind("COM", 0) != 0) return 0;
    int port = 0;
    const char* first = name.data() + 3;
    const char* last = name.data() + name.size();
    auto [end, ec] = std::from_chars(first, last, port);
    if (ec != std::errc() || end != last) return 0;
    return port;
}

void MarkMissing(tDeviceListModel& rows) {
    for (std::size_t i = 0; i < rows.Count(); ++i) {
        tDeviceListRow& row = rows.Row(i);
        row.StateIndex = row.ImageIndex;
        row.ImageIndex = NoImage;
        if (row.Caption.find("COM") == std::string::npos) {
            row.Caption = "USB ?";
        } else if (row.Caption.find('?') == std::string::npos) {
            row.Caption += " ?";
        }
        row.SubItems[SubItemValue].clear();
        row.SubItemImages[SubItemState] = 3;
        row.SubItems[SubItemDevIdx].clear();
    }
}

void MarkFound(tDeviceListRow& row, const std::string& caption) {
    if (row.StateIndex < 0) row.StateIndex = 0;
    row.ImageIndex = row.StateIndex;
    row.Caption = caption;
}

// The description text shown in the list: a padded text is shown trimmed and marked.
std::string ShownDescription(const std::string& description) {
    if (!description.empty() && description[0] == ' ') {
        return tavrix::TrimBlanks(description) + "  (DEF)";
    }
    return description;
}

}  // namespace

void TD::SrchDevices(tDeviceListModel& listView, bool srchCom, bool srchUsb) {
    MarkMissing(listView);

    if (srchCom) {
        std::vector<std::string> names;
        ListComPorts(names);
        for (std::size_t i = 0; i < names.size(); ++i) {
            const int port = PortNumberOf(names[i]);
            const bool allowed = (port == 1 && ShowCom1) || (port == 2 && ShowCom2);
            if (!allowed) continue;
            TakeRs232Port(listView, names[i], static_cast<int>(i), port);
            break;  // one COM port gauge at most
        }
    }
    if (srchUsb) SearchUsbCables(listView);

    LoadConfig(UseTmpConfig);
    // The message only where a gauge is set up on the port: most machines have a
    // built-in port closed to desktop users that nobody means to use.
    for (const auto& dev : Devices) {
        if (dev->Connection != ConnectionRs232 || dev->DescrIdx <= 0) continue;
        const int port = PortNumberOf(dev->GetPortName());
        if (std::find(deniedComPorts_.begin(), deniedComPorts_.end(), port) ==
            deniedComPorts_.end()) {
            continue;
        }
        ReportAccessProblem(tavrix::serial::devicePathForPort(port), Captions.NoPermission,
                            Captions.NoPermissionAdvice);
    }
    listView.NotifyChanged();
}

void TD::ReportAccessProblem(const std::string& what, const std::string& status,
                             const std::string& advice) {
    if (std::find(toldAccessProblems_.begin(), toldAccessProblems_.end(), what) !=
        toldAccessProblems_.end()) {
        return;
    }
    toldAccessProblems_.push_back(what);
    const std::string message = what + ": " + status + "\n" + advice;
    if (OnAccessProblem) {
        OnAccessProblem(message);
    } else {
        std::fprintf(stderr, "%s\n", message.c_str());
    }
}

void TD::TakeRs232Port(tDeviceListModel& listView, const std::string& portName, int listIdx,
                       int port) {
    Rs232Devices.push_back(std::make_unique<tRS232_Device>(listIdx, port));
    tRS232_Device* holder = Rs232Devices.back().get();
    const int devIdx = static_cast<int>(Devices.size());

    int rowIdx = listView.FindCaptionContaining(portName);
    if (rowIdx >= 0) {
        MarkFound(listView.Row(static_cast<std::size_t>(rowIdx)), portName);
    } else {
        tDeviceListRow row;
        row.Caption = portName;
        rowIdx = listView.Add(std::move(row));
    }
    auto dev = std::make_unique<tDevice>(*this, ConnectionRs232, holder, rowIdx, devIdx);
    listView.Row(static_cast<std::size_t>(rowIdx)).SubItems[SubItemDevIdx] = std::to_string(devIdx);
    dev->DescrIdx = 0;
    dev->Descr = Rs232Descrs[0].get();
    // Attached but closed to this user: the row and the panel say so, and what to do once.
    if (std::find(deniedComPorts_.begin(), deniedComPorts_.end(), port) != deniedComPorts_.end()) {
        tDeviceListRow& row = listView.Row(static_cast<std::size_t>(rowIdx));
        row.SubItems[SubItemState] = Captions.NoPermission;
        row.SubItemImages[SubItemState] = 3;
        dev->FtStatusText = Captions.NoPermission;
        PostMsg(MsgDeviceError, kNoPermissionStatus, devIdx);
    }
    Devices.push_back(std::move(dev));
}

void TD::ShowUnopenedCable(tDeviceListModel& listView) {
    if (FtUnopenedCables.empty()) return;
    const std::string caption = "USB" + std::to_string(FtUnopenedCables.front() + 1);
    int rowIdx = listView.FindCaptionContaining("USB");
    if (rowIdx < 0) {
        tDeviceListRow row;
        rowIdx = listView.Add(std::move(row));
    }
    tDeviceListRow& row = listView.Row(static_cast<std::size_t>(rowIdx));
    row.Caption = caption;
    row.SubItems[SubItemState] = Captions.NoCableAccess;
    row.SubItemImages[SubItemState] = 3;
    ReportAccessProblem(caption, Captions.NoCableAccess, Captions.NoCableAccessAdvice);
}

void TD::SearchUsbCables(tDeviceListModel& listView) {
    ListFtDevices(FtDevices);
    UsbFound = 0;
    TakeUsbCables(listView);
    // A cable that is there but closed to us does not vanish without a word.
    if (UsbFound == 0) ShowUnopenedCable(listView);
}

void TD::TakeUsbCables(tDeviceListModel& listView) {
    if (FtDeviceCount == 0) return;

    for (const auto& entry : FtDevices) {
        tFT_Device* cable = &*entry;
        if (cable->SerialNo.empty()) continue;
        // In test mode a plain USB-serial cable stands in for the switch cable.
        if (SwitchD && tavrix::TrimBlanks(cable->Description) == "US232B") {
            cable->Description = "TV-I";
        }
        const std::string caption = "USB" + std::to_string(cable->Index + 1);
        const int devIdx = static_cast<int>(Devices.size());

        int rowIdx = listView.FindCaptionContaining("USB");
        if (rowIdx >= 0) {
            // The row the user saw before takes the first cable, whatever its type.
            if (UsbFound > 0) continue;
            tDeviceListRow& row = listView.Row(static_cast<std::size_t>(rowIdx));
            MarkFound(row, caption);
            // The row may have shown another cable before.
            row.SubItems[SubItemDescription].clear();
            row.SubItems[SubItemSerialNo] = cable->SerialNo;
        } else {
            // Only a cable of a known type gets a new row.
            if (UsbFound > 0 ||
                tavrix::FindDescrByType(UsbDescrs, cable->Description, false) == 0) {
                continue;
            }
            tDeviceListRow row;
            row.Caption = caption;
            row.SubItems[SubItemSerialNo] = cable->SerialNo;
            rowIdx = listView.Add(std::move(row));
        }

        auto dev = std::make_unique<tDevice>(*this, ConnectionUsb, cable, rowIdx, devIdx);
        ++UsbFound;
        tDeviceListRow& row = listView.Row(static_cast<std::size_t>(rowIdx));
        row.SubItems[SubItemDevIdx] = std::to_string(devIdx);
        dev->DescrIdx = 0;
        dev->Descr = UsbDescrs[0].get();
        dev->DescrText = UsbDescrs[0]->TypeName;
        const int known = tavrix::FindDescrByType(UsbDescrs, cable->Description, false);
        if (known > 0) {
            row.SubItems[SubItemDescription] = ShownDescription(cable->Description);
            dev->DescrIdx = known;
            dev->Descr = UsbDescrs[static_cast<std::size_t>(known)].get();
            dev->DescrText = cable->Description;
        }
        Devices.push_back(std::move(dev));
    }
}

bool TD::SrchOnUsbChange(std::uint32_t& lastCount, const std::function<void()>& beforeOpen) {
    // The timer's tick also lets go of the stop's stragglers that have ended.
    ReapStrandedWorkers();
    GetFTDeviceCount();
    if (FtDeviceCount == lastCount) return false;
    ResetDevices();
    SrchDevices(true, true);
    lastCount = FtDeviceCount;
    if (beforeOpen) beforeOpen();
    OpenDevices(true);
    return true;
}

void TD::ListComPorts(std::vector<std::string>& list) {
    deniedComPorts_.clear();
    if (!PortLister) return;
    for (const tavrix::serial::PortInfo& info : PortLister()) {
        // The port component cannot address numbers above 128; such a port would test another.
        if (info.port <= 0 || info.port > 128) continue;
        CommSrchPorts.SetPort(static_cast<std::uint16_t>(info.port));
        if (CommSrchPorts.Open()) {
            CommSrchPorts.Close();
        } else if (info.path.rfind('/', 0) == 0 &&
                   serial_ports::AccessOf(info.path) == serial_ports::PortAccess::NoPermission) {
            // A port the user may not open is still listed: it is there, and must be told.
            deniedComPorts_.push_back(info.port);
        } else {
            continue;
        }
        list.push_back("COM" + std::to_string(info.port));
    }
}
