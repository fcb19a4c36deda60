#pragma once

// The office's notices about one document, counted for the output: a modification not made by
// our own calls, a view or the document closing, the document disposed, the bridge gone.

#include <com/sun/star/frame/XModel.hpp>

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/spreadsheet/automation.h"
#include "platform/spreadsheet/uno_runtime.h"

namespace tavrix::spreadsheet::uno {

class DocumentWatchState : public DocumentWatch {
public:
    explicit DocumentWatchState(std::shared_ptr<std::atomic<bool>> bridgeGone)
        : bridgeGone_(std::move(bridgeGone)) {}

    std::uint64_t Changes() const override;
    // Called on the bridge's threads.
    void Count() { changes_.fetch_add(1); }

private:
    std::shared_ptr<std::atomic<bool>> bridgeGone_;
    std::atomic<std::uint64_t> changes_{0};
};

// The watch on `model` through `session`, its listener registered with the office on the first
// ask (two calls); later asks cost one call at most.
std::shared_ptr<DocumentWatchState> WatchDocument(Session& session,
                                                  const Ref<css::frame::XModel>& model);

}  // namespace tavrix::spreadsheet::uno
