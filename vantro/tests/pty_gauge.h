#pragma once
// A gauge on a pseudo-terminal: the wedge opens the slave side as its serial device, the
// test writes readings to the master side and reads what the wedge sends.

#include <chrono>
#include <string>

class TPtyGauge {
public:
    TPtyGauge();
    ~TPtyGauge();
    TPtyGauge(const TPtyGauge&) = delete;
    TPtyGauge& operator=(const TPtyGauge&) = delete;

    const std::string& DevicePath() const { return SlavePath_; }
    void Send(const std::string& bytes);
    // The gauge goes away as an unplugged adapter does: the wedge's side is hung up.
    void HangUp();
    // Whatever the wedge has written so far, waiting up to the time-out for at least
    // `atLeast` bytes; `pump` runs between polls (to let an in-process event loop work).
    std::string Receive(std::size_t atLeast, std::chrono::milliseconds timeout,
                        void (*pump)() = nullptr);

private:
    int Master_ = -1;
    int SlaveKeeper_ = -1;  // keeps the pty alive while the wedge has it closed
    std::string SlavePath_;
};
