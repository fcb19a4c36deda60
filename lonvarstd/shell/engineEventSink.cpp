#include "shell/engineEventSink.h"

#include <QCoreApplication>

#include "engine/dataModule.h"

tEngineEventReceiver::tEngineEventReceiver(QObject* parent,
                                           std::function<void(const tEngineEvent&)> handle)
    : QObject(parent), handle_(std::move(handle)) {}

bool tEngineEventReceiver::event(QEvent* event) {
    const int type = static_cast<int>(event->type());
    if (type >= tEngineEvent::ValueQueued && type <= tEngineEvent::TimerTick) {
        handle_(static_cast<const tEngineEvent&>(*event));
        return true;
    }
    return QObject::event(event);
}

void tEngineEventSink::post(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) {
    QCoreApplication::postEvent(&receiver_,
                                new tEngineEvent(msg, wParam, lParam, d_.DevicesGeneration.load()));
}
