// From the queue to the target, on the main thread: evaluate the oldest answer,
// show it, drop it, write it to the spreadsheet or the text file.
#include <cstdio>

#include "engine/dataModule.h"

void TD::EvaluateValue(int index) {
    tDevice* dev = DeviceAt(index);
    if (dev == nullptr) return;
    if (dev->IsSwitch()) {
        dev->MwText = dev->GetFirstValue();
        if (dev->MwText != "ON ") return;
        dev->SchalterCycleIdx =
            dev->SchalterCycleIdx < dev->SchalterCycleCount ? dev->SchalterCycleIdx + 1 : 1;
        const std::string switchId = dev->GetId();
        for (auto& other : Devices) {
            if (!other->IsInstrument() || other->AnforderType != AnforderSwitch ||
                other->AnforderSerNrTVI != switchId) {
                continue;
            }
            if (!other->AnforderCycle || other->AnforderCycleIdx == dev->SchalterCycleIdx) {
                other->ExtRequest = true;
            }
        }
    } else if (dev->IsInstrument()) {
        dev->ExtractValue();
    }
}

bool TD::OutputValue(int index) {
    tDevice* dev = DeviceAt(index);
    if (dev == nullptr || !dev->IsInstrument()) return false;
    if (dev->MwZielAppl == MwZielXls) return XlsWriteValue(index);
    if (dev->MwZielAppl == MwZielTxt) return WriteTxtFile(index);
    return false;
}

bool TD::WriteTxtFile(int index) {
    tDevice* dev = DeviceAt(index);
    if (dev == nullptr) return false;
    const std::string line = dev->MwText + "\r\n";
    bool ok = false;
    if (std::FILE* file = std::fopen(dev->MwTxtZielFile.c_str(), "ab")) {
        ok = std::fwrite(line.data(), 1, line.size(), file) == line.size();
        ok = std::fflush(file) == 0 && ok;
        ok = std::fclose(file) == 0 && ok;
    }
    // A value that did not reach its file is reported like a spreadsheet that could
    // not be written; the next value tries again.
    if (!ok) {
        dev->FtStatusText = Captions.TxtFileQuestion;
        dev->TxtFileFailed = true;
        PostMsg(MsgDeviceError, 100, dev->DevIdx);
    } else if (dev->TxtFileFailed) {
        dev->TxtFileFailed = false;
        PostOutputRecovered(*dev);
    }
    return ok;
}

void TD::PostOutputRecovered(tDevice& dev) {
    // The output is fine again, but a cable that still fails keeps its status and text.
    const std::int32_t cable = dev.FtStatus;
    if (cable != 0) dev.FtStatusText = dev.CableStatusText.get();
    PostMsg(MsgDeviceError, cable, dev.DevIdx);
}

bool TD::HandleValueMessage(int index) {
    tDevice* dev = DeviceAt(index);
    if (dev == nullptr || dev->ValueCount() == 0) return false;
    EvaluateValue(index);
    if (OnShowValue) OnShowValue(index);
    DropValue(index);
    dev->LastValueWritten = false;
    dev->LastValueRow = 0;
    try {
        const bool written = OutputValue(index);
        if (tDevice* after = DeviceAt(index)) after->LastValueWritten = written;
    } catch (const tavrix::spreadsheet::AutomationError& e) {
        ReportXlsError(index, e.what());
    }
    return true;
}
