#pragma once
// What the bench keeps for one simulated USB cable or COM port and the gauge
// attached to it.

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>

namespace tavrix::gaugebench {

// A gauge that answers a request pulse (or a request text) with one line.
struct SimulatedGauge {
    enum class Mode { Answer, Never, Garbage, Flood };
    std::string answer = "+0001.1111 mm\r";
    Mode mode = Mode::Answer;
    int delayMs = 30;  // from the end of the pulse to the first byte
    int chunk = 0;     // bytes per chunk; 0 sends the whole line at once
    int gapMs = 0;     // pause between chunks
    int floodBytes = 8192;
    bool vary = false;        // change the last digit of the value on every reading
    bool rtsTrigger = false;  // the request is a pulse on RTS instead of DTR
    int minPulseMs = 50;
    std::string request;  // a written text that also requests, empty = none
    unsigned readings = 0;
};

// A call that fails with a chosen status, `remaining` more times (-1 = until healed).
struct InjectedFailure {
    std::uint32_t status = 0;
    int remaining = -1;
};

struct SimulatedLine {
    std::string name;  // COM ports are named COM<n>
    bool isCable = true;
    std::string serial;
    std::string description;
    bool plugged = true;
    std::uint64_t plugOrder = 0;   // cables list in the order they were plugged
    std::uint64_t generation = 0;  // bumped on unplug: stale handles and answers die
    int owner = -1;                // client id that has it open
    bool dtr = false;
    bool rts = false;
    std::int64_t dtrLowSince = -1;
    std::int64_t rtsLowSince = -1;
    std::uint8_t pins = 0x20;  // switch released
    int baud = 9600;
    int wordLength = 8, stopBits = 0, parity = 0;
    std::uint32_t readTimeoutMs = 0, writeTimeoutMs = 0;
    std::deque<char> rx;  // bytes waiting for the program
    std::optional<SimulatedGauge> gauge;
    std::map<std::string, InjectedFailure> failures;  // by call name, "any" for all
};

}  // namespace tavrix::gaugebench
