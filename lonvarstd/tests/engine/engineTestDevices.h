#pragma once
// Device records made the way the search makes them, without a search: for
// tests of the records and of the configuration files.

#include <memory>
#include <string>

#include "engine/dataModule.h"

namespace tavrix::test {

// A USB cable at D2XX index `index`; its type is chosen from its description text.
inline tDevice& AddUsbDevice(TD& d, int index, const std::string& serial,
                             const std::string& description) {
    auto cable = std::make_unique<tFT_Device>(index);
    cable->SerialNo = serial;
    cable->Description = description;
    tFT_Device* raw = cable.get();
    d.FtDevices.push_back(std::move(cable));
    const int devIdx = static_cast<int>(d.Devices.size());
    auto dev = std::make_unique<tDevice>(d, ConnectionUsb, raw, devIdx, devIdx);
    const int known = FindDescrByType(d.UsbDescrs, description, false);
    dev->DescrIdx = known;
    dev->Descr = d.UsbDescrs[static_cast<std::size_t>(known)].get();
    dev->DescrText = known > 0 ? description : d.UsbDescrs[0]->TypeName;
    d.Devices.push_back(std::move(dev));
    return *d.Devices.back();
}

// A COM port gauge on `port`, with the undefined type until a configuration is loaded.
inline tDevice& AddRs232Device(TD& d, int port) {
    d.Rs232Devices.push_back(std::make_unique<tRS232_Device>(0, port));
    const int devIdx = static_cast<int>(d.Devices.size());
    d.Devices.push_back(
        std::make_unique<tDevice>(d, ConnectionRs232, d.Rs232Devices.back().get(), devIdx, devIdx));
    return *d.Devices.back();
}

}  // namespace tavrix::test
