#include "transport/comm/Comm.h"

#include <algorithm>
#include <climits>

#include "serial/serial_device.h"

namespace {

using tavrix::serial::LineSettings;

tavrix::serial::Parity lineParity(TParity parity) {
    switch (parity) {
        case even:
            return tavrix::serial::Parity::Even;
        case odd:
            return tavrix::serial::Parity::Odd;
        case mark:
            return tavrix::serial::Parity::Mark;
        case space:
            return tavrix::serial::Parity::Space;
        case none:
            break;
    }
    return tavrix::serial::Parity::None;
}

tavrix::serial::StopBits lineStopBits(TStopBits stopBits) {
    switch (stopBits) {
        case sb_1_5:
            return tavrix::serial::StopBits::OneAndHalf;
        case sb_2:
            return tavrix::serial::StopBits::Two;
        case sb_1:
            break;
    }
    return tavrix::serial::StopBits::One;
}

}  // namespace

TComm::TComm(QObject* Owner) : QObject(Owner) {}

TComm::~TComm() {
    Close();
}

void TComm::SetPort(std::uint16_t Value) {
    port_ = std::clamp<std::uint16_t>(Value, 1, 128);
}

void TComm::SetEnterTimeout(std::int32_t Value) {
    if (Value >= 0) enterTimeout_ = Value;
}

void TComm::SetOutputTimeout(std::int32_t Value) {
    if (Value > 0) outputTimeout_ = Value;
}

void TComm::SetEvents(const TCommEvents& Value) {
    events_ = Value;
    // A termios line has no event mask to hand over: nothing here waits for
    // port events, so the mask is kept for those who ask for it.
    eventMask_ = CommEventMask(events_);
}

bool TComm::Open() {
    if (isOpen_) ReleasePort();

    device_ = tavrix::serial::openPort(port_);
    if (!device_) {
        RaiseError(ceCannotOpen);
        RaiseError(ceClosed);
        return false;
    }

    LineSettings settings;
    settings.baud = BaudTable[baudrate_];
    settings.dataBits = 4 + static_cast<int>(byteSize_);
    settings.parity = lineParity(parity_);
    settings.stopBits = lineStopBits(stopBits_);
    settings.discardNulls = nullDel_;
    settings.parityCheck = parityCheck_;
    settings.ctsFlow = useCTS_;
    settings.dsrFlow = useDSR_;
    settings.dtr = useDTR_;
    settings.rts = useRTS_;
    settings.xonXoffIn = xOnXOffIn_;
    settings.xonXoffOut = xOnXOffOut_;
    settings.rxQueueSize = bufferInSize_;
    settings.txQueueSize = bufferOutSize_;
    // A setting the line refuses (4 data bits, say) leaves the port usable
    // with the rest applied; callers learn about the line by using it.
    device_->configure(settings);

    isOpen_ = true;
    return true;
}

void TComm::Close() {
    if (!isOpen_) {
        RaiseError(ceAlreadyClosed);
        return;
    }
    ReleasePort();
}

void TComm::ReleasePort() {
    isOpen_ = false;
    device_.reset();
}

std::int32_t TComm::WriteText(const std::string& Text) {
    if (!isOpen_ || Text.empty()) return 0;
    // The time-out grows with the text; kept within what a wait can express.
    const long long total =
        static_cast<long long>(outputTimeout_) * static_cast<long long>(Text.size());
    const int timeoutMs = static_cast<int>(std::min<long long>(total, INT_MAX));
    const long written = device_->write(Text.data(), Text.size(), timeoutMs);
    if (written < 0) {
        RaiseTimeout();
        return 0;
    }
    return static_cast<std::int32_t>(std::min<long>(written, INT32_MAX));
}

bool TComm::ReadChar(char& Ch) {
    Ch = 0;
    if (!isOpen_) return false;
    timedOut_ = false;
    std::uint8_t byte = 0;
    switch (device_->readByte(byte, enterTimeout_)) {
        case tavrix::serial::ReadResult::Byte:
            Ch = static_cast<char>(byte);
            return true;
        case tavrix::serial::ReadResult::Timeout:
            return false;
        case tavrix::serial::ReadResult::Failed:
            break;
    }
    timedOut_ = true;
    RaiseTimeout();
    return false;
}

std::size_t TComm::DiscardInput() {
    if (!isOpen_) return 0;
    const std::size_t waiting = device_->pendingBytes();
    std::size_t dropped = 0;
    std::uint8_t byte = 0;
    while (dropped < waiting && device_->readByte(byte, 1) == tavrix::serial::ReadResult::Byte)
        ++dropped;
    return dropped;
}

bool TComm::WaitForInput(int WakeFd, std::int32_t TimeoutMs) {
    using tavrix::serial::WaitResult;
    if (!isOpen_) {
        tavrix::serial::waitWakeOnly(WakeFd, TimeoutMs);
        return false;
    }
    return device_->waitInput(WakeFd, TimeoutMs) == WaitResult::Input;
}

bool TComm::SetDTR(bool Level) {
    return isOpen_ && device_->setDtr(Level);
}

bool TComm::SetRTS(bool Level) {
    return isOpen_ && device_->setRts(Level);
}

void TComm::RaiseError(std::int32_t code) {
    errorCode_ = code;
    errorText_ = CommErrorText(code, language_);
    if (OnError) {
        OnError(this, errorCode_, errorText_);
        errorCode_ = 0;
        errorText_.clear();
    }
}

void TComm::RaiseTimeout() {
    if (OnTimeout) OnTimeout(this);
}
