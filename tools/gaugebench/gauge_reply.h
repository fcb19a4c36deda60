#pragma once
// What a simulated gauge sends for one request, and when: shared by the gauge
// bench and the emulated devices, so that both stand for the same gauge.

#include <cstdint>
#include <string>
#include <vector>

#include "simulated_line.h"

namespace tavrix::gaugebench {

struct ReplyPart {
    std::int64_t atMs;  // after the request
    std::string bytes;
};

// Counts the reading; an empty list for a gauge that stays silent. `noise`
// carries the garbage generator's state from one reading to the next.
std::vector<ReplyPart> gaugeReply(SimulatedGauge& gauge, unsigned& noise);

}  // namespace tavrix::gaugebench
