#include "platform/spreadsheet/uno_runtime.h"

#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XEventListener.hpp>
#include <com/sun/star/util/theMacroExpander.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/queryinterface.hxx>
#include <rtl/bootstrap.hxx>

#include <csignal>
#include <mutex>

#include "platform/spreadsheet/office_options.h"
#include "platform/spreadsheet/office_process.h"

namespace tavrix::spreadsheet::uno {

OUString FromUtf8(const std::string& text) {
    return OUString(text.data(), static_cast<sal_Int32>(text.size()), RTL_TEXTENCODING_UTF8);
}

std::string ToUtf8(const OUString& text) {
    const OString bytes = OUStringToOString(text, RTL_TEXTENCODING_UTF8);
    return std::string(bytes.getStr(), static_cast<std::size_t>(bytes.getLength()));
}

namespace {

// The local runtime is made once and lives until the process ends; tearing it down at exit
// would race the office bridges' own shutdown.
Ref<css::uno::XComponentContext> LocalContext(const std::string& programDir) {
    static std::mutex mutex;
    static Ref<css::uno::XComponentContext>* context = nullptr;
    std::lock_guard lock(mutex);
    if (context) return *context;
    return Guarded("starting the UNO runtime", [&] {
        const OUString dir = FromUtf8(FileUrlOf(programDir));
        rtl::Bootstrap::set("URE_INTERNAL_LIB_DIR", dir);
        rtl::Bootstrap::set("LO_LIB_DIR", dir);
        rtl::Bootstrap::set("UNO_TYPES", dir + "/types.rdb " + dir + "/types/offapi.rdb");
        rtl::Bootstrap::set("UNO_SERVICES", dir + "/services.rdb");
        // A write to an office that just died must fail as an error, not end this process.
        std::signal(SIGPIPE, SIG_IGN);
        context =
            new Ref<css::uno::XComponentContext>(cppu::defaultBootstrap_InitialComponentContext());
        return *context;
    });
}

}  // namespace

namespace {

// Told by the bridge when it is disposed, which it is as soon as the office's end of
// the pipe closes.
class DisposedFlag : public css::lang::XEventListener {
public:
    explicit DisposedFlag(std::shared_ptr<std::atomic<bool>> flag) : flag_(std::move(flag)) {}

    css::uno::Any SAL_CALL queryInterface(const css::uno::Type& type) override {
        return cppu::queryInterface(type, static_cast<css::lang::XEventListener*>(this),
                                    static_cast<css::uno::XInterface*>(this));
    }
    void SAL_CALL acquire() noexcept override { refs_.fetch_add(1); }
    void SAL_CALL release() noexcept override {
        if (refs_.fetch_sub(1) == 1) delete this;
    }
    void SAL_CALL disposing(const css::lang::EventObject&) override { flag_->store(true); }

private:
    virtual ~DisposedFlag() = default;

