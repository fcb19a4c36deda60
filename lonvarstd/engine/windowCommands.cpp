// What the main window's commands ask of the engine, so that the window only shows.
#include "engine/dataModule.h"

void TD::ApplyDeviceEdit(int index, int newRs232DescrIdx) {
    tDevice* dev = DeviceAt(index);
    if (dev == nullptr) return;
    SettingsEdited = true;
    if (dev->Connection != ConnectionRs232 || newRs232DescrIdx < 0 ||
        static_cast<std::size_t>(newRs232DescrIdx) >= Rs232Descrs.size() ||
        newRs232DescrIdx == dev->DescrIdx) {
        return;
    }
    // The worker reads the description on every tick.
    const bool running = dev->Thread != nullptr;
    const bool opened = dev->Opened;
    StopThread(index);
    dev->DescrIdx = newRs232DescrIdx;
    dev->Descr = Rs232Descrs[static_cast<std::size_t>(newRs232DescrIdx)].get();
    dev->DescrText = dev->Descr->TypeName;
    if (running || opened) {
        dev->Close();
        dev->Open();
    }
    if (running) StartThread(index);
}

bool TD::XlsWriteTestValues(int index) {
    tDevice* dev = DeviceAt(index);
    if (dev == nullptr) return false;
    for (const char* text : {"M1,-1234.1234\r", "-5678.9\r", "47.11\r"}) {
        dev->AppendValue(text);
        EvaluateValue(index);
        // Off the queue before the write, which also writes what is still queued.
        DropValue(index);
        if (!XlsWriteValue(index)) return false;
    }
    return true;
}

void TD::ResetCycles() {
    for (auto& dev : Devices) {
        dev->SchalterCycleIdx = 0;
        dev->XlsRow = dev->MwXlsZielStartRow;
    }
}
