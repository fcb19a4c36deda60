#include "shell/valueReport.h"

#include <cstdio>
#include <ctime>

#include "engine/device.h"
#include "engine/deviceDescr.h"

std::string ClockText() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

std::string DeviceLabel(const tDevice& dev) {
    return dev.GetPortName() + " " + (dev.DeviceName.empty() ? dev.DescrText : dev.DeviceName);
}

std::string TargetText(const tDevice& dev) {
    // A switch cable's states go nowhere; they step its cycle.
    if (dev.Descr != nullptr && dev.Descr->IsSwitch()) {
        return "switch, cycle step " + std::to_string(dev.SchalterCycleIdx);
    }
    switch (dev.MwZielAppl) {
        case MwZielTxt:
            return "text file " + dev.MwTxtZielFile;
        case MwZielXls:
            return "spreadsheet column " + std::to_string(dev.MwXlsZielCol) + " of sheet \"" +
                   dev.MwXlsZielTable + "\"";
        default:
            return "no target";
    }
}

std::string WrittenRowText(const tDevice& dev) {
    if (dev.MwZielAppl != MwZielXls || dev.XlsRow <= dev.MwXlsZielStartRow) return {};
    return "written to row " + std::to_string(dev.XlsRow - 1) + " of the document marked " +
           dev.XlsWbName;
}

std::string DeviceErrorText(const tDevice& dev, std::int64_t code) {
    if (code != 0) return "error " + std::to_string(code) + " " + dev.FtStatusText.get();
    return WrittenRowText(dev);
}

std::string ValueLineText(const tDevice& dev) {
    return dev.MwText + "  -> " + TargetText(dev);
}

void PrintDeviceLine(const tDevice& dev, const std::string& text) {
    if (text.empty()) return;
    std::printf("%s  %s: %s\n", ClockText().c_str(), DeviceLabel(dev).c_str(), text.c_str());
    std::fflush(stdout);
}

void PrintReadyLine(std::size_t devices) {
    std::printf("%s  ready: %zu device(s)\n", ClockText().c_str(), devices);
    std::fflush(stdout);
}
