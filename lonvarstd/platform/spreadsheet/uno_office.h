#pragma once

// The office back end: LibreOffice Calc driven through C++ UNO over a named pipe.

#include <sys/types.h>

#include <memory>

#include "platform/spreadsheet/automation.h"
#include "platform/spreadsheet/office_options.h"

namespace tavrix::spreadsheet {

namespace uno {
class Session;
}

class UnoOffice : public Office {
public:
    explicit UnoOffice(OfficeOptions options = OfficeOptions::FromEnvironment());

    // Attaches to the office on the pipe; if none listens, starts one and waits (bounded by
    // the options' start time-out) until it accepts.
    Attachment AttachOrStart() override;
    // Attaches only; nullptr when no office listens on the pipe. The bridge to the office is
    // kept between calls and checked with one round trip; an office that went away (quit by
    // the user, crashed) is noticed there and attached anew, so no call goes into a dead bridge.
    std::unique_ptr<Application> Attach();
    // Lets go of the kept bridge; the next attach connects anew.
    void Detach();
    // Bridges made so far (a kept bridge counts once).
    int Connections() const { return connections_; }
    // Calls into any office made by this process so far; one call may be a few round trips.
    static std::uint64_t CallsMade();

    // Process id of the office the last AttachOrStart started, 0 if it only attached.
    pid_t StartedPid() const { return startedPid_; }
    const OfficeOptions& Options() const { return options_; }

private:
    OfficeOptions options_;
    pid_t startedPid_ = 0;
    std::shared_ptr<uno::Session> session_;
    bool headless_ = false;
    int connections_ = 0;
};

}  // namespace tavrix::spreadsheet
