#pragma once
// Request bookkeeping for gauges behind the Lumo-RS duplex adapter: a reading the gauge
// sends by itself is followed, about 200 ms later, by a request of the wedge's own whose
// answer is thrown away; a DSR change asks for a reading that is handled as usual.

class TLumoSequencer {
public:
    static constexpr int kLumoFlowIndex = 3;
    static constexpr int kTicksBeforeFollowUp = 3;  // the request goes on the fourth tick
    // A follow-up that stays unanswered this long (2 s) is given up, so that the next
    // reading the gauge sends is not mistaken for its answer and thrown away.
    static constexpr int kTicksToAwaitFollowUpAnswer = 40;

    enum class TFate { Handle, Discard };

    // A complete answer arrived. Discard means: the reply to our own follow-up request.
    TFate AnswerComplete(int flowIndex);
    void DsrChanged(bool dsrOn, int flowIndex);
    // One 50 ms tick with the port open; true when the follow-up request is to be sent now.
    bool Tick();
    // A request was sent by a hot key or by the follow-up.
    void RequestSent() { RequestPending = true; }

    bool RequestPending = false;
    bool FollowUpDue = false;
    bool DiscardNext = false;
    int FollowUpTicks = 0;
    int AnswerWaitTicks = 0;
};
