#include "shell/valueReport.h"

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
