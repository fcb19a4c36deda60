#pragma once
// Modem lines for a gauge on a pty, which has none: every change the wedge makes is
// recorded with its time, and the DSR state is the test's to set.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "serial_line.h"

class TRecordingModemLines : public TModemLines {
public:
    struct TChange {
        std::string Line;  // "break", "dtr" or "rts"
        bool On = false;
        std::chrono::steady_clock::time_point At;
    };

    bool SetBreak(bool on) override { return Record("break", on); }
    bool SetDtr(bool on) override { return Record("dtr", on); }
    bool SetRts(bool on) override { return Record("rts", on); }
    std::optional<bool> Dsr() override {
        ++DsrReads;
        return DsrOn;
    }

    std::vector<TChange> Changes;
    bool DsrOn = false;
    int DsrReads = 0;

private:
    bool Record(const char* line, bool on) {
        Changes.push_back({line, on, std::chrono::steady_clock::now()});
        return true;
    }
};
