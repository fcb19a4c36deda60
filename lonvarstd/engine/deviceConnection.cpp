// Opening and closing the ports and cables of the found devices with the line
// settings of their descriptions.
#include "engine/dataModule.h"

bool tDevice::Open() {
    // The old worker may still be using the port: it is not set up anew under it.
    if (Opened || WorkerStranded) return false;
    if (Descr == nullptr) return false;

    if (Connection == ConnectionRs232 && Rs232 != nullptr) {
        // A port without a chosen type is never opened: nothing would know how to read it.
        if (DescrIdx <= 0) return false;
        TComm& comm = *Rs232->Comm;
        comm.SetBaudrate(static_cast<TBaudrate>(Descr->BaudIdx));
        comm.SetByteSize(static_cast<TByteSize>(Descr->DataBitsIdx));
        comm.SetStopBits(static_cast<TStopBits>(Descr->StopBitsIdx));
        comm.SetParity(static_cast<TParity>(Descr->ParityIdx));
        comm.SetEnterTimeout(Descr->ReadTimeout);
        comm.SetOutputTimeout(Descr->WriteTimeout);
        comm.SetEOT(0);
        const bool ok = comm.Open();
        PortGone = false;
        comm.SetUseDTR(true);
        comm.SetUseRTS(true);
        comm.SetDTR(Descr->DtrLevel() != 0);
        comm.SetRTS(Descr->RtsLevel() != 0);
        // Only a port that really opened counts as open, so the lists never show a dead
        // port as working and a later Open tries again.
        Opened = ok;
        return ok;
    }

    if (Connection == ConnectionUsb && Ft != nullptr) {
        // A cable the worker gave up on is still held: let it go before taking it again.
        if (Ft->IsOpen) Ft->Close();
        if (Ft->Open() != 0) return false;
        // Failures after the open are recorded in the cable and do not stop the sequence.
        if (Descr->DtrLevel() == 1) {
            Ft->SetDtr();
        } else {
            Ft->ClrDtr();
        }
        if (Descr->RtsLevel() == 1) {
            Ft->SetRts();
        } else {
            Ft->ClrRts();
        }
        Ft->SetBaudRate(tavrix::BaudOf(*Descr));
        Ft->SetDataCharacteristics(static_cast<std::uint8_t>(Descr->DataBitsIdx + 4),
                                   Descr->StopBitsIdx, tavrix::UsbParityCode(Descr->ParityIdx));
        Ft->SetTimeouts(Descr->ReadTimeout, Descr->WriteTimeout);
        Opened = true;
        return true;
    }
    return false;
}

void tDevice::Close() {
    // Never under a worker still in its tick: it is closed when that worker ends.
    if (WorkerStranded) return;
    // The worker clears Opened when a cable fails, but the cable stays held until it
    // is closed here; left open it could not be taken again by the next search.
    if (Connection == ConnectionRs232 && Rs232 != nullptr) {
        if (Opened || Rs232->Comm->IsOpen()) Rs232->Comm->Close();
    } else if (Connection == ConnectionUsb && Ft != nullptr) {
        if (Opened || Ft->IsOpen) Ft->Close();
    }
    Opened = false;
}

void TD::OpenDevices(bool startThreads) {
    for (auto& dev : Devices) dev->Open();
    if (startThreads) StartThreads();
}

void TD::CloseDevices(bool stopThreads) {
    if (stopThreads) StopThreads();
    for (auto& dev : Devices) dev->Close();
}
