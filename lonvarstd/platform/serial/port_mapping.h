#pragma once
// COM port numbers and the device paths they stand for.

#include <map>
#include <string>

namespace tavrix::serial {

constexpr int kMaxComPort = 128;

// The device path a COM port has without a mapping: COM1 = /dev/ttyS0 ...
std::string defaultDevicePath(int port);

// The mappings of the program INI file's section "COMPORTS" (COM3=/dev/ttyUSB0),
// by port number; empty entries and a missing file give no mapping.
std::map<int, std::string> mappedComPorts();

}  // namespace tavrix::serial
