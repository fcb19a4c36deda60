#include "platform/spreadsheet/uno_office.h"

#include <chrono>
#include <optional>
#include <thread>

#include "platform/spreadsheet/office_process.h"
#include "platform/spreadsheet/uno_runtime.h"
#include "platform/spreadsheet/uno_workbooks.h"

namespace tavrix::spreadsheet {

UnoOffice::UnoOffice(OfficeOptions options) : options_(std::move(options)) {}

std::unique_ptr<Application> UnoOffice::Attach() {
    if (session_ && session_->Answers()) return uno::MakeApplication(session_, headless_);
    session_.reset();
    auto session = uno::Connect(options_.programDir, options_.pipeName);
    if (!session) return nullptr;
    ++connections_;
    const bool headless = options_.headless || uno::StartedHeadless(*session);
    session_ = session;
    headless_ = headless;
    return uno::MakeApplication(std::move(session), headless);
}

std::uint64_t UnoOffice::CallsMade() {
    return uno::Session::CallsMade();
}

void UnoOffice::Detach() {
    session_.reset();
}

Attachment UnoOffice::AttachOrStart() {
    startedPid_ = 0;
    Attachment result;
    result.app = Attach();
    if (result.app) return result;

    const pid_t pid = LaunchOffice(options_);
    startedPid_ = pid;
    result.started = true;
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + std::chrono::milliseconds(options_.startTimeoutMs);
    std::optional<Clock::time_point> endedAt;
    for (;;) {
        // An office that is still starting may take the connection and drop it again; only a
        // first call that goes through counts.
        try {
            result.app = Attach();
            if (result.app) {
                result.app->GetWorkbooks().count();
                return result;
            }
        } catch (const AutomationError&) {
            result.app.reset();
        }
        // An office that ends at once has usually handed its work to one already running on
        // the same profile, which then opens the pipe; give that a little time.
        if (!ProcessAlive(pid)) {
            if (!endedAt) endedAt = Clock::now();
            if (Clock::now() - *endedAt > std::chrono::seconds(10)) {
                throw AutomationError("the office ended while starting (pipe " + options_.pipeName +
                                      ")");
            }
        }
        if (Clock::now() >= until) {
            StopProcessGroup(pid, 2000);
            throw AutomationError("the office did not accept connections within " +
                                  std::to_string(options_.startTimeoutMs / 1000) + " s");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

}  // namespace tavrix::spreadsheet
