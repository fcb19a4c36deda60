#pragma once
// The DTR and RTS lines of an emulated cable or port and the gauge behind them:
// every edge is logged with its time, and a pulse long enough for the gauge
// makes it answer as the gauge bench's gauges do.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "simulated_line.h"

namespace tavrix::ftdiemu {

// One change of a modem line the program made, as the device saw it.
struct LineEdge {
    std::int64_t atMs;  // on the steady clock
    bool dtr;           // false: RTS
    bool high;
};

std::int64_t steadyMs();

// The length in ms of the last DTR pulse (low, then high again) among `edges` from
// index `from` on; -1 when there is none.
std::int64_t LastDtrPulseMs(const std::vector<LineEdge>& edges, std::size_t from = 0);

class GaugeLines {
public:
    // Sets one line at `now`; a pulse that ends here may add answer parts.
    void set(bool isDtr, bool on, std::int64_t now);
    // The answer bytes due by `now`, in order, taken out.
    std::string takeDue(std::int64_t now);
    // When the next answer part is due; -1 when none waits.
    std::int64_t nextDue() const;
    void clear();

    std::optional<gaugebench::SimulatedGauge> gauge;
    bool dtr = false, rts = false;
    std::vector<LineEdge> edges;

private:
    std::int64_t dtrLowSince_ = -1, rtsLowSince_ = -1;
    unsigned noise_ = 12345;
    std::multimap<std::int64_t, std::string> due_;
};

}  // namespace tavrix::ftdiemu
