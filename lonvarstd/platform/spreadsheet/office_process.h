#pragma once

// Starting an office process that outlives this program, and ending one we started, always by
// its process id (its process group), never by name: other offices on the machine are not ours.

#include <sys/types.h>

#include "platform/spreadsheet/automation.h"
#include "platform/spreadsheet/office_options.h"

namespace tavrix::spreadsheet {

// Bootstrap variable set in an office started headless.
inline constexpr const char* kHeadlessMark = "TavrixOfficeHeadless";

// Starts the office listening on options.pipeName, detached into a session of its own, and
// returns its process id (also its process group). Throws AutomationError if it cannot be run.
pid_t LaunchOffice(const OfficeOptions& options);

// False once the process has ended (a zombie counts as ended).
bool ProcessAlive(pid_t pid);

// Asks the process group to end, waits up to graceMs, then kills it. Returns true when it ended.
bool StopProcessGroup(pid_t pid, int graceMs);

}  // namespace tavrix::spreadsheet
