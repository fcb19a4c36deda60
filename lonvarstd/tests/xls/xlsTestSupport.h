#pragma once
// Instruments that write into a spreadsheet, made the way the search makes them,
// in a program folder of the test's own.

#include <string>

#include "engine/dataModule.h"
#include "tests/engine/engineTestDevices.h"
#include "tests/engine/engineTestSupport.h"

namespace tavrix::test {

// A "Lumo" gauge with its own spreadsheet target: template mode on `vorlage`.
inline tDevice& XlsGauge(TD& d, const std::string& serial, const std::string& vorlage,
                         const std::string& table, int col, int startRow = 1) {
    tDevice& dev = AddUsbDevice(d, static_cast<int>(d.Devices.size()), serial, "Lumo");
    dev.MwZielAppl = MwZielXls;
    dev.MwXlsZielVorlageSlct = true;
    dev.MwXlsZielVorlage = vorlage;
    dev.MwXlsZielTable = table;
    dev.MwXlsZielCol = col;
    dev.MwXlsZielStartRow = startRow;
    dev.XlsRow = startRow;
    return dev;
}

// The same gauge writing into a workbook file instead.
inline tDevice& XlsFileGauge(TD& d, const std::string& serial, const std::string& file,
                             const std::string& table, int col, int startRow = 1) {
    tDevice& dev = XlsGauge(d, serial, "", table, col, startRow);
    dev.MwXlsZielVorlageSlct = false;
    dev.MwXlsZielFile = file;
    return dev;
}

}  // namespace tavrix::test
