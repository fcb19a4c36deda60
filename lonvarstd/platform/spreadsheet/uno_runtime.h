#pragma once

// The C++ UNO side of this process: the local component context, one bridge to an office over
// its named pipe, and conversions between our texts/errors and UNO's.

#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/spreadsheet/automation.h"
#include "platform/spreadsheet/call_watchdog.h"
#include "platform/spreadsheet/typed_number.h"

namespace tavrix::spreadsheet::uno {

namespace css = com::sun::star;
using rtl::OString;
using rtl::OUString;
template <class T>
using Ref = css::uno::Reference<T>;

OUString FromUtf8(const std::string& text);
std::string ToUtf8(const OUString& text);

// Runs a call into the office and turns every UNO failure into an AutomationError naming it.
template <class F>
auto Guarded(const char* what, F&& call) -> decltype(call()) {
    try {
        return call();
    } catch (const css::uno::Exception& e) {
        const std::string detail = ToUtf8(e.Message);
        throw AutomationError(std::string(what) + " failed" +
                              (detail.empty() ? "" : ": " + detail));
    }
}

// How long one call into the office may take before the office counts as not answering, and
// the longer limit for opening a document (a large file, a template that converts).
inline constexpr std::chrono::milliseconds kCallLimit{3000};
inline constexpr std::chrono::milliseconds kOpenLimit{30000};

class DocumentWatchState;

// One live bridge to an office. Disposing it on destruction ends the bridge's threads; objects
// still held from the office become unusable (their calls throw) instead of dangling.
class Session {
public:
    explicit Session(Ref<css::bridge::XBridge> bridge);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Asks the office for its component context; throws when it does not give it.
    void FetchContext();
    const Ref<css::uno::XComponentContext>& RemoteContext() const { return remote_; }
    // False once the bridge was disposed: the office went away (quit, crashed), the pipe
    // closed, or a call ran out of time. Costs no call into the office.
    bool Alive() const { return !disposed_->load(); }
    const std::shared_ptr<std::atomic<bool>>& GoneFlag() const { return disposed_; }
    // One round trip into the office: false when it is gone; throws OfficeNotAnswering when
    // it does not answer in time.
    bool Answers();

    // Runs a call into the office on this thread, bounded by `limit`: past it the bridge is
    // disposed, which ends the waiting call, and OfficeNotAnswering is thrown. Every other UNO
    // failure becomes an AutomationError naming `what`. Nested calls share the outer limit.
    template <class F>
    auto Call(const char* what, F&& call, std::chrono::milliseconds limit = kCallLimit)
        -> decltype(call());

    // True on a thread while it is inside Call: what the office tells that thread meanwhile
    // (it calls back on the thread that waits for its answer) was caused by our own call.
    static bool InOwnCall();
    // Calls into the office made by this process so far (nested ones count once).
    static std::uint64_t CallsMade();

    // How each document seen through this bridge writes numbers: asked once per document
    // while the bridge lives (a value would otherwise ask the office five times anew).
    const NumberSeparators* KnownSeparators(const Ref<css::uno::XInterface>& document) const;
    void RememberSeparators(const Ref<css::uno::XInterface>& document,
                            const NumberSeparators& seps);

    // The listener on a document, registered on the first ask while the bridge lives.
    std::shared_ptr<DocumentWatchState> KnownWatch(const Ref<css::uno::XInterface>& document) const;
    void RememberWatch(const Ref<css::uno::XInterface>& document,
                       std::shared_ptr<DocumentWatchState> watch);

private:
    class OwnCall;

    void DisposeBridge();

    Ref<css::bridge::XBridge> bridge_;
    Ref<css::uno::XComponentContext> remote_;
    std::shared_ptr<std::atomic<bool>> disposed_;
    std::unique_ptr<CallWatchdog> watchdog_;
    int depth_ = 0;  // calls in progress on the calling thread
    std::vector<std::pair<Ref<css::uno::XInterface>, NumberSeparators>> separators_;
    std::vector<std::pair<Ref<css::uno::XInterface>, std::shared_ptr<DocumentWatchState>>> watches_;
};

// True when the office was started headless by this program (it then cannot show windows).
bool StartedHeadless(Session& session);

// Connects to the office listening on the pipe; nullptr when nothing listens there.
std::shared_ptr<Session> Connect(const std::string& programDir, const std::string& pipeName);

// Marks the calling thread as inside a call and bounds the outermost call of a nesting.
class Session::OwnCall {
public:
    OwnCall(Session& session, std::chrono::milliseconds limit);
    ~OwnCall();
    OwnCall(const OwnCall&) = delete;
    OwnCall& operator=(const OwnCall&) = delete;
    // Ends the bound (once); throws OfficeNotAnswering when the call ran out of time.
    void Finish(const char* what);

private:
    Session& session_;
    std::chrono::milliseconds limit_;
    bool outermost_;
    bool finished_ = false;
};

template <class F>
auto Session::Call(const char* what, F&& call, std::chrono::milliseconds limit)
    -> decltype(call()) {
    OwnCall own(*this, limit);
    try {
        if constexpr (std::is_void_v<decltype(call())>) {
            Guarded(what, call);
            own.Finish(what);
        } else {
            auto result = Guarded(what, call);
            own.Finish(what);
            return result;
        }
    } catch (const AutomationError&) {
        own.Finish(what);
        throw;
    }
}

}  // namespace tavrix::spreadsheet::uno
