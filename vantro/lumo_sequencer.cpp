#include "lumo_sequencer.h"

TLumoSequencer::TFate TLumoSequencer::AnswerComplete(int flowIndex) {
    if (flowIndex != kLumoFlowIndex) return TFate::Handle;
    AnswerWaitTicks = 0;
    if (RequestPending) {
        RequestPending = false;
        if (DiscardNext) {
            DiscardNext = false;
            return TFate::Discard;
        }
    } else {
        FollowUpDue = true;
        DiscardNext = true;
    }
    return TFate::Handle;
}

void TLumoSequencer::DsrChanged(bool dsrOn, int flowIndex) {
    if (flowIndex == kLumoFlowIndex && dsrOn) FollowUpDue = true;
}

bool TLumoSequencer::Tick() {
    if (RequestPending && DiscardNext && !FollowUpDue &&
        ++AnswerWaitTicks > kTicksToAwaitFollowUpAnswer) {
        RequestPending = false;
        DiscardNext = false;
        AnswerWaitTicks = 0;
    }
    if (!FollowUpDue) return false;
    if (++FollowUpTicks <= kTicksBeforeFollowUp) return false;
    FollowUpDue = false;
    FollowUpTicks = 0;
    AnswerWaitTicks = 0;
    RequestPending = true;
    return true;
}
