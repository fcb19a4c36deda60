#pragma once
// The road of the engine's messages to the main thread: workers post through the sink
// from their threads; the receiver gets them on the main thread in the order posted.
// The receiver is an object of its own so that "process pending messages" can deliver
// exactly these and nothing else (no input, no timers, no search).

#include <QObject>
#include <functional>

#include "engine/engineMessages.h"
#include "shell/engineEvent.h"

class TD;

class tEngineEventReceiver : public QObject {
public:
    // `handle` gets every engine message (1024-1028); other events go to QObject.
    tEngineEventReceiver(QObject* parent, std::function<void(const tEngineEvent&)> handle);
    bool event(QEvent* event) override;

private:
    std::function<void(const tEngineEvent&)> handle_;
};

// Posts each message as a tEngineEvent to `receiver`, tagged with d's DevicesGeneration
// at the moment of posting; safe from any thread.
class tEngineEventSink : public tavrix::MessageSink {
public:
    tEngineEventSink(QObject& receiver, const TD& d) : receiver_(receiver), d_(d) {}
    void post(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) override;

private:
    QObject& receiver_;
    const TD& d_;
};
