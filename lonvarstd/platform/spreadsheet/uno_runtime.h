#pragma once

// The C++ UNO side of this process: the local component context, one bridge to an office over
// its named pipe, and conversions between our texts/errors and UNO's.

#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>

#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/spreadsheet/automation.h"
#include "platform/spreadsheet/typed_number.h"

namespace tavrix::spreadsheet::uno {

namespace css = com::sun::star;
using rtl::OString;
using rtl::OUString;
template <class T>
using Ref = css::uno::Reference<T>;

OUString FromUtf8(const std::string& text);
std::string ToUtf8(const OUString& text);

// One live bridge to an office. Disposing it on destruction ends the bridge's threads; objects
// still held from the office become unusable (their calls throw) instead of dangling.
class Session {
public:
    Session(Ref<css::bridge::XBridge> bridge, Ref<css::uno::XComponentContext> remote);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const Ref<css::uno::XComponentContext>& RemoteContext() const { return remote_; }
    // False once the bridge was disposed: the office went away (quit, crashed) and
    // the pipe closed. Costs no call into the office.
    bool Alive() const { return !disposed_->load(); }
    // One round trip into the office: false when it does not answer.
    bool Answers() const;

    // How each document seen through this bridge writes numbers: asked once per document
    // while the bridge lives (a value would otherwise ask the office five times anew).
    const NumberSeparators* KnownSeparators(const Ref<css::uno::XInterface>& document) const;
    void RememberSeparators(const Ref<css::uno::XInterface>& document,
                            const NumberSeparators& seps);

private:
    Ref<css::bridge::XBridge> bridge_;
    Ref<css::uno::XComponentContext> remote_;
    std::shared_ptr<std::atomic<bool>> disposed_;
    std::vector<std::pair<Ref<css::uno::XInterface>, NumberSeparators>> separators_;
};

// True when the office was started headless by this program (it then cannot show windows).
bool StartedHeadless(const Session& session);

// Connects to the office listening on the pipe; nullptr when nothing listens there.
std::shared_ptr<Session> Connect(const std::string& programDir, const std::string& pipeName);

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

}  // namespace tavrix::spreadsheet::uno
