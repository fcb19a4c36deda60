#pragma once
// Lines for the terminal the program runs in: which device gave which value and where
// the value went, so that a run on the gauge bench shows the values flowing.

#include <cstddef>
#include <cstdint>
#include <string>

class tDevice;

// "14:03:07"
std::string ClockText();
// "USB1 Lumo": the port and the device's name (its type when it has none).
std::string DeviceLabel(const tDevice& dev);
// "text file /path/Device1.txt", "spreadsheet column 2 of sheet "Tab1"", "no target";
// for a switch cable its cycle step.
std::string TargetText(const tDevice& dev);
// The row the spreadsheet output wrote last, "" when it wrote none yet.
std::string WrittenRowText(const tDevice& dev);
// "error 4 - Device not opened" for a failed cable (`code` its status), else the row
// the spreadsheet output wrote last; "" when there is nothing to tell.
std::string DeviceErrorText(const tDevice& dev, std::int64_t code);
// "+0001.1111  -> text file /path/Device1.txt": a value and where it went.
std::string ValueLineText(const tDevice& dev);

// Prints "14:03:07  USB1 Lumo: <text>" on standard output at once; nothing for "".
void PrintDeviceLine(const tDevice& dev, const std::string& text);
// Prints the end of the start-up: how many devices.
void PrintReadyLine(std::size_t devices);
