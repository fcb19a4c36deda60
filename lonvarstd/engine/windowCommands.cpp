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
    // The worker reads the description on every tick: it changes while none runs.
    const bool running = dev->Thread != nullptr;
    const bool opened = dev->Opened;
    dev->DescrIdx = newRs232DescrIdx;  // stored at once, whenever the port follows
    auto putInForce = [this, dev, index](bool reopen, bool restart) {
        dev->Descr = Rs232Descrs[static_cast<std::size_t>(dev->DescrIdx)].get();
        dev->DescrText = dev->Descr->TypeName;
        dev->Close();
        if (reopen) dev->Open();
        if (restart) StartThread(index);
    };
    if (StopThread(index)) {
        putInForce(running || opened, running);
        return;
    }
    // Still in its tick past the wait: the port is set up anew, and the worker started
    // again, when it has ended (a later edit's type then stands).
    for (auto& slot : workers_) {
        if (slot.Device == dev)
            slot.AfterEnd = [putInForce](bool resume) { putInForce(resume, resume); };
    }
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
