// The worker's tick: when to request a reading, how to request it, and how the
// received characters become queued answers. Runs on the device's worker only.
#include <algorithm>
#include <chrono>
#include <thread>

#include "engine/dataModule.h"
#include "support/prog_paths.h"

namespace {

// What a device answers in test mode, so the whole chain runs without an instrument.
constexpr const char* kTestAnswer = "+0000.0000\r\n+0001.1111 mm\r\n";
// Terminator positions past this are not looked at (a gauge line is far shorter).
constexpr std::size_t kMaxTerminatorPos = 9998;
// Characters taken from a COM port in one tick, so a chattering line cannot hold the tick.
constexpr int kMaxCharsPerTick = 4096;

void PauseMs(std::int32_t ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

void tDevice::Poll() {
    if (Descr == nullptr) return;
    if (Connection == ConnectionRs232) ReportPortState();
    if (!Opened) {
        FailRequestsWhileClosed();
        return;
    }
    const tDeviceDescr& descr = *Descr;
    const std::int64_t now = owner_.Now();

    // 1. Quiet period after the record was made.
    if (Starting && now > CreatedTick + 2000) Starting = false;

    // 2. Starting a request.
    if (State == 0) {
        if (ExtRequest.exchange(false)) {
            State = 1;
        } else if (AnforderType == AnforderTimer && TimerRunning && NextTimerTick <= now) {
            // Grows by whole periods: no drift, and missed periods follow one by one.
            State = 1;
            NextTimerTick += TimerPeriodMs();
        }
        if (State == 1) {
            if (descr.ReqKind != ReqKindNone) {
                SendRequest();
                ReqTick = owner_.Now();
                AnswerCount = 0;
            } else {
                State = 0;  // cannot be asked, a switch cable for one
            }
        }
    }

    // 3. Countdown of the timer requests, once a second.
    if (AnforderType == AnforderTimer && TimerRunning && now / 1000 != LastSecond) {
        LastSecond = now / 1000;
        Post(MsgTimerTick, 0);
    }

    // 4. Reception.
    if (descr.RxMode == RxModeSwitch) {
        ReqTick = -1;
        std::uint8_t pins = 0;
        if (ReadSwitch(pins)) {
            const std::uint8_t mask = static_cast<std::uint8_t>(1u << (descr.StatusBit & 7));
            const bool set = (pins & mask) != 0;
            const std::string text = (set != descr.StatusInvert) ? "OFF" : "ON ";
            if (text != LastMsg) {
                LastMsg = text;
                if (!Starting) {
                    AppendValue(LastMsg);
                    Post(MsgValueQueued, 0);
                }
                // The first state seen is where the switch stood, not a switching.
                if (++AnswerCount >= 2) {
                    Post(MsgDeviceState, 1);
                    LedTick = now;
                }
            }
        }
        RxBuf.clear();
    } else {
        // Test mode reads canned lines in place of what came (see ReadInput).
        const bool canned = SwitchD && (State == 1 || State == 3);
        std::string text;
        if (!ReadInput(text)) {
            Opened = false;  // polled no more until it is opened again
            RxBuf.clear();
        } else if (canned) {
            // Each canned line is an answer of its own: no byte of them is left in RxBuf
            // to stick to the next answer, whatever the device's terminators.
            for (std::size_t start = 0; start < text.size();) {
                const std::size_t end = std::min(text.find("\r\n", start), text.size());
                LastMsg = text.substr(start, end - start);
                TakeAnswer();
                start = end + 2;
            }
        } else {
            RxBuf += text;
            if (!descr.Eot[0].empty()) {
                SplitAnswers();
                // A line that never ends is dropped, and reception goes on.
                if (RxBuf.size() > kMaxRxBufLen) RxBuf.clear();
            } else {
                // Without a terminator every read is an answer; nothing read is none.
                if (!RxBuf.empty() && RxBuf != LastMsg) {
                    LastMsg = RxBuf;
                    TakeAnswer();
                }
                RxBuf.clear();
            }
        }
    }

    // 5. Time-outs.
    if (ReqTick < 1) {
        State = 0;
    } else if (now > ReqTick + descr.AnswerTimeout) {
        if (State == 1 && !descr.ReqText2.empty()) {
            State = 2;
            SendRequest2();
            ReqTick = owner_.Now();
            AnswerCount = 0;
        } else if (State >= 1 && State <= 3) {
            ReqTick = -1;
            State = 0;
            Post(MsgDeviceState, 3);
        }
    }

    // 6. The answer light goes back a second after an answer.
    if (LedTick > 0 && now > LedTick + 1000) {
        LedTick = -1;
        Post(MsgDeviceState, 2);
    }

    // 7. Status of the USB cable.
    if (Connection == ConnectionUsb && Ft != nullptr) {
        FtStatus = Ft->Status;
        if (FtStatus != LastFtStatus) {
            FtStatusText = Ft->ErrorText;
            CableStatusText = Ft->ErrorText;
            Post(MsgDeviceError, FtStatus);
            LastFtStatus = FtStatus;
        }
    }
}

void tDevice::ReportPortState() {
    // A COM port has no status of its own as a cable has: its panel shows whether the
    // port is open, did not open, or went away, with the codes the cables use.
    std::int32_t state = 0;
    if (!Opened) state = PortGone ? FT_DEVICE_NOT_FOUND : FT_DEVICE_NOT_OPENED;
    if (state == LastFtStatus) return;
    LastFtStatus = state;
    FtStatus = state;
    const std::string text =
        state == 0 ? std::string() : GetPortName() + ::FtStatusText(static_cast<FT_STATUS>(state));
    FtStatusText = text;
    CableStatusText = text;
    Post(MsgDeviceError, state);
}

void tDevice::FailRequestsWhileClosed() {
    bool failed = ExtRequest.exchange(false);
    // A request in force when the line failed ends with it.
    if (State != 0) {
        State = 0;
        ReqTick = -1;
        failed = true;
    }
    const std::int64_t now = owner_.Now();
    if (AnforderType == AnforderTimer && TimerRunning && NextTimerTick <= now) {
        // One failure for the periods missed; the timer goes on from now, not in a burst.
        const std::int64_t period = TimerPeriodMs();
        NextTimerTick += ((now - NextTimerTick) / period + 1) * period;
        failed = true;
    }
    if (failed && Descr->ReqKind != ReqKindNone) Post(MsgDeviceState, 3);
}

void tDevice::SendRequest() {
    const tDeviceDescr& descr = *Descr;
    if (descr.ReqKind == ReqKindNone) return;
    Post(MsgDeviceState, 0);
    const bool usb = Connection == ConnectionUsb && Ft != nullptr;
    const bool rs232 = Connection == ConnectionRs232 && Rs232 != nullptr;
    DropWaitingInput();

    if (descr.ReqKind == ReqKindText) {
        if (usb) Ft->WriteText(descr.ReqText);
        if (rs232) Rs232->Comm->WriteText(descr.ReqText);
        return;
    }
    const bool dtr = descr.ReqKind == ReqKindPulseDtr;
    if (descr.ReqKind != ReqKindPulseDtr && descr.ReqKind != ReqKindPulseRts) return;
    auto setLine = [&](bool on) {
        if (usb) {
            if (dtr) {
                on ? Ft->SetDtr() : Ft->ClrDtr();
            } else {
                on ? Ft->SetRts() : Ft->ClrRts();
            }
        }
        if (rs232) {
            if (dtr) {
                Rs232->Comm->SetDTR(on);
            } else {
                Rs232->Comm->SetRTS(on);
            }
        }
    };
    setLine(descr.PulseHigh);
    PauseMs(descr.PulseMs);
    setLine(!descr.PulseHigh);
}

void tDevice::SendRequest2() {
    const std::string& text = Descr->ReqText2;
    if (text.empty()) return;
    Post(MsgDeviceState, 4);
    DropWaitingInput();
    if (Connection == ConnectionUsb && Ft != nullptr) Ft->WriteText(text);
    if (Connection == ConnectionRs232 && Rs232 != nullptr) Rs232->Comm->WriteText(text);
}

void tDevice::DropWaitingInput() {
    // Whatever came before the request (the rest of a flood, a line cut short)
    // cannot be part of its answer and would be glued to its front.
    RxBuf.clear();
    if (Descr->RxMode != RxModeChars) return;
    if (Connection == ConnectionUsb && Ft != nullptr) Ft->DiscardInput();
    if (Connection == ConnectionRs232 && Rs232 != nullptr) Rs232->Comm->DiscardInput();
}

bool tDevice::ReadInput(std::string& text) {
    text.clear();
    if (Descr->RxMode != RxModeChars) return true;
    if (Connection == ConnectionRs232 && Rs232 != nullptr) {
        char ch = 0;
        for (int n = 0; n < kMaxCharsPerTick && Rs232->Comm->ReadChar(ch); ++n) text += ch;
        // A failed read (not a time-out) is a line that went away: a pulled adapter.
        if (Rs232->Comm->TimedOut()) {
            PortGone = true;
            return false;
        }
    } else if (Connection == ConnectionUsb && Ft != nullptr) {
        if (Ft->GetQueueStatus() != FT_OK) return false;
        // Only what waits (at most 99 bytes): a longer read would sit out the cable's
        // read time-out before the answer could be taken.
        if (Ft->RxBytes != 0) {
            Ft->Read(
                std::min<std::int32_t>(static_cast<std::int32_t>(Ft->RxBytes), Ft->InBufSize - 1),
                text);
        }
    }
    if (SwitchD && (State == 1 || State == 3)) text = kTestAnswer;
    return true;
}

bool tDevice::ReadSwitch(std::uint8_t& pins) {
    if (Connection != ConnectionUsb || Ft == nullptr) return false;
    Ft->GetBitMode(pins);
    return Ft->Status == 0;
}

void tDevice::SplitAnswers() {
    const auto& eots = Descr->Eot;
    while (!RxBuf.empty()) {
        std::size_t best = std::string::npos;
        std::size_t bestLen = 0;
        for (const std::string& eot : eots) {
            if (eot.empty()) break;
            const std::size_t pos = RxBuf.find(eot);
            // Equal positions: the terminator listed first wins.
            if (pos != std::string::npos && pos < kMaxTerminatorPos && pos < best) {
                best = pos;
                bestLen = eot.size();
            }
        }
        if (best == std::string::npos) return;
        LastMsg = RxBuf.substr(0, best);
        RxBuf.erase(0, best + bestLen);
        TakeAnswer();
    }
}

void tDevice::TakeAnswer() {
    if (State == 2) {
        const std::string& marker = Descr->Answer2Text;
        if (marker.empty() || LastMsg.find(marker) == std::string::npos) return;
        State = 3;
        ReqTick = -1;
        if (Descr->ReqKind != ReqKindNone) {
            SendRequest();
            ReqTick = owner_.Now();
            AnswerCount = 0;
        } else {
            State = 0;
        }
        return;
    }
    ReqTick = -1;
    if (Starting || !CheckAnswer(LastMsg)) return;
    AppendValue(LastMsg);
    Post(MsgValueQueued, 0);
    Post(MsgDeviceState, 1);
    LedTick = owner_.Now();
}

bool tDevice::CheckAnswer(const std::string& answer) const {
    const std::int32_t pos = Descr->IdPos;
    const std::string& id = Descr->IdText;
    if (pos <= 0 || id.empty()) return true;
    const std::size_t start = static_cast<std::size_t>(pos);
    if (answer.size() < start + id.size()) return false;
    return answer.compare(start - 1, id.size(), id) == 0;
}
