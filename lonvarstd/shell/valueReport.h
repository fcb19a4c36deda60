#pragma once
// Lines for the terminal the program runs in: which device gave which value and where
// the value went, so that a run on the gauge bench shows the values flowing.

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
