#pragma once
// Lines for the terminal the program runs in: which device gave which value and where
// the value went, so that a run on the gauge bench shows the values flowing.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

class tDevice;

// "14:03:07"
std::string ClockText();
// "USB1 Lumo": the port and the device's name (its type when it has none).
std::string DeviceLabel(const tDevice& dev);
// "text file /path/Device1.txt", "spreadsheet column 2 of sheet "Tab1"", "no target";
// for a switch cable its cycle step.
std::string TargetText(const tDevice& dev);
// "error 4 - Device not opened" for a failed cable or output (`code` its status), "OK"
// when the line and the output are fine again.
std::string DeviceErrorText(const tDevice& dev, std::int64_t code);
// The status lines of message 1026, each told when it changes: every good spreadsheet
// write reports "OK" again, and a line per value would say nothing.
class tStatusLines {
public:
    // DeviceErrorText, or "" when the device's last status told was the same.
    std::string Text(const tDevice& dev, std::int64_t code);

private:
    std::map<std::string, std::int64_t> last_;  // by the device's id
};
// "+0001.1111  -> text file /path/Device1.txt": a value and where it went (with the
// spreadsheet row), or "+0001.1111  NOT written to text file ... (reason)".
std::string ValueLineText(const tDevice& dev);

// Prints "14:03:07  USB1 Lumo: <text>" on standard output at once; nothing for "".
void PrintDeviceLine(const tDevice& dev, const std::string& text);
// Prints the end of the start-up: how many devices.
void PrintReadyLine(std::size_t devices);
