#include "gauge_reply.h"

namespace tavrix::gaugebench {

namespace {

// The answer with the last digit of its value moved on by `step`.
std::string varied(const std::string& answer, unsigned step) {
    std::string out = answer;
    std::size_t end = out.find_first_of(" \r");
    if (end == std::string::npos) end = out.size();
    for (std::size_t i = end; i-- > 0;) {
        if (out[i] >= '0' && out[i] <= '9') {
            out[i] = static_cast<char>('0' + (out[i] - '0' + step) % 10);
            break;
        }
    }
    return out;
}

}  // namespace

std::vector<ReplyPart> gaugeReply(SimulatedGauge& g, unsigned& noise) {
    ++g.readings;
    std::string bytes;
    switch (g.mode) {
        case SimulatedGauge::Mode::Never:
            return {};
        case SimulatedGauge::Mode::Answer:
            bytes = g.vary ? varied(g.answer, g.readings - 1) : g.answer;
            break;
        case SimulatedGauge::Mode::Garbage:
            for (int i = 0; i < 24; ++i) {
                noise = noise * 1103515245u + 12345u;
                bytes += static_cast<char>((noise >> 16) & 0xff);
            }
            bytes += '\r';
            break;
        case SimulatedGauge::Mode::Flood:
            while (bytes.size() < static_cast<std::size_t>(g.floodBytes)) bytes += g.answer;
            bytes.resize(static_cast<std::size_t>(g.floodBytes));
            break;
    }
    if (g.chunk <= 0) return {{g.delayMs, bytes}};
    std::vector<ReplyPart> parts;
    std::int64_t at = g.delayMs;
    for (std::size_t i = 0; i < bytes.size(); i += static_cast<std::size_t>(g.chunk)) {
        parts.push_back({at, bytes.substr(i, static_cast<std::size_t>(g.chunk))});
        at += g.gapMs;
    }
    return parts;
}

}  // namespace tavrix::gaugebench
