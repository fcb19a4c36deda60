#pragma once
// A posted message of the engine (1024-1028) or of the keyboard hook (5735) as a Qt
// event whose type is the message's number.

#include <QEvent>
#include <cstdint>

class tEngineEvent : public QEvent {
public:
    enum : int {
        ValueQueued = 1024,
        DeviceError = 1026,
        DeviceState = 1027,
        TimerTick = 1028,
        KeyPressed = 5735,
    };
    // `generation`: the engine's DevicesGeneration when it was posted (0 for keys).
    tEngineEvent(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam,
                 std::uint32_t generation)
        : QEvent(static_cast<QEvent::Type>(msg)),
          WParam(wParam),
          LParam(lParam),
          Generation(generation) {}

    const std::int64_t WParam;
    const std::int64_t LParam;
    const std::uint32_t Generation;
};
