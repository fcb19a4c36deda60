#include "gauge_lines.h"

#include <chrono>

#include "gauge_reply.h"

namespace tavrix::ftdiemu {

std::int64_t steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t LastDtrPulseMs(const std::vector<LineEdge>& edges, std::size_t from) {
    std::int64_t lowAt = -1, length = -1;
    for (std::size_t i = from; i < edges.size(); ++i) {
        if (!edges[i].dtr) continue;
        if (!edges[i].high) {
            lowAt = edges[i].atMs;
        } else if (lowAt >= 0) {
            length = edges[i].atMs - lowAt;
            lowAt = -1;
        }
    }
    return length;
}

void GaugeLines::set(bool isDtr, bool on, std::int64_t now) {
    bool& level = isDtr ? dtr : rts;
    std::int64_t& lowSince = isDtr ? dtrLowSince_ : rtsLowSince_;
    if (level == on) return;
    level = on;
    edges.push_back({now, isDtr, on});
    if (!on) {
        lowSince = now;
        return;
    }
    const std::int64_t length = lowSince < 0 ? -1 : now - lowSince;
    lowSince = -1;
    if (length < 0 || !gauge || gauge->rtsTrigger == isDtr || length < gauge->minPulseMs) return;
    for (const gaugebench::ReplyPart& p : gaugebench::gaugeReply(*gauge, noise_))
        due_.emplace(now + p.atMs, p.bytes);
}

std::string GaugeLines::takeDue(std::int64_t now) {
    std::string out;
    while (!due_.empty() && due_.begin()->first <= now) {
        out += due_.begin()->second;
        due_.erase(due_.begin());
    }
    return out;
}

std::int64_t GaugeLines::nextDue() const {
    return due_.empty() ? -1 : due_.begin()->first;
}

void GaugeLines::clear() {
    due_.clear();
}

}  // namespace tavrix::ftdiemu
