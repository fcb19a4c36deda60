#pragma once
// Request keys from the command line (`LonvarStd --request <key>`, through the
// single-instance socket) reach the status window as key messages 5735 tagged with
// their source, and go from there exactly the way of a key from the hook.

class TFrmTavrixMain;
class tSingleInstance;

// From now on `instance` hands its requests to `status`. A request is taken once the
// start timer has opened the devices (the hook is not loaded before either); until then
// the command is told the program is still starting.
void TakeCommandLineRequests(tSingleInstance& instance, TFrmTavrixMain& status);
