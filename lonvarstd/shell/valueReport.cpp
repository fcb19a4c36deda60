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

std::string DeviceErrorText(const tDevice& dev, std::int64_t code) {
    if (code != 0) return "error " + std::to_string(code) + " " + dev.FtStatusText.get();
    return "OK";
}

std::string tStatusLines::Text(const tDevice& dev, std::int64_t code) {
    const auto [it, added] = last_.try_emplace(dev.GetId(), code);
    if (!added && it->second == code) return {};
    it->second = code;
    return DeviceErrorText(dev, code);
}

std::string ValueLineText(const tDevice& dev) {
    const std::string target = TargetText(dev);
    const bool written = dev.LastValueWritten;
    if (dev.Descr != nullptr && dev.Descr->IsSwitch()) return dev.MwText + "  -> " + target;
    if (dev.MwZielAppl != MwZielTxt && dev.MwZielAppl != MwZielXls) {
        return dev.MwText + "  -> " + target;
    }
    if (!written) {
        const std::string why = dev.FtStatusText.get();
        return dev.MwText + "  NOT written to " + target + (why.empty() ? "" : " (" + why + ")");
    }
    if (dev.MwZielAppl == MwZielXls && dev.LastValueRow > 0) {
        return dev.MwText + "  -> " + target + ", row " + std::to_string(dev.LastValueRow) +
               " of the document marked " + dev.XlsWbName;
    }
    return dev.MwText + "  -> " + target;
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
