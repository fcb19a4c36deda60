#include "platform/spreadsheet/uno_watch.h"

#include <com/sun/star/document/DocumentEvent.hpp>
#include <com/sun/star/document/XDocumentEventBroadcaster.hpp>
#include <com/sun/star/document/XDocumentEventListener.hpp>
#include <com/sun/star/util/XModifyBroadcaster.hpp>
#include <com/sun/star/util/XModifyListener.hpp>
#include <cppuhelper/queryinterface.hxx>

#include <limits>

namespace tavrix::spreadsheet::uno {

std::uint64_t DocumentWatchState::Changes() const {
    if (bridgeGone_->load()) return std::numeric_limits<std::uint64_t>::max();
    return changes_.load();
}

namespace {

// The office calls these on the thread that waits in our call when our call caused them,
// otherwise on one of the bridge's own threads.
class DocumentListener : public css::util::XModifyListener,
                         public css::document::XDocumentEventListener {
public:
    explicit DocumentListener(std::shared_ptr<DocumentWatchState> state)
        : state_(std::move(state)) {}

    css::uno::Any SAL_CALL queryInterface(const css::uno::Type& type) override {
        return cppu::queryInterface(
            type, static_cast<css::util::XModifyListener*>(this),
            static_cast<css::document::XDocumentEventListener*>(this),
            static_cast<css::lang::XEventListener*>(static_cast<css::util::XModifyListener*>(this)),
            static_cast<css::uno::XInterface*>(static_cast<css::util::XModifyListener*>(this)));
    }
    void SAL_CALL acquire() noexcept override { refs_.fetch_add(1); }
    void SAL_CALL release() noexcept override {
        if (refs_.fetch_sub(1) == 1) delete this;
    }

    void SAL_CALL modified(const css::lang::EventObject&) override {
        // What our own writes cause arrives inside our call, on our thread.
        if (!Session::InOwnCall()) state_->Count();
    }
    void SAL_CALL documentEventOccured(const css::document::DocumentEvent& event) override {
        // Closing a view drops the frame the output activates; unloading ends the document.
        const auto& name = event.EventName;
        if (name == "OnPrepareViewClosing" || name == "OnViewClosed" || name == "OnPrepareUnload" ||
            name == "OnUnload") {
            state_->Count();
        }
    }
    void SAL_CALL disposing(const css::lang::EventObject&) override { state_->Count(); }

private:
    virtual ~DocumentListener() = default;

    std::atomic<int> refs_{0};
    std::shared_ptr<DocumentWatchState> state_;
};

}  // namespace

std::shared_ptr<DocumentWatchState> WatchDocument(Session& session,
                                                  const Ref<css::frame::XModel>& model) {
    return session.Call("watching the workbook", [&] {
        const Ref<css::uno::XInterface> identity(model, css::uno::UNO_QUERY);
        if (auto known = session.KnownWatch(identity)) return known;
        auto state = std::make_shared<DocumentWatchState>(session.GoneFlag());
        Ref<DocumentListener> listener(new DocumentListener(state));
        Ref<css::util::XModifyBroadcaster>(model, css::uno::UNO_QUERY_THROW)
            ->addModifyListener(listener.get());
        Ref<css::document::XDocumentEventBroadcaster> events(model, css::uno::UNO_QUERY);
        if (events.is()) events->addDocumentEventListener(listener.get());
        session.RememberWatch(identity, state);
        return state;
    });
}

}  // namespace tavrix::spreadsheet::uno
