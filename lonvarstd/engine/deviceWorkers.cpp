// Worker threads of the devices: one per open device polls it about once a
// millisecond. Only the bookkeeping exists so far; the workers themselves
// (tTimerThread, tDevice::Poll and its steps) are still to be written.
#include "engine/dataModule.h"

// To do with the workers: create one tTimerThread per device in Devices order, bind it to the
// device's Poll and count it in ThreadCount.
void TD::StartThreads() {
    ThreadsRunning = true;
}

// To do with the workers: ask every thread to end and wait (processing messages) until
// ThreadCount is 0 or 2000 ms have passed. ResetDevices and CloseDevices(true) rely on this
// having stopped every worker before ports and cables are closed and freed.
void TD::StopThreads() {
    if (!ThreadsRunning) return;
    ThreadsRunning = false;
}

// A worker's end, delivered on the main thread.
void TD::ThreadTerminated() {
    if (ThreadCount > 0) --ThreadCount;
}