    std::atomic<int> refs_{0};
    std::shared_ptr<std::atomic<bool>> flag_;
};

}  // namespace

namespace {
thread_local int ownCallDepth = 0;
std::atomic<std::uint64_t> callsMade{0};
}  // namespace

Session::Session(Ref<css::bridge::XBridge> bridge)
    : bridge_(std::move(bridge)), disposed_(std::make_shared<std::atomic<bool>>(false)) {
    try {
        Ref<css::lang::XComponent> component(bridge_, css::uno::UNO_QUERY);
        if (component.is()) component->addEventListener(new DisposedFlag(disposed_));
    } catch (const css::uno::Exception&) {
        disposed_->store(true);  // disposed already
    }
    watchdog_ = std::make_unique<CallWatchdog>([this] { DisposeBridge(); });
}

Session::~Session() {
    watchdog_.reset();
    remote_.clear();
    DisposeBridge();
}

void Session::DisposeBridge() {
    try {
        Ref<css::lang::XComponent> component(bridge_, css::uno::UNO_QUERY);
        if (component.is()) component->dispose();
    } catch (const css::uno::Exception&) {
        // The office went away first; nothing left to end.
    }
    disposed_->store(true);
}

void Session::FetchContext() {
    remote_ = Call("connecting to the office", [&] {
        return Ref<css::uno::XComponentContext>(bridge_->getInstance("StarOffice.ComponentContext"),
                                                css::uno::UNO_QUERY_THROW);
    });
}

bool Session::Answers() {
    if (!Alive() || !remote_.is()) return false;
    try {
        return Call("asking the office", [&] { return remote_->getServiceManager().is(); });
    } catch (const OfficeNotAnswering&) {
        throw;
    } catch (const AutomationError&) {
        return false;
    }
}

bool Session::InOwnCall() {
    return ownCallDepth > 0;
}

std::uint64_t Session::CallsMade() {
    return callsMade.load(std::memory_order_relaxed);
}

Session::OwnCall::OwnCall(Session& session, std::chrono::milliseconds limit)
    : session_(session), limit_(limit), outermost_(session.depth_ == 0) {
    ++session_.depth_;
    ++ownCallDepth;
    if (!outermost_) return;
    callsMade.fetch_add(1, std::memory_order_relaxed);
    session_.watchdog_->Begin(limit);
}

Session::OwnCall::~OwnCall() {
    if (outermost_ && !finished_) session_.watchdog_->End();
    --ownCallDepth;
    --session_.depth_;
}

void Session::OwnCall::Finish(const char* what) {
    if (!outermost_ || finished_) return;
    finished_ = true;
    if (session_.watchdog_->End()) {
        throw OfficeNotAnswering(std::string(what) + ": the office did not answer within " +
                                 std::to_string(limit_.count() / 1000) + " s");
    }
}

const NumberSeparators* Session::KnownSeparators(const Ref<css::uno::XInterface>& document) const {
    for (const auto& [doc, seps] : separators_) {
        if (doc == document) return &seps;
    }
    return nullptr;
}

void Session::RememberSeparators(const Ref<css::uno::XInterface>& document,
                                 const NumberSeparators& seps) {
    // A handful of documents in practice; the oldest go first.
    constexpr std::size_t kMostDocuments = 16;
    if (separators_.size() >= kMostDocuments) separators_.erase(separators_.begin());
    separators_.emplace_back(document, seps);
}

std::shared_ptr<DocumentWatchState> Session::KnownWatch(
    const Ref<css::uno::XInterface>& document) const {
    for (const auto& [doc, watch] : watches_) {
        if (doc == document) return watch;
    }
    return nullptr;
}

void Session::RememberWatch(const Ref<css::uno::XInterface>& document,
                            std::shared_ptr<DocumentWatchState> watch) {
    constexpr std::size_t kMostDocuments = 16;
    if (watches_.size() >= kMostDocuments) watches_.erase(watches_.begin());
    watches_.emplace_back(document, std::move(watch));
}

bool StartedHeadless(Session& session) {
    return session.Call("asking the office", [&] {
        const OUString mark = "${" + OUString::createFromAscii(kHeadlessMark) + "}";
        return css::util::theMacroExpander::get(session.RemoteContext())->expandMacros(mark) == "1";
    });
}

std::shared_ptr<Session> Connect(const std::string& programDir, const std::string& pipeName) {
    const auto local = LocalContext(programDir);
    Ref<css::connection::XConnection> connection;
    try {
        connection =
            css::connection::Connector::create(local)->connect("pipe,name=" + FromUtf8(pipeName));
    } catch (const css::connection::NoConnectException&) {
        return nullptr;
    } catch (const css::uno::Exception& e) {
        throw AutomationError("connecting to the office failed: " + ToUtf8(e.Message));
    }
    auto bridge = Guarded("connecting to the office", [&] {
        return css::bridge::BridgeFactory::create(local)->createBridge("", "urp", connection,
                                                                       nullptr);
    });
    // A failed ask disposes the bridge with the session: the factory keeps an unnamed bridge,
    // its threads and its pipe until then, and an office still starting up would leave one
    // behind per attempt.
    auto session = std::make_shared<Session>(bridge);
    session->FetchContext();
    return session;
}

}  // namespace tavrix::spreadsheet::uno
