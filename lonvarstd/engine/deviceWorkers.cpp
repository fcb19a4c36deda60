// Worker threads of the devices: one per open device polls it. The request and
// reception steps build on these entry points.
#include "engine/dataModule.h"

void TD::StartThreads() {
    // Workers are not started yet: devices are opened and closed, nothing polls them.
    ThreadsRunning = true;
}

void TD::StopThreads() {
    if (!ThreadsRunning) return;
    ThreadsRunning = false;
}

void TD::ThreadTerminated() {
    if (ThreadCount > 0) --ThreadCount;
}
